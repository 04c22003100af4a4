#include "ui/alarm_record_page_win.h"

#include <commctrl.h>

#include <array>
#include <string>

#include "alarm/alarm_history.h"
#include "base/wide_win.h"
#include "engine/traffic_snapshots.h"
#include "res/resource_ids.h"
#include "ui/alarm_info_dlg_win.h"
#include "ui/alarm_lists_win.h"

namespace ui {
namespace {

constexpr UINT kRebuildPeriodMs = 10000;

constexpr std::array<ReportColumn, kAlarmRowColumnCount> kColumns = {{
    {L"进程名称", 85},
    {L"PID", 40},
    {L"上传速度", 73},
    {L"下载速度", 73},
    {L"已下载流量", 80},
    {L"已上传流量", 80},
    {L"处理记录", 73},
}};

}  // namespace

CDlgAlarmRecord::CDlgAlarmRecord() : skin::Dialog(IDD_ALARM_RECORD_PAGE) {}

HWND CDlgAlarmRecord::List() const {
    return Item(IDC_PAGE_LIST);
}

bool CDlgAlarmRecord::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog();
            result = TRUE;
            return true;
        case WM_TIMER:
            if (wParam == kRebuildTimer) {
                Rebuild();
                return true;
            }
            break;
        case WM_NOTIFY:
            if (const auto* header = reinterpret_cast<const NMHDR*>(lParam);
                header != nullptr && header->idFrom == IDC_PAGE_LIST) {
                OnListNotify(*header);
                return true;
            }
            break;
        case WM_DESTROY:
            ::KillTimer(Handle(), kRebuildTimer);
            break;
        default:
            break;
    }
    if (ProcessCtrlColor(message, wParam, lParam, result)) {
        return true;
    }
    return skin::Dialog::HandleMessage(message, wParam, lParam, result);
}

void CDlgAlarmRecord::OnInitDialog() {
    font_.Reset(skin::MakeFont(L"宋体", 12, FW_NORMAL, GB2312_CHARSET));
    icons_.Reset(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 8, 8));
    SetUpAlarmList(List(), kColumns, font_.Get(), icons_.Get());
    Rebuild();
    ::SetTimer(Handle(), kRebuildTimer, kRebuildPeriodMs, nullptr);
}

void CDlgAlarmRecord::Rebuild() {
    rows_ = AlarmRecordRows(alarming::ProcessAlarmHistory().Snapshot(), engine::ReadProcessRows());
    FillAlarmList(List(), icons_.Get(), rows_);
}

void CDlgAlarmRecord::OnListNotify(const NMHDR& header) {
    if (header.code == NM_RCLICK) {
        OnContextMenu();
    } else if (header.code == NM_DBLCLK) {
        const int row = SelectedRow(List());
        if (row >= 0 && static_cast<std::size_t>(row) < rows_.size()) {
            RunProcessCommand(Handle(), ID_PROCESS_TRAFFIC, rows_[static_cast<std::size_t>(row)]);
        }
    }
}

void CDlgAlarmRecord::OnContextMenu() {
    const int row = SelectedRow(List());
    const bool haveRow = row >= 0 && static_cast<std::size_t>(row) < rows_.size();
    const UINT command = TrackProcessMenu(Handle(), haveRow, true);
    if (command == ID_SHOW_ALARM_INFO) {
        ShowAlarmInfoDialog(::GetAncestor(Handle(), GA_ROOT));
        return;
    }
    if (!haveRow) {
        return;
    }
    AlarmRow& chosen = rows_[static_cast<std::size_t>(row)];
    if (RunProcessCommand(Handle(), command, chosen)) {
        chosen.texts[kAlarmRowColumnCount - 1] = kOptimizedText;
        ListView_SetItemText(List(), row, kAlarmRowColumnCount - 1,
                             base::Wide(chosen.texts[kAlarmRowColumnCount - 1].data()));
    }
}

}  // namespace ui
