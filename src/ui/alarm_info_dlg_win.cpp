#include "ui/alarm_info_dlg_win.h"

#include <commctrl.h>

#include <array>

#include "alarm/alarm_history.h"
#include "alarm/black_list_detector.h"
#include "base/text.h"
#include "engine/traffic_snapshots.h"
#include "res/resource_ids.h"
#include "ui/alarm_lists_win.h"

namespace ui {
namespace {

constexpr wchar_t kTitle[] = L"报警信息";

constexpr std::array<ReportColumn, kAlarmRowColumnCount> kHistoryColumns = {{
    {L"进程名称", 110},
    {L"PID", 45},
    {L"下载速度", 80},
    {L"上传速度", 80},
    {L"下载流量", 80},
    {L"上传流量", 80},
    {L"报警时间", 130},
}};

constexpr std::array<ReportColumn, 4> kDetectedColumns = {{
    {L"进程名称", 110},
    {L"PID", 45},
    {L"路径", 300},
    {L"描述", 150},
}};

std::vector<AlarmRow> DetectBlackListRows() {
    std::vector<AlarmRow> rows;
    for (const alarming::DetectedProcess& process : alarming::DetectEngineBlackListProcesses()) {
        AlarmRow row;
        row.pid = process.pid;
        row.path = process.path;
        row.texts = {process.name, base::AsciiToUtf16(std::to_string(process.pid)), process.path,
                     process.description};
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace

CAlarmInfoDlg::CAlarmInfoDlg() : SkinnedDialog(IDD_ALARM_INFO) {
    SetTitle(base::Utf16ToGbk(u"报警信息"));
}

bool CAlarmInfoDlg::OnMessage(UINT message, WPARAM, LPARAM lParam, LRESULT&) {
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog();
            return false;  // the frame's initialisation follows
        case WM_NOTIFY:
            if (const auto* header = reinterpret_cast<const NMHDR*>(lParam);
                header != nullptr && RowsOf(header->idFrom) != nullptr) {
                OnListNotify(*header);
                return true;
            }
            return false;
        case WM_DESTROY:
            okButton_.Detach();
            return false;
        default:
            return false;
    }
}

void CAlarmInfoDlg::OnInitDialog() {
    font_.Reset(skin::MakeFont(L"宋体", 12, FW_NORMAL, GB2312_CHARSET));
    buttonFace_.Reset(LoadSkinBitmap(L"IDB_BITMAP_BTN"));
    okButton_.Attach(Item(IDOK));
    okButton_.SetFace(buttonFace_.Get());
    historyIcons_.Reset(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 8, 8));
    detectedIcons_.Reset(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 8, 8));
    SetUpAlarmList(Item(IDC_ALARM_HISTORY_LIST), kHistoryColumns, font_.Get(), historyIcons_.Get());
    SetUpAlarmList(Item(IDC_DETECTED_LIST), kDetectedColumns, font_.Get(), detectedIcons_.Get());
    Fill();
}

void CAlarmInfoDlg::Fill() {
    historyRows_ = AlarmInfoRows(alarming::ProcessAlarmHistory().Snapshot(), engine::ReadProcessRows());
    FillAlarmList(Item(IDC_ALARM_HISTORY_LIST), historyIcons_.Get(), historyRows_);
    detectedRows_ = DetectBlackListRows();
    FillAlarmList(Item(IDC_DETECTED_LIST), detectedIcons_.Get(), detectedRows_);
}

std::vector<AlarmRow>* CAlarmInfoDlg::RowsOf(UINT_PTR listId) {
    if (listId == IDC_ALARM_HISTORY_LIST) {
        return &historyRows_;
    }
    return listId == IDC_DETECTED_LIST ? &detectedRows_ : nullptr;
}

void CAlarmInfoDlg::OnListNotify(const NMHDR& header) {
    if (header.code != NM_RCLICK && header.code != NM_DBLCLK) {
        return;
    }
    const std::vector<AlarmRow>& rows = *RowsOf(header.idFrom);
    const int row = SelectedRow(header.hwndFrom);
    const bool haveRow = row >= 0 && static_cast<std::size_t>(row) < rows.size();
    const UINT command =
        header.code == NM_DBLCLK ? ID_PROCESS_TRAFFIC : TrackProcessMenu(Handle(), haveRow, false);
    if (haveRow && RunProcessCommand(Handle(), command, rows[static_cast<std::size_t>(row)])) {
        Fill();
    }
}

INT_PTR ShowAlarmInfoDialog(HWND owner) {
    if (HWND open = ::FindWindowW(nullptr, kTitle); open != nullptr) {
        ::SetWindowPos(open, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        return 0;
    }
    CAlarmInfoDlg dialog;
    return dialog.DoModal(owner);
}

}  // namespace ui
