#include "ui/suspension_dlg2_win.h"

#include <shellapi.h>

#include <utility>

#include "alarm/acceleration_state.h"
#include "alarm/alarm_history.h"
#include "alarm/settings.h"
#include "base/system_time.h"
#include "base/wide_win.h"
#include "base/window_tags.h"
#include "engine/traffic_snapshots.h"
#include "res/resource_ids.h"
#include "ui/black_list_alarm_dlg_win.h"
#include "ui/floating_layout.h"
#include "ui/main_dlg_win.h"
#include "ui/program_icons_win.h"
#include "ui/shell_window.h"
#include "ui/window_background_win.h"
#include "ui/window_find_win.h"

namespace ui {
namespace {

constexpr UINT kTextPeriodMs = 1000;
constexpr UINT kBlinkPeriodMs = 1000;
constexpr UINT kTopmostDelayMs = 20000;

// Requests of other threads, carried out on the window's own.
constexpr UINT kAlarmStateMessage = WM_APP + 1;
constexpr UINT kCloseOwnedMessage = WM_APP + 2;

std::atomic<CSuspensionDlg2*> floatingWindow{nullptr};

std::uint32_t Flag(const std::atomic<std::uint32_t>& flag) {
    return flag.load(std::memory_order_relaxed);
}

void MakeTopmost(HWND window) {
    ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool IsTopmost(HWND window) {
    return (::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

}  // namespace

CSuspensionDlg2* FloatingWindow() {
    return floatingWindow.load(std::memory_order_acquire);
}

CSuspensionDlg2::CSuspensionDlg2(alarming::ProgramDirectory directory, std::function<void()> onClose,
                                 std::function<void(std::uint32_t, std::uint32_t)> reportAcceleratorTraffic)
    : skin::Dialog(IDD_FLOATING),
      directory_(std::move(directory)),
      onClose_(std::move(onClose)),
      reportAcceleratorTraffic_(std::move(reportAcceleratorTraffic)),
      sampler_(base::LocalNow()) {
    floatingWindow.store(this, std::memory_order_release);
}

CSuspensionDlg2::~CSuspensionDlg2() {
    CSuspensionDlg2* self = this;
    floatingWindow.compare_exchange_strong(self, nullptr, std::memory_order_acq_rel);
    // Gone with the object, not the program's end: the close hook is not run again.
    closing_ = true;
    if (HWND window = Window(); window != nullptr && ::IsWindow(window)) {
        ::DestroyWindow(window);
    }
    statusButton_.Detach();
}

bool CSuspensionDlg2::CreateFloating(int showCommand) {
    initialShowCommand_ = showCommand;
    return Create(nullptr) != nullptr;
}

void CSuspensionDlg2::ShowFloating(int showCommand) {
    if (alarming::ReadShowSetting(directory_) == 0) {
        showCommand = SW_HIDE;
    }
    HWND window = Window();
    if (window == nullptr) {
        return;
    }
    // Other threads (the plugin's reader) must never wait for the window's thread.
    if (::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId()) {
        ::ShowWindow(window, showCommand);
    } else {
        ::ShowWindowAsync(window, showCommand);
    }
}

std::u16string CSuspensionDlg2::RateText(int index) {
    return sampler_.RateText(engine::ReadTrafficTotals(), index, base::LocalNow());
}

std::u16string CSuspensionDlg2::VolumeText(int index) {
    return RateSampler::VolumeText(engine::ReadTrafficTotals(), index);
}

void CSuspensionDlg2::PostAlarmStateChange() {
    if (HWND window = Window(); window != nullptr) {
        ::PostMessageW(window, kAlarmStateMessage, 0, 0);
    }
}

void CSuspensionDlg2::PostCloseOwnedPopups() {
    if (HWND window = Window(); window != nullptr) {
        ::PostMessageW(window, kCloseOwnedMessage, 0, 0);
    }
}

HMENU CSuspensionDlg2::ContextMenuPopup() const {
    return contextMenu_ ? ::GetSubMenu(contextMenu_.Get(), 0) : nullptr;
}

bool CSuspensionDlg2::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (message) {
        case WM_INITDIALOG:
            result = OnInitDialog() ? TRUE : FALSE;
            return true;
        case WM_TIMER:
            OnTimer(wParam);
            return true;
        case WM_LBUTTONDOWN:
            // A press anywhere on the strip moves it, as a caption would.
            ::PostMessageW(Handle(), WM_NCLBUTTONDOWN, HTCAPTION, lParam);
            return true;
        case WM_LBUTTONDBLCLK:
            ShowAccelerator();
            return true;
        case WM_RBUTTONDOWN:
            OnContextMenu();
            return true;
        case WM_DISPLAYCHANGE: {
            RECT rect{};
            ::GetWindowRect(Handle(), &rect);
            const int width = rect.right - rect.left;
            const int height = rect.bottom - rect.top;
            ::MoveWindow(Handle(), ::GetSystemMetrics(SM_CXFULLSCREEN) - width - 151, height - 10, width,
                         height, FALSE);
            return true;
        }
        case kAppBarNotifyMessage:
            OnAppBarNotify(wParam, lParam);
            return true;
        case kShowMainModalMessage:
            OpenMainWindowModal();
            return true;
        case kShowBlackListMessage:
            OnShowBlackList();
            return true;
        case kAccelAdapterMessage:
            OnAccelAdapter(wParam, lParam);
            return true;
        case kAlarmStateMessage:
            OnAlarmStateChange();
            return true;
        case kCloseOwnedMessage:
            CloseOwnedPopups();
            return true;
        case WM_COMMAND:
            return OnCommand(LOWORD(wParam), HIWORD(wParam));
        case WM_CLOSE:
            OnClose();
            return true;
        case WM_DESTROY:
            OnDestroy();
            return true;
        default:
            return ProcessCtrlColor(message, wParam, lParam, result);
    }
}

bool CSuspensionDlg2::OnInitDialog() {
    HWND window = Handle();
    window_.store(window, std::memory_order_release);
    HINSTANCE instance = ::GetModuleHandleW(nullptr);

    SetIcons(instance);
    ::SetWindowPos(window, nullptr, 0, 0, kFloatingWidth, kFloatingHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    BuildBackground();
    MakeStripStyle();
    SetUpTextLine();
    SetUpStatusButton();
    MoveToInitialPosition();
    RoundCorners();

    ::SetPropW(window, base::Wide(std::u16string(base::kFloatingWindowTag)), window);
    contextMenu_.Reset(::LoadMenuW(instance, MAKEINTRESOURCEW(IDR_FLOATING_MENU)));
    UpdateTextLine();

    const bool timerStarted = ::SetTimer(window, kTextTimer, kTextPeriodMs, nullptr) != 0;
    ::SetTimer(window, kTopmostTimer, kTopmostDelayMs, nullptr);
    RegisterAppBar();
    ShowFloating(initialShowCommand_);
    return timerStarted;
}

void CSuspensionDlg2::SetIcons(HINSTANCE) {
    SetProgramIcons(Handle());
}

void CSuspensionDlg2::MakeStripStyle() {
    HWND window = Handle();
    // No frame and no system menu; top-most, and a tool window so that it has no task-bar button.
    const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
    ::SetWindowLongPtrW(window, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_BORDER | WS_SYSMENU));
    const LONG_PTR exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    ::SetWindowLongPtrW(window, GWL_EXSTYLE,
                        exStyle | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT);
    // The style bit alone does not move the window in the z-order.
    ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void CSuspensionDlg2::SetUpTextLine() {
    textLine_ = Item(IDC_TEXT_LINE);
    font_.Reset(skin::MakeFont(L"宋体", kFloatingFontHeight, FW_NORMAL, GB2312_CHARSET));
    if (!font_) {
        font_.Reset(skin::MakeFont(L"Arial", kFloatingFontHeight, FW_NORMAL));
    }
    ::SendMessageW(textLine_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    ::SetWindowPos(textLine_, nullptr, kFloatingTextX, 0, kFloatingTextWidth, kFloatingHeight,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(textLine_, SW_SHOW);
    // Transparent: the strip's background shows through.
    RegisterBrush(textLine_, static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH)));
}

void CSuspensionDlg2::SetUpStatusButton() {
    HWND button = Item(IDC_STATUS_BUTTON);
    statusButton_.Attach(button);
    ::SetClassLongPtrW(button, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(::LoadCursorW(nullptr, IDC_HAND)));
    RegisterBrush(button, static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH)));

    alertImageA_ = skin::CBitmapButton::LoadStrip(IDB_STATUS_ALERT_A, kStatusImageWidth);
    alertImageB_ = skin::CBitmapButton::LoadStrip(IDB_STATUS_ALERT_B, kStatusImageWidth);
    normalImage_ = skin::CBitmapButton::LoadStrip(IDB_STATUS_NORMAL, kStatusImageWidth);
    statusButton_.SetImages(0);
    SetStatusImage(InitialStatusImage(Flag(alarming::AlarmPopupCount)));
    statusButton_.SetExtendedStyle(skin::CBitmapButton::kExtendedHover);
    ::SetWindowPos(button, nullptr, kStatusButtonX, kStatusButtonY, kStatusButtonWidth, kStatusButtonHeight,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void CSuspensionDlg2::MoveToInitialPosition() {
    const Point position =
        FloatingInitialPosition(alarming::SuspensionX.load(std::memory_order_relaxed),
                                alarming::SuspensionY.load(std::memory_order_relaxed),
                                ::GetSystemMetrics(SM_CXFULLSCREEN), ::GetSystemMetrics(SM_CYFULLSCREEN));
    ::SetWindowPos(Handle(), nullptr, position.x, position.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CSuspensionDlg2::RoundCorners() {
    RECT rect{};
    ::GetWindowRect(Handle(), &rect);
    skin::Region region(::CreateRoundRectRgn(0, 0, rect.right - rect.left + 1, rect.bottom - rect.top + 1,
                                             kFloatingCorner, kFloatingCorner));
    if (::SetWindowRgn(Handle(), region.Get(), TRUE) != 0) {
        // The system owns the region once it is set.
        static_cast<void>(region.Release());
    }
}

void CSuspensionDlg2::RegisterAppBar() {
    // Full-screen applications are reported to application desktop toolbars.
    APPBARDATA appBar{};
    appBar.cbSize = sizeof(appBar);
    appBar.hWnd = Handle();
    appBar.uCallbackMessage = kAppBarNotifyMessage;
    appBarRegistered_ = ::SHAppBarMessage(ABM_NEW, &appBar) != 0;
}

void CSuspensionDlg2::BuildBackground() {
    RECT client{};
    skin::Bitmap background = CreateClientBitmap(Handle(), client);
    skin::Bitmap left(skin::LoadProgramBitmap(IDB_STRIP_LEFT));
    skin::Bitmap logo(skin::LoadProgramBitmap(IDB_STRIP_LOGO));
    skin::Bitmap right(skin::LoadProgramBitmap(IDB_STRIP_RIGHT));
    skin::Bitmap column(skin::LoadProgramBitmap(IDB_STRIP_COLUMN));
    if (!background) {
        return;
    }
    {
        skin::MemoryDc dc(nullptr, background.Get());
        ::FillRect(dc.Get(), &client, DefaultBrush());
        const int leftWidth = skin::SizeOf(left.Get()).width;
        const int logoEnd = leftWidth + skin::SizeOf(logo.Get()).width;
        const int rightStart = client.right - skin::SizeOf(right.Get()).width;
        // The column runs on to the right edge, and the right cap is drawn over its end.
        skin::DrawBitmap(dc.Get(), left.Get(), 0, 0);
        skin::DrawBitmap(dc.Get(), logo.Get(), leftWidth, 0);
        skin::TileHorizontally(dc.Get(), column.Get(), logoEnd, client.right, 0);
        skin::DrawBitmap(dc.Get(), right.Get(), rightStart, 0);
    }
    RegisterBrush(Handle(), ::CreatePatternBrush(background.Get()));
}

void CSuspensionDlg2::UpdateTextLine() {
    if (textLine_ == nullptr) {
        return;
    }
    const TextLineChoice choice = ChooseTextLine(static_cast<int>(Flag(alarming::AccelerationState)),
                                                 Flag(alarming::HasUnhandledAlarm) != 0);
    const std::u16string figure = choice.rate ? RateText(choice.quantity) : VolumeText(choice.quantity);
    ::SetWindowTextW(textLine_, base::Wide(TextLine(choice, figure)));
    // The text is transparent: the strip's background under it is drawn again first.
    RECT area{};
    ::GetWindowRect(textLine_, &area);
    ::MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&area), 2);
    ::RedrawWindow(Handle(), &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CSuspensionDlg2::SetStatusImage(StatusImage image) {
    const base::ScopedImageList& list = image == StatusImage::kAlertA   ? alertImageA_
                                        : image == StatusImage::kAlertB ? alertImageB_
                                                                        : normalImage_;
    statusButton_.SetImageList(list.Get());
    shownImage_.store(image, std::memory_order_relaxed);
}

void CSuspensionDlg2::OnTimer(UINT_PTR id) {
    HWND window = Handle();
    switch (id) {
        case kTextTimer:
            if (ShouldReassertTopmost(topmostPhase_, ::IsWindowVisible(window) != FALSE, IsTopmost(window))) {
                MakeTopmost(window);
            }
            UpdateTextLine();
            break;
        case kTopmostTimer:
            MakeTopmost(window);
            ::KillTimer(window, kTopmostTimer);
            topmostPhase_ = true;
            break;
        case kBlinkTimer: {
            const AlarmBlink::Step step =
                blink_.Tick(Flag(alarming::AccelerationState), Flag(alarming::HasUnhandledAlarm) != 0);
            SetStatusImage(step.image);
            if (!step.keepBlinking) {
                ::KillTimer(window, kBlinkTimer);
            }
            break;
        }
        default:
            break;
    }
}

void CSuspensionDlg2::OnAlarmStateChange() {
    if (Flag(alarming::HasUnhandledAlarm) == 0) {
        ::KillTimer(Handle(), kBlinkTimer);
        SetStatusImage(StatusImage::kNormal);
    } else {
        ::SetTimer(Handle(), kBlinkTimer, kBlinkPeriodMs, nullptr);
    }
}

void CSuspensionDlg2::OnShowBlackList() {
    std::erase_if(openBlackListDialogs_, [](HWND dialog) { return !::IsWindow(dialog); });
    if (HWND dialog = CBackListAlarmDlg::Open(); dialog != nullptr) {
        openBlackListDialogs_.push_back(dialog);
    }
}

void CSuspensionDlg2::CloseOwnedPopups() {
    // Each pop-up destroys itself on WM_CLOSE, after what it opened has gone.
    for (HWND dialog : std::exchange(openBlackListDialogs_, {})) {
        if (::IsWindow(dialog)) {
            ::SendMessageW(dialog, WM_CLOSE, 0, 0);
        }
    }
    ::KillTimer(Handle(), kTextTimer);
    ::KillTimer(Handle(), kBlinkTimer);
    ::KillTimer(Handle(), kTopmostTimer);
}

void CSuspensionDlg2::OnAppBarNotify(WPARAM code, LPARAM argument) {
    if (code != ABN_FULLSCREENAPP) {
        return;
    }
    const auto fullScreen = reinterpret_cast<std::uintptr_t>(FullScreenForegroundWindow());
    if (argument != 0) {
        if (fullScreen_.Opened(fullScreen, ::IsWindowVisible(Handle()) != FALSE)) {
            ::ShowWindow(Handle(), SW_HIDE);
        }
    } else if (fullScreen_.Closed(fullScreen, Flag(alarming::ShowSuspension) == 1)) {
        ::ShowWindow(Handle(), SW_SHOW);
    }
}

void CSuspensionDlg2::OnAccelAdapter(WPARAM sent, LPARAM received) {
    if (!IsAcceleratorReport(sent, received) || !reportAcceleratorTraffic_) {
        return;
    }
    reportAcceleratorTraffic_(static_cast<std::uint32_t>(sent), static_cast<std::uint32_t>(received));
}

void CSuspensionDlg2::OnClose() {
    closing_ = true;
    if (onClose_) {
        onClose_();
    }
    ::PostQuitMessage(0);
    ::DestroyWindow(Handle());
}

void CSuspensionDlg2::OnDestroy() {
    HWND window = Handle();
    ::KillTimer(window, kTextTimer);
    ::KillTimer(window, kBlinkTimer);
    ::KillTimer(window, kTopmostTimer);
    if (appBarRegistered_) {
        APPBARDATA appBar{};
        appBar.cbSize = sizeof(appBar);
        appBar.hWnd = window;
        ::SHAppBarMessage(ABM_REMOVE, &appBar);
        appBarRegistered_ = false;
    }
    ::RemovePropW(window, base::Wide(std::u16string(base::kFloatingWindowTag)));
    window_.store(nullptr, std::memory_order_release);
    // Gone without WM_CLOSE: the program ends all the same rather than run on without its face.
    if (!closing_) {
        closing_ = true;
        if (onClose_) {
            onClose_();
        }
        ::PostQuitMessage(0);
    }
}

}  // namespace ui
