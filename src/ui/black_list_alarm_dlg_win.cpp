#include "ui/black_list_alarm_dlg_win.h"

#include <commctrl.h>

#include <atomic>

#include "alarm/black_list_detector.h"
#include "base/text.h"
#include "base/wide_win.h"
#include "engine/process_records.h"
#include "engine/traffic_snapshots.h"
#include "res/resource_ids.h"
#include "ui/acc_state_dlg_win.h"
#include "ui/alarm_lists_win.h"
#include "ui/detail_dialog_win.h"
#include "ui/process_dialogs_win.h"
#include "ui/program_icons_win.h"

namespace ui {
namespace {

std::atomic<UINT> leaveCheckPeriod{8000};

}  // namespace

void SetBlackListLeaveCheckPeriod(UINT milliseconds) {
    leaveCheckPeriod.store(milliseconds, std::memory_order_relaxed);
}

CBackListAlarmDlg::CBackListAlarmDlg() : SkinnedDialog(IDD_BLACKLIST_ALARM) {
    SetTitle(base::Utf16ToGbk(u"高带宽进程检测"));
}

HWND CBackListAlarmDlg::Open() {
    auto* dialog = new CBackListAlarmDlg();
    // The same question as HasBlackListProcesses, on the current engine.
    if (alarming::DetectEngineBlackListProcesses().empty()) {
        delete dialog;
        return nullptr;
    }
    HWND window = dialog->Create(nullptr);
    if (window == nullptr) {
        delete dialog;
        return nullptr;
    }
    ::ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

bool CBackListAlarmDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog();
            return false;  // the frame's initialisation follows
        case WM_TIMER:
            if (wParam == kLeaveTimer && busy_ == 0) {
                POINT cursor{};
                RECT rect{};
                ::GetCursorPos(&cursor);
                ::GetWindowRect(Handle(), &rect);
                if (!::PtInRect(&rect, cursor)) {
                    Close();
                }
            }
            return true;
        case WM_NOTIFY:
            if (const auto* header = reinterpret_cast<const NMHDR*>(lParam);
                header != nullptr && header->idFrom == IDC_PAGE_LIST) {
                OnListNotify(*header);
                return true;
            }
            return false;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                Close();
                return true;
            }
            return false;
        case WM_CLOSE:
            Close();
            result = 0;
            return true;
        default:
            return false;
    }
}

void CBackListAlarmDlg::OnInitDialog() {
    HWND window = Handle();
    SetProgramIcons(window);
    HWND list = Item(IDC_PAGE_LIST);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    const ReportColumn columns[] = {{L"进程名称", 95}, {L"PID", 40}};
    SetUpAlarmList(list, columns, nullptr, nullptr);

    RECT rect{};
    ::GetWindowRect(window, &rect);
    const int right = ::GetSystemMetrics(SM_CXFULLSCREEN) - 1;
    const int bottom = PopupBottomLimit();
    ::SetWindowPos(window, HWND_TOPMOST, right - (rect.right - rect.left), bottom - (rect.bottom - rect.top),
                   0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    Fill();
    ::SetTimer(window, kLeaveTimer, leaveCheckPeriod.load(std::memory_order_relaxed), nullptr);
}

void CBackListAlarmDlg::Fill() {
    const std::vector<alarming::DetectedProcess> detectedProcesses =
        alarming::DetectEngineBlackListProcesses();
    const std::vector<engine::ProcessRow> processes = engine::ReadProcessRows();
    HWND list = Item(IDC_PAGE_LIST);
    for (const alarming::DetectedProcess& detected : detectedProcesses) {
        const bool hasRecord = std::any_of(processes.begin(), processes.end(), [&](const auto& process) {
            return process.pid == detected.pid && process.state == engine::kStateRunning;
        });
        if (!hasRecord) {
            continue;
        }
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(rows_.size());
        std::u16string name = detected.name;
        item.pszText = base::Wide(name.data());
        const int at = ListView_InsertItem(list, &item);
        if (at < 0) {
            continue;
        }
        std::u16string pid = base::AsciiToUtf16(std::to_string(detected.pid));
        ListView_SetItemText(list, at, 1, base::Wide(pid.data()));
        rows_.push_back({detected.name, detected.pid});
    }
}

void CBackListAlarmDlg::OnListNotify(const NMHDR& header) {
    if (header.code != NM_DBLCLK && header.code != NM_RCLICK) {
        return;
    }
    const int row = SelectedRow(header.hwndFrom);
    const bool haveRow = row >= 0 && static_cast<std::size_t>(row) < rows_.size();
    ++busy_;
    UINT command = ID_PROCESS_TRAFFIC;
    if (header.code == NM_RCLICK) {
        command = TrackProcessMenu(Handle(), haveRow, false);
    }
    if (haveRow && !closePending_) {
        RunCommand(command, static_cast<std::size_t>(row));
    }
    --busy_;
    if (busy_ == 0 && closePending_) {
        Close();  // the window and this object go here: nothing follows
    }
}

void CBackListAlarmDlg::RunCommand(UINT command, std::size_t row) {
    const Row target = rows_[row];
    bool ended = false;
    switch (command) {
        case ID_PROCESS_TRAFFIC:
            ended = OpenProcessTrafficDialog(Handle(), target.pid) == IDC_PROCESS_END;
            break;
        case ID_PROCESS_CONNECTIONS:
            OpenProcessConnectionsDialog(Handle(), target.pid);
            break;
        case ID_END_PROCESS:
            if (ConfirmEndProcess(Handle(), target.name)) {
                alarming::EndEngineProcessById(target.pid);
                ended = true;
            }
            break;
        default:
            break;
    }
    if (ended && row < rows_.size() && rows_[row].pid == target.pid) {
        ListView_DeleteItem(Item(IDC_PAGE_LIST), static_cast<int>(row));
        rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
    }
}

void CBackListAlarmDlg::Close() {
    HWND window = Handle();
    ::KillTimer(window, kLeaveTimer);
    if (busy_ > 0) {
        // What the pop-up opened goes first; the pop-up follows once that has returned.
        closePending_ = true;
        ::EndMenu();
        if (HWND child = ::GetWindow(window, GW_ENABLEDPOPUP); child != nullptr && child != window) {
            ::PostMessageW(child, WM_CLOSE, 0, 0);
        }
        return;
    }
    ::Sleep(50);
    EndDialog(IDCANCEL);
}

}  // namespace ui
