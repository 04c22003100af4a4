#include "ui/main_dlg_win.h"

#include "alarm/acceleration_state.h"
#include "alarm/alarm_history.h"
#include "base/text.h"
#include "base/wide_win.h"
#include "base/window_tags.h"
#include "res/resource_ids.h"
#include "ui/about_box_win.h"
#include "ui/alarm_record_page_win.h"
#include "ui/machine_traffic_dlg_win.h"
#include "ui/main_layout.h"
#include "ui/program_icons_win.h"
#include "ui/setting_dlg_win.h"
#include "ui/suspension_dlg2_win.h"
#include "ui/traffic_page_win.h"
#include "ui/window_background_win.h"
#include "ui/window_find_win.h"

namespace ui {
namespace {

constexpr UINT kStatusPeriodMs = 1000;
constexpr COLORREF kSolidBackground = 0xFFFBF7;
constexpr COLORREF kTabLineColor = RGB(233, 246, 221);
constexpr COLORREF kFrameBorderColor = 0xBBCCBD;
constexpr int kTabIds[2] = {IDC_MAIN_TRAFFIC_TAB, IDC_MAIN_ALARM_TAB};
constexpr int kTabBitmaps[2] = {IDB_TAB_TRAFFIC, IDB_TAB_ALARMS};

void Place(HWND control, const Box& box) {
    ::SetWindowPos(control, nullptr, box.x, box.y, box.width, box.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::uint32_t Flag(const std::atomic<std::uint32_t>& flag) {
    return flag.load(std::memory_order_relaxed);
}

// The area of `control` in its parent's client coordinates.
RECT AreaInParent(HWND control) {
    RECT area{};
    ::GetWindowRect(control, &area);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&area), 2);
    return area;
}

}  // namespace

CMainDlg::CMainDlg(bool modeless) : SkinnedDialog(IDD_MAIN), modeless_(modeless) {}

CMainDlg::~CMainDlg() {
    CleanUp();
}

void CMainDlg::OnFinalMessage() {
    if (modeless_) {
        delete this;
    }
}

bool CMainDlg::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    switch (message) {
        case WM_INITDIALOG:
            result = OnInitDialog() ? TRUE : FALSE;
            // The frame's own initialisation follows.
            return false;
        case WM_TIMER:
            if (wParam == kStatusTimer) {
                RefreshStatus();
            }
            result = 0;
            return true;
        case WM_PAINT:
            OnPaint();
            result = 0;
            return true;
        case WM_COMMAND:
            if (OnCommand(LOWORD(wParam), HIWORD(wParam))) {
                result = 0;
                return true;
            }
            return false;
        case WM_CLOSE:
            Close(true);
            result = 0;
            return true;
        case WM_DESTROY:
            CleanUp();
            ::RemovePropW(Handle(), base::Wide(std::u16string(base::kMainWindowTag)));
            return false;
        default:
            return false;
    }
}

bool CMainDlg::OnInitDialog() {
    HWND window = Handle();
    SetTitle(base::Utf16ToGbk(u"网络监控"));
    SetSettingsLabel(base::Utf16ToGbk(u"设置"));

    // Built hidden and on top, shown in one step at the end.
    RECT start{};
    const bool haveStart = ::GetWindowRect(window, &start) != FALSE;
    if (haveStart) {
        ::SetWindowPos(window, HWND_TOPMOST, start.left, start.top, start.right - start.left,
                       start.bottom - start.top, SWP_HIDEWINDOW);
    }
    SetProgramIcons(window);
    BuildHeaderAndPages();
    ::SetPropW(window, base::Wide(std::u16string(base::kMainWindowTag)), window);
    timerRunning_ = ::SetTimer(window, kStatusTimer, kStatusPeriodMs, nullptr) != 0;

    RECT now{};
    ::GetWindowRect(window, &now);
    const RECT& at = haveStart ? start : now;
    // The size set while building stands; only the position of the start is taken back.
    ::SetWindowPos(window, HWND_NOTOPMOST, at.left, at.top, kMainWidth, kMainHeight, SWP_SHOWWINDOW);
    ::ShowWindow(window, SW_RESTORE);
    return timerRunning_;
}

void CMainDlg::BuildHeaderAndPages() {
    HWND window = Handle();
    RegisterBrush(window, ::CreateSolidBrush(kSolidBackground));
    RECT rect{};
    ::GetWindowRect(window, &rect);
    ::SetWindowPos(window, nullptr, rect.left, rect.top, kMainWidth, kMainHeight,
                   SWP_NOZORDER | SWP_NOACTIVATE);

    tabFont_.Reset(skin::MakeFont(L"宋体", kTabFontHeight, FW_NORMAL, GB2312_CHARSET));
    descriptionFont_.Reset(skin::MakeFont(L"宋体", kDescriptionFontHeight, FW_NORMAL, GB2312_CHARSET));
    figureFont_.Reset(skin::MakeFont(L"宋体", kFigureFontHeight, FW_NORMAL, GB2312_CHARSET));
    SetUpTabs();
    SetUpHeader();
    pageFrame_.Attach(Item(IDC_MAIN_PAGE_FRAME));
    pageFrame_.SetColors(kFrameBorderColor, RGB(255, 255, 255));
    tabLinePen_.Reset(::CreatePen(PS_SOLID, 1, kTabLineColor));
    iconAbnormal_.Reset(skin::LoadProgramBitmap(IDB_STATE_ABNORMAL));
    iconNormal_.Reset(skin::LoadProgramBitmap(IDB_STATE_NORMAL));
    CreatePages();
    ApplyLayout();
    ShowTabFace(0, true);
    OpenFrameUnderTab();
    ::InvalidateRect(window, nullptr, TRUE);
    BuildBackground();
    RefreshStatus();
}

