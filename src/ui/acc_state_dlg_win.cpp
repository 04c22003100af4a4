#include "ui/acc_state_dlg_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <optional>

#include "alarm/acceleration_state.h"
#include "alarm/alarm_handling.h"
#include "alarm/alarm_history.h"
#include "alarm/black_list_detector.h"
#include "alarm/settings.h"
#include "base/text.h"
#include "base/wide_win.h"
#include "base/window_tags.h"
#include "engine/name_lists.h"
#include "engine/traffic_monitor.h"
#include "engine/traffic_snapshots.h"
#include "res/resource_ids.h"
#include "ui/acc_state_texts.h"
#include "ui/detail_dialog_win.h"
#include "ui/process_icons_win.h"
#include "ui/rate_sampler.h"
#include "ui/suspension_dlg2_win.h"
#include "ui/window_find_win.h"

namespace ui {
namespace {

constexpr UINT kRefreshPeriodMs = 1000;
constexpr int kDefaultLogoId = 219;
constexpr int kLogoSize = 32;
constexpr int kMargin = 10;
constexpr int kTextHeight = 14;

std::atomic<UINT> leaveCheckPeriod{20000};

// Alarms arrive with the process's name as the engine knows it; svchost.exe has no path of its own
// worth showing and takes the system's copy.
bool IsServiceHost(const std::u16string& name) {
    return engine::EqualsIgnoringCase(name, u"svchost.exe");
}

HICON FileIcon(const std::u16string& path) {
    SHFILEINFOW info{};
    if (path.empty() || ::SHGetFileInfoW(base::Wide(path), 0, &info, sizeof(info), SHGFI_ICON) == 0) {
        return nullptr;
    }
    return info.hIcon;
}

std::uint32_t Flag(const std::atomic<std::uint32_t>& flag) {
    return flag.load(std::memory_order_relaxed);
}

}  // namespace

void SetAccStateLeaveCheckPeriod(UINT milliseconds) {
    leaveCheckPeriod.store(milliseconds, std::memory_order_relaxed);
}

CDlgAccState::CDlgAccState(alarming::ProgramDirectory directory, const RECT& placement)
    : SkinnedDialog(IDD_ACC_STATE), directory_(std::move(directory)), placement_(placement) {
    SetTitle(base::Utf16ToGbk(u"Zelvan 加速状态"));
}

bool CDlgAccState::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog();
            return false;  // the frame's initialisation follows
        case WM_TIMER:
            OnTimer(wParam);
            return true;
        case WM_COMMAND:
            return OnCommand(LOWORD(wParam), HIWORD(wParam));
        case WM_CLOSE:
            Close();
            result = 0;
            return true;
        case WM_DESTROY:
            OnDestroy();
            return false;
        default:
            return false;
    }
}

void CDlgAccState::OnInitDialog() {
    HWND window = Handle();
    ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetUpControls();
    // The hand over the whole window, as over its links.
    ::SetClassLongPtrW(window, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(::LoadCursorW(nullptr, IDC_HAND)));

    alarming::RefreshAlarmEnabled(directory_);
    ::CheckDlgButton(window, IDC_ACC_NO_ALARM,
                     Flag(alarming::AlarmEnabled) != 1 ? BST_CHECKED : BST_UNCHECKED);
    FillList();
    Layout();
    RefreshTexts();

    ::SetTimer(window, kRefreshTimer, kRefreshPeriodMs, nullptr);
    ::SetTimer(window, kLeaveTimer, leaveCheckPeriod.load(std::memory_order_relaxed), nullptr);
    ::SetForegroundWindow(window);
    ::SetPropW(window, base::Wide(std::u16string(base::kAccStateWindowTag)), window);
}

void CDlgAccState::SetUpControls() {
    defaultLogo_.Reset(Library().LoadIconResource(kDefaultLogoId, kLogoSize));
    ::SendDlgItemMessageW(Handle(), IDC_ACC_LOGO, STM_SETICON, reinterpret_cast<WPARAM>(defaultLogo_.Get()),
                          0);
    detailsLink_.Attach(Item(IDC_ACC_DETAILS_LINK));
    ignoreLink_.Attach(Item(IDC_ACC_IGNORE_LINK));
    buttonFace_.Reset(LoadSkinBitmap(L"IDB_BITMAP_BTN"));
    if (optimizeButton_.Attach(Item(IDC_ACC_OPTIMIZE))) {
        optimizeButton_.SetFace(buttonFace_.Get());
    }

    HWND list = Item(IDC_ACC_LIST);
    listFont_.Reset(skin::MakeFont(L"宋体", 13, FW_NORMAL, GB2312_CHARSET));
    ::SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.Get()), FALSE);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    icons_.Reset(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 4));
    ListView_SetImageList(list, icons_.Get(), LVSIL_SMALL);
    const struct {
        const wchar_t* title;
        int width;
    } columns[] = {{L"进程名称", 150}, {L"报警原因", 120}};
    int index = 0;
    for (const auto& column : columns) {
        LVCOLUMNW lvc{};
        lvc.mask = LVCF_TEXT | LVCF_WIDTH;
        lvc.cx = column.width;
        lvc.pszText = const_cast<wchar_t*>(column.title);
        ListView_InsertColumn(list, index++, &lvc);
    }
}

