#include "ui/process_traffic_dlg_win.h"

#include <utility>

#include "alarm/black_list_detector.h"
#include "res/resource_ids.h"
#include "ui/connection_info_dlg_win.h"
#include "ui/process_list_model.h"

namespace ui {

CProTraDlg::CProTraDlg(engine::ProcessRow process)
    : DetailDialog(IDD_PROCESS_TRAFFIC, u"进程流量信息"), process_(std::move(process)) {}

bool CProTraDlg::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    switch (message) {
        case WM_INITDIALOG:
            SetUpDetailFrame(IDC_PROCESS_OK);
            ShowValues();
            // The focus on 确定 rather than in the path, which would show selected.
            ::SetFocus(Item(IDC_PROCESS_OK));
            result = FALSE;
            return false;
        case WM_CLOSE:
            EndDialog(IDC_PROCESS_OK);
            result = 0;
            return true;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_PROCESS_OK:
                    EndDialog(IDC_PROCESS_OK);
                    break;
                case IDC_PROCESS_SHOW_CONNECTIONS: {
                    CProConInfoDlg connections(process_.record, CProConInfoDlg::kOneProcess);
                    connections.DoModal(Handle());
                    break;
                }
                case IDC_PROCESS_END:
                    EndProcess();
                    break;
                default:
                    return false;
            }
            result = 0;
            return true;
        default:
            return false;
    }
}

void CProTraDlg::ShowValues() {
    static constexpr int kValueIds[] = {IDC_PROCESS_NAME,        IDC_PROCESS_PID,      IDC_PROCESS_PATH,
                                        IDC_PROCESS_DESCRIPTION, IDC_PROCESS_DOWNLOAD, IDC_PROCESS_UPLOAD,
                                        IDC_PROCESS_CONNECTIONS};
    SetItemTexts(kValueIds, ProcessDetailTexts(process_));
}

void CProTraDlg::EndProcess() {
    if (!ConfirmEndProcess(Handle(), process_.name)) {
        return;
    }
    // A process that cannot be ended still closes the dialog; only a real end tells the list.
    const bool ended = alarming::EndEngineProcess(process_.pid) == 0;
    EndDialog(ended ? IDC_PROCESS_END : IDC_PROCESS_OK);
}

}  // namespace ui