void CMainDlg::SetUpTabs() {
    for (int page = 0; page < 2; ++page) {
        skin::CBitmapButton& tab = tabButtons_[page];
        HWND button = Item(kTabIds[page]);
        tab.Attach(button);
        tab.SetImageList(skin::CBitmapButton::LoadStrip(kTabBitmaps[page], kTabImageWidth));
        tab.SetExtendedStyle(skin::CBitmapButton::kExtendedHover);
        ShowTabFace(page, false);
        ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(tabFont_.Get()), FALSE);
        RegisterBrush(button, static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH)));
        ::ShowWindow(button, SW_SHOW);
    }
}

void CMainDlg::SetUpHeader() {
    stateIcon_ = Item(IDC_MAIN_STATE_ICON);
    description_ = Item(IDC_MAIN_DESCRIPTION);
    leftFigure_ = Item(IDC_MAIN_LEFT_FIGURE);
    rightFigure_ = Item(IDC_MAIN_RIGHT_FIGURE);
    ::SendMessageW(description_, WM_SETFONT, reinterpret_cast<WPARAM>(descriptionFont_.Get()), FALSE);
    ::SendMessageW(leftFigure_, WM_SETFONT, reinterpret_cast<WPARAM>(figureFont_.Get()), FALSE);
    ::SendMessageW(rightFigure_, WM_SETFONT, reinterpret_cast<WPARAM>(figureFont_.Get()), FALSE);
    // The header's statics lie on the background band: transparent.
    for (HWND control : {stateIcon_, description_, leftFigure_, rightFigure_}) {
        RegisterBrush(control, static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH)));
    }
}

void CMainDlg::CreatePages() {
    HWND window = Handle();
    trafficPage_ = std::make_unique<CDlgTrafficMonitor>();
    if (HWND page = trafficPage_->Create(window); page != nullptr) {
        Place(page, kPageCreateBox);
        ::ShowWindow(page, SW_SHOW);
    }
    alarmPage_ = std::make_unique<CDlgAlarmRecord>();
    if (HWND page = alarmPage_->Create(window); page != nullptr) {
        Place(page, kPageCreateBox);
        ::ShowWindow(page, SW_HIDE);
    }
}

void CMainDlg::ApplyLayout() {
    Place(stateIcon_, kStateIconBox);
    Place(description_, kDescriptionBox);
    Place(leftFigure_, kLeftFigureBox);
    Place(rightFigure_, kRightFigureBox);
    Place(tabButtons_[0].Handle(), kTrafficTabBox);
    Place(tabButtons_[1].Handle(), kAlarmTabBox);
    Place(pageFrame_.Handle(), kPageFrameBox);
    const Box page = PageBox(kPageFrameBox);
    for (HWND window : {trafficPage_->Handle(), alarmPage_->Handle()}) {
        if (window != nullptr) {
            // Above the frame, which is drawn first.
            ::SetWindowPos(window, HWND_TOP, page.x, page.y, page.width, page.height, SWP_NOACTIVATE);
        }
    }
}