void CDlgAccState::FillList() {
    HWND list = Item(IDC_ACC_LIST);
    const auto entries =
        alarming::PopupEntries(alarming::ProcessAlarmHistory().Snapshot(), engine::ReadProcessRows());
    for (const engine::SpeedAlarmRecord& entry : entries) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = static_cast<int>(rows_.size());
        item.iImage = AddProcessIcon(icons_.Get(), entry.pid, IsServiceHost(entry.name) ? u"" : entry.path,
                                     IconSource::kShell);
        std::u16string name = entry.name;
        item.pszText = base::Wide(name.data());
        const int at = ListView_InsertItem(list, &item);
        if (at < 0) {
            continue;
        }
        ListView_SetItemText(list, at, 1, const_cast<wchar_t*>(L"下载流量过高"));
        ListView_SetCheckState(list, at, TRUE);
        rows_.push_back({entry.name, entry.pid, false});
    }
    ::SetDlgItemTextW(Handle(), IDC_ACC_DESCRIPTION, base::Wide(AccStateDescription(rows_.size())));
}

void CDlgAccState::Layout() {
    HWND window = Handle();
    const SIZE frame = DialogFrame::WindowSizeFor(0, 0);
    const int width = placement_.right - placement_.left - frame.cx;
    const auto place = [window](int id, int x, int y, int w, int h) {
        ::SetWindowPos(::GetDlgItem(window, id), nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    };
    const int inner = width - 2 * kMargin;
    place(IDC_ACC_LOGO, kMargin, 8, kLogoSize, kLogoSize);
    place(IDC_ACC_GAME, 50, 10, width - 50 - kMargin, kTextHeight);
    place(IDC_ACC_SERVER, 50, 28, width - 50 - kMargin, kTextHeight);
    place(IDC_ACC_USAGE, kMargin, 48, inner / 2, kTextHeight);
    place(IDC_ACC_USAGE_OTHER, kMargin + inner / 2, 48, inner - inner / 2, kTextHeight);
    place(IDC_ACC_STATE, kMargin, 66, inner, kTextHeight);
    place(IDC_ACC_DESCRIPTION, kMargin, 84, inner, 2 * kTextHeight);

    HWND list = Item(IDC_ACC_LIST);
    RECT header{};
    ::GetWindowRect(ListView_GetHeader(list), &header);
    RECT row{0, 0, 0, 18};
    if (!rows_.empty()) {
        ListView_GetItemRect(list, 0, &row, LVIR_BOUNDS);
    }
    const int listTop = 116;
    const int listHeight = AccStateListHeight(rows_.size(), row.bottom - row.top, header.bottom - header.top);
    place(IDC_ACC_LIST, kMargin, listTop, inner, listHeight);
    int y = listTop + listHeight + 8;
    place(IDC_ACC_NO_ALARM, kMargin, y + 4, 100, 16);
    place(IDC_ACC_OPTIMIZE, width - kMargin - 80, y, 80, 24);
    y += 32;
    place(IDC_ACC_DETAILS_LINK, kMargin, y, 130, kTextHeight + 2);
    place(IDC_ACC_IGNORE_LINK, kMargin + 140, y, 40, kTextHeight + 2);
    const SIZE size = DialogFrame::WindowSizeFor(width, y + kTextHeight + 12);
    // The top stays where it was placed unless the window would reach below the pop-ups' bottom line.
    const int bottomLimit = PopupBottomLimit();
    const int top = placement_.top + size.cy > bottomLimit ? bottomLimit - size.cy : placement_.top;
    ::SetWindowPos(window, nullptr, placement_.left, top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CDlgAccState::RefreshTexts() {
    const std::uint32_t state = Flag(alarming::AccelerationState);
    if (state != shownState_) {
        shownState_ = state;
        ::SetDlgItemTextW(Handle(), IDC_ACC_STATE, base::Wide(AccelerationStateText(state)));
        RefreshLogo(state);
    }
    const engine::TrafficTotals totals = engine::ReadTrafficTotals();
    const UsageTexts usage =
        ChooseUsageTexts(state, Flag(alarming::HasUnhandledAlarm) != 0, RateSampler::VolumeText(totals, 4),
                         RateSampler::VolumeText(totals, 7));
    const std::pair<int, const std::u16string*> texts[] = {{IDC_ACC_USAGE, &usage.first},
                                                           {IDC_ACC_USAGE_OTHER, &usage.second}};
    for (const auto& [id, text] : texts) {
        HWND control = Item(id);
        ::SetWindowTextW(control, base::Wide(*text));
        ::ShowWindow(control, text->empty() ? SW_HIDE : SW_SHOW);
    }
}

void CDlgAccState::RefreshLogo(std::uint32_t accelerationState) {
    HICON logo = nullptr;
    std::u16string name = u"加速游戏";
    if (accelerationState == 1) {
        engine::AcceleratedGameInfo game;
        if (engine::TrafficMonitor* monitor = engine::CurrentTrafficMonitor(); monitor != nullptr) {
            game = monitor->GetAccelerateGameInfo();
        }
        const LogoChoice choice = ChooseLogo(game.gameId, game.name, game.info, engine::ReadProcessRows());
        if (!choice.logoFile.empty()) {
            const std::u16string file = directory_.Path(choice.logoFile);
            logo = static_cast<HICON>(
                ::LoadImageW(nullptr, base::Wide(file), IMAGE_ICON, kLogoSize, kLogoSize, LR_LOADFROMFILE));
        }
        if (logo == nullptr) {
            logo = FileIcon(choice.iconPath);
        }
        if (!choice.name.empty()) {
            name = choice.name;
        }
    }
    gameLogo_.Reset(logo);
    ::SendDlgItemMessageW(Handle(), IDC_ACC_LOGO, STM_SETICON,
                          reinterpret_cast<WPARAM>(logo != nullptr ? logo : defaultLogo_.Get()), 0);
    ::SetDlgItemTextW(Handle(), IDC_ACC_GAME, base::Wide(name));
}

void CDlgAccState::OnTimer(UINT_PTR id) {
    HWND window = Handle();
    if (id == kRefreshTimer) {
        if ((::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0) {
            ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        RefreshTexts();
        return;
    }
    if (id != kLeaveTimer || asking_) {
        return;
    }
    POINT cursor{};
    RECT rect{};
    ::GetCursorPos(&cursor);
    ::GetWindowRect(window, &rect);
    if (!::PtInRect(&rect, cursor)) {
        ::KillTimer(window, kLeaveTimer);
        Close();
    }
}

bool CDlgAccState::OnCommand(WORD id, WORD code) {
    switch (id) {
        case IDC_ACC_DETAILS_LINK:
            if (CSuspensionDlg2* floating = FloatingWindow(); floating != nullptr && floating->Window()) {
                ::PostMessageW(floating->Window(), WM_COMMAND, MAKEWPARAM(ID_SHOW_DETAILS, 0), 0);
            }
            Close();
            return true;
        case IDC_ACC_IGNORE_LINK:
            OnIgnore();
            return true;
        case IDC_ACC_OPTIMIZE:
            if (code == BN_CLICKED) {
                OnOptimize();
            }
            return true;
        case IDC_ACC_NO_ALARM:
            if (code == BN_CLICKED) {
                alarming::AlarmEnabled.store(
                    ::IsDlgButtonChecked(Handle(), IDC_ACC_NO_ALARM) == BST_CHECKED ? 0 : 1,
                    std::memory_order_relaxed);
            }
            return true;
        case IDOK:
        case IDCANCEL:
            Close();
            return true;
        default:
            return false;
    }
}

void CDlgAccState::MarkRow(std::size_t index, const wchar_t* text) {
    rows_[index].handled = true;
    ListView_SetItemText(Item(IDC_ACC_LIST), static_cast<int>(index), 1, const_cast<wchar_t*>(text));
}

bool CDlgAccState::IsTicked(std::size_t index) const {
    return ListView_GetCheckState(Item(IDC_ACC_LIST), static_cast<int>(index)) != FALSE;
}

void CDlgAccState::OnIgnore() {
    alarming::AlarmHistory& history = alarming::ProcessAlarmHistory();
    int ignored = 0;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].handled) {
            continue;
        }
        alarming::SetHandlingStateOfName(history, rows_[i].name, engine::kAlarmIgnored);
        MarkRow(i, L"已忽略");
        ++ignored;
    }
    alarming::HasUnhandledAlarm = alarming::UnhandledAfterIgnore(
        Flag(alarming::AccelerationState), Flag(alarming::HasUnhandledAlarm), history.Snapshot());
    UpdateIndicator();
    if (ignored > 0) {
        SendNotice(alarming::IgnoredNotice(ignored));
        Close();
    }
}

void CDlgAccState::OnOptimize() {
    alarming::AlarmHistory& history = alarming::ProcessAlarmHistory();
    int optimized = 0;
    asking_ = true;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].handled || !IsTicked(i) || !ConfirmEndProcess(Handle(), rows_[i].name)) {
            continue;
        }
        // The running record of that name; the alarm's own pid first, should the name run twice.
        std::optional<std::uint32_t> pid;
        for (const engine::ProcessRow& process : engine::ReadProcessRows()) {
            if (process.state == engine::kStateRunning &&
                engine::EqualsIgnoringCase(process.name, rows_[i].name) &&
                (!pid.has_value() || process.pid == rows_[i].pid)) {
                pid = process.pid;
            }
        }
        if (!pid.has_value() || alarming::EndEngineProcessById(*pid) != 0) {
            continue;
        }
        alarming::SetHandlingStateOfName(history, rows_[i].name, engine::kAlarmOptimized);
        MarkRow(i, L"已优化");
        ++optimized;
    }
    asking_ = false;
    alarming::HasUnhandledAlarm = alarming::UnhandledAfterOptimize(
        Flag(alarming::AccelerationState), Flag(alarming::HasUnhandledAlarm), history.Snapshot());
    UpdateIndicator();
    if (optimized > 0) {
        SendNotice(alarming::OptimizedNotice(optimized));
        Close();
    }
}

