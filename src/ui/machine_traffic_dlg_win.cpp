#include "ui/machine_traffic_dlg_win.h"

#include "base/system_time.h"
#include "engine/traffic_snapshots.h"
#include "res/resource_ids.h"
#include "ui/process_list_model.h"

namespace ui {

CMachineTrafficDlg::CMachineTrafficDlg() : DetailDialog(IDD_MACHINE_TRAFFIC, u"本机流量信息") {}

bool CMachineTrafficDlg::OnMessage(UINT message, WPARAM, LPARAM, LRESULT&) {
    if (message != WM_INITDIALOG) {
        return false;
    }
    SetUpDetailFrame(IDOK);
    const auto figures = engine::ReadMachineFigures();
    if (!figures.has_value()) {
        return false;
    }
    static constexpr int kValueIds[] = {
        IDC_MACHINE_NAME,   IDC_MACHINE_ADDRESS,       IDC_MACHINE_START,      IDC_MACHINE_DOWNLOAD,
        IDC_MACHINE_UPLOAD, IDC_MACHINE_DOWNLOAD_RATE, IDC_MACHINE_UPLOAD_RATE};
    SetItemTexts(kValueIds, MachineFigureTexts(*figures, base::LocalNow()));
    return false;
}

INT_PTR ShowMachineTrafficDialog(HWND owner) {
    CMachineTrafficDlg dialog;
    return dialog.DoModal(owner);
}

}  // namespace ui