void CMainDlg::BuildBackground() {
    RECT client{};
    skin::Bitmap background = CreateClientBitmap(Handle(), client);
    skin::Bitmap top(skin::LoadProgramBitmap(IDB_BAND_TOP));
    skin::Bitmap bottom(skin::LoadProgramBitmap(IDB_BAND_BOTTOM));
    if (!background) {
        return;
    }
    {
        skin::MemoryDc dc(nullptr, background.Get());
        ::FillRect(dc.Get(), &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        skin::TileHorizontally(dc.Get(), top.Get(), 0, client.right, 0);
        skin::TileHorizontally(dc.Get(), bottom.Get(), 0, client.right,
                               client.bottom - skin::SizeOf(bottom.Get()).height);
    }
    RegisterBrush(Handle(), ::CreatePatternBrush(background.Get()));
}

void CMainDlg::RefreshStatus() {
    if (description_ == nullptr) {
        return;
    }
    const HeaderChoice choice =
        ChooseHeader(Flag(alarming::AccelerationState), Flag(alarming::HasUnhandledAlarm) != 0);
    CSuspensionDlg2* floating = FloatingWindow();
    const auto figure = [&](int quantity) -> std::u16string {
        if (floating == nullptr) {
            return choice.rates ? u"0bps" : u"0b";
        }
        return choice.rates ? floating->RateText(quantity) : floating->VolumeText(quantity);
    };
    ::SetWindowTextW(description_, base::Wide(std::u16string(choice.description)));
    ::SetWindowTextW(leftFigure_, base::Wide(HeaderFigure(choice.leftLabel, figure(choice.leftQuantity))));
    ::SetWindowTextW(rightFigure_, base::Wide(HeaderFigure(choice.rightLabel, figure(choice.rightQuantity))));
    if (HBITMAP icon = choice.abnormalIcon ? iconAbnormal_.Get() : iconNormal_.Get();
        icon != nullptr && (choice.abnormalIcon != abnormalShown_ ||
                            ::SendMessageW(stateIcon_, STM_GETIMAGE, IMAGE_BITMAP, 0) == 0)) {
        ::SendMessageW(stateIcon_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(icon));
        abnormalShown_ = choice.abnormalIcon;
        Place(stateIcon_, kStateIconBox);
    }
    // The statics are transparent: the background under each is drawn again first.
    for (HWND control : {description_, leftFigure_, rightFigure_}) {
        const RECT area = AreaInParent(control);
        ::RedrawWindow(Handle(), &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
}

void CMainDlg::ShowTabFace(int page, bool selected) {
    skin::CBitmapButton& tab = tabButtons_[page];
    if (selected) {
        tab.SetImages(1, 1, 1);
    } else {
        tab.SetImages(0, 1, 1);
    }
    if (tab.Handle() != nullptr) {
        ::InvalidateRect(tab.Handle(), nullptr, TRUE);
    }
}

void CMainDlg::SwitchPage(int page) {
    if ((page != 0 && page != 1) || !::IsWindow(tabButtons_[page].Handle())) {
        return;
    }
    if (trafficPage_ != nullptr && alarmPage_ != nullptr && trafficPage_->Handle() != nullptr &&
        alarmPage_->Handle() != nullptr) {
        ::ShowWindow(page == 0 ? alarmPage_->Handle() : trafficPage_->Handle(), SW_HIDE);
        ::ShowWindow(page == 0 ? trafficPage_->Handle() : alarmPage_->Handle(), SW_SHOW);
    }
    const int previous = activePage_;
    activePage_ = page;
    ShowTabFace(previous, false);
    ShowTabFace(page, true);
    OpenFrameUnderTab();
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void CMainDlg::OpenFrameUnderTab() {
    const Box& tab = TabBox(activePage_);
    pageFrame_.SetGap(tab.x - kPageFrameBox.x, tab.Right() - kPageFrameBox.x);
}

void CMainDlg::OnPaint() {
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(Handle(), &paint);
    RECT client{};
    ::GetClientRect(Handle(), &client);
    const TabLine line = TabLineFor(activePage_, client.right);
    HGDIOBJ previous = ::SelectObject(dc, tabLinePen_.Get());
    for (const LineSegment& segment : {line.left, line.right}) {
        ::MoveToEx(dc, segment.fromX, segment.y, nullptr);
        ::LineTo(dc, segment.toX, segment.y);
    }
    ::SelectObject(dc, previous);
    ::EndPaint(Handle(), &paint);
}

bool CMainDlg::OnCommand(WORD id, WORD code) {
    switch (id) {
        case IDC_MAIN_TRAFFIC_TAB:
        case IDC_MAIN_ALARM_TAB:
            if (code == BN_CLICKED) {
                SwitchPage(id == IDC_MAIN_TRAFFIC_TAB ? 0 : 1);
            }
            return true;
        case ID_CAPTION_SETTINGS:
            ShowSettingDialog(::GetActiveWindow());
            return true;
        case kMachineTrafficCommand:
            ShowMachineTrafficDialog(Handle());
            return true;
        case ID_APP_ABOUT:
            ShowAboutBox(Handle());
            return true;
        case IDOK:
            Close(false);
            return true;
        case IDCANCEL:
            // Esc does not close the window.
            return true;
        default:
            return false;
    }
}

void CMainDlg::CleanUp() {
    if (timerRunning_ && Handle() != nullptr) {
        ::KillTimer(Handle(), kStatusTimer);
    }
    timerRunning_ = false;
    tabLinePen_.Reset();
    description_ = nullptr;
    for (auto* page :
         {static_cast<skin::Dialog*>(trafficPage_.get()), static_cast<skin::Dialog*>(alarmPage_.get())}) {
        if (page != nullptr && page->Handle() != nullptr && ::IsWindow(page->Handle())) {
            ::DestroyWindow(page->Handle());
        }
    }
    trafficPage_.reset();
    alarmPage_.reset();
}

void CMainDlg::Close(bool fromClose) {
    CleanUp();
    // A modeless window is deleted with its last message: nothing of this object is touched after it.
    EndDialog(fromClose ? IDCANCEL : IDOK);
    if (!fromClose) {
        return;
    }
    if (HWND popup = FindWindowByTag(base::kAccStateWindowTag); popup != nullptr && ::IsWindow(popup)) {
        return;
    }
    // The strip comes back in the main window's place, unless its setting keeps it hidden.
    if (CSuspensionDlg2* floating = FloatingWindow(); floating != nullptr) {
        floating->ShowFloating(SW_SHOW);
    }
}

}  // namespace ui