void CDlgAccState::SendNotice(const std::string& payload) const {
    HWND accelerator = FindWindowByTag(base::kAcceleratorWindowTag);
    if (accelerator == nullptr) {
        return;
    }
    COPYDATASTRUCT data{};
    data.dwData = alarming::kNoticeDataKind;
    data.cbData = static_cast<DWORD>(payload.size());
    data.lpData = const_cast<char*>(payload.data());
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutW(accelerator, WM_COPYDATA, reinterpret_cast<WPARAM>(Handle()),
                          reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 2000, &answer);
}

void CDlgAccState::UpdateIndicator() const {
    if (CSuspensionDlg2* floating = FloatingWindow(); floating != nullptr) {
        floating->PostAlarmStateChange();
    }
}

void CDlgAccState::Close() {
    if (closed_) {
        return;
    }
    closed_ = true;
    EndDialog(IDCANCEL);
    // With the main window open the strip stays hidden, and the window's own close deals with it.
    if (FindWindowByTag(base::kMainWindowTag) == nullptr) {
        const bool someUnhandled =
            std::any_of(rows_.begin(), rows_.end(), [](const Row& row) { return !row.handled; });
        alarming::HasUnhandledAlarm =
            alarming::UnhandledOnClose(Flag(alarming::AccelerationState), someUnhandled);
        UpdateIndicator();
        if (CSuspensionDlg2* floating = FloatingWindow(); floating != nullptr) {
            floating->ShowFloating(SW_SHOW);
        }
    }
    alarming::WriteAlarmSetting(directory_, Flag(alarming::AlarmEnabled) == 1 ? 1 : 0);
}

void CDlgAccState::OnDestroy() {
    HWND window = Handle();
    ::KillTimer(window, kRefreshTimer);
    ::KillTimer(window, kLeaveTimer);
    ::RemovePropW(window, base::Wide(std::u16string(base::kAccStateWindowTag)));
    optimizeButton_.Detach();
    detailsLink_.Detach();
    ignoreLink_.Detach();
}

int PopupBottomLimit() {
    const int line = ::GetSystemMetrics(SM_CYFULLSCREEN) + 20;
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    HMONITOR primary = ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    return primary != nullptr && ::GetMonitorInfoW(primary, &info) && info.rcMonitor.bottom < line
               ? info.rcMonitor.bottom
               : line;
}

void RunAccStatePopup(const RECT& placement) {
    CDlgAccState dialog(alarming::ProgramDirectory(), placement);
    dialog.DoModal(nullptr);
}

}  // namespace ui
