// The skin's GUI test program, built from the program's own skin sources and resources. The Wine GUI
// tests drive it with xdotool:
//
//   kvt_gui_harness msgbox STYLE TEXT CAPTION   the skinned message box; prints "result=N", exits with N
//   kvt_gui_harness frame TITLE                 a skinned dialog with every caption button and the
//                                               skinned controls; exits with the id that ended it
//
// While a window is up, a watcher thread prints one line per button once the window is shown:
// "button ID X Y" with the button's centre in screen coordinates, then "ready", so that the test can
// click without knowing the layout.

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "base/text.h"
#include "base/wide_win.h"
#include "base/window_tags.h"
#include "res/resource_ids.h"
#include "skin/border_window_win.h"
#include "skin/button2x_win.h"
#include "skin/dialog_x_win.h"
#include "skin/message_box_win.h"
#include "skin/my_link_win.h"
#include "ui/window_find_win.h"

namespace {

std::string Narrow(const wchar_t* wide) {
    return base::Utf16ToGbk(base::FromWide(wide));
}

BOOL CALLBACK PrintButton(HWND child, LPARAM) {
    wchar_t className[16] = {};
    ::GetClassNameW(child, className, 16);
    if (::lstrcmpiW(className, L"Button") == 0 && ::IsWindowVisible(child)) {
        RECT rect{};
        ::GetWindowRect(child, &rect);
        std::printf("button %d %ld %ld\n", ::GetDlgCtrlID(child), (rect.left + rect.right) / 2,
                    (rect.top + rect.bottom) / 2);
    }
    return TRUE;
}

// Waits (at most 10 s) for a visible window that `find` returns, then prints its buttons.
template <typename Find>
void ReportWhenShown(Find find) {
    std::thread([find] {
        for (int i = 0; i < 200; ++i) {
            HWND window = find();
            if (window != nullptr && ::IsWindowVisible(window)) {
                ::Sleep(200);
                ::EnumChildWindows(window, PrintButton, 0);
                std::printf("ready\n");
                std::fflush(stdout);
                return;
            }
            ::Sleep(50);
        }
        std::printf("no window\n");
        std::fflush(stdout);
    }).detach();
}

int RunMessageBox(int argc, wchar_t** argv) {
    if (argc < 5) {
        return 100;
    }
    const UINT style = static_cast<UINT>(std::wcstoul(argv[2], nullptr, 0));
    ReportWhenShown([] { return ui::FindWindowByTag(base::kMessageBoxTag); });
    const int result =
        skin::SkinnedMessageBox(nullptr, Narrow(argv[3]).c_str(), Narrow(argv[4]).c_str(), style);
    std::printf("result=%d\n", result);
    std::fflush(stdout);
    return result;
}

// A skinned dialog with every caption button, a settings label, skinned buttons, a link and a page
// frame with a gap: what the program's windows are made of.
class FrameDialog : public skin::SkinnedDialog<skin::CDialogX<3>, skin::CCtrlColor<0, 0xF6FBF3>> {
  public:
    explicit FrameDialog(std::string title) : SkinnedDialog(IDD_ABOUTBOX) {
        SetTitle(std::move(title));
        SetSettingsLabel(base::Utf16ToGbk(u"设置"));
    }

  protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) override {
        switch (message) {
            case WM_INITDIALOG: {
                ::SetWindowTextW(Handle(), skin::NarrowToWide(Title()).c_str());
                const LONG_PTR style = ::GetWindowLongPtrW(Handle(), GWL_STYLE);
                ::SetWindowLongPtrW(Handle(), GWL_STYLE,
                                    style | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME);
                ::SetWindowPos(Handle(), nullptr, 200, 150, 360, 200, SWP_NOZORDER);
                face_.Reset(LoadSkinBitmap(L"IDB_BITMAP_BTN"));
                ok_.Attach(Item(IDOK));
                ok_.SetFace(face_.Get());
                ::MoveWindow(Item(IDOK), 270, 125, 70, 27, FALSE);
                HWND link =
                    ::CreateWindowExW(0, L"STATIC", L"查看网络使用详情", WS_CHILD | WS_VISIBLE, 20, 132, 120,
                                      16, Handle(), reinterpret_cast<HMENU>(1086), nullptr, nullptr);
                ::SendMessageW(link, WM_SETFONT, ::SendMessageW(Handle(), WM_GETFONT, 0, 0), FALSE);
                link_.Attach(link);
                HWND frame = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_GRAYFRAME, 10,
                                               84, 336, 36, Handle(), nullptr, nullptr, nullptr);
                border_.Attach(frame);
                border_.SetColors(RGB(189, 204, 187), RGB(255, 255, 255));
                border_.SetGap(30, 120);
                return false;
            }
            case WM_COMMAND:
                if (LOWORD(wParam) == 1086 || LOWORD(wParam) == skin::kSettingsCommand) {
                    std::printf("command %u\n", LOWORD(wParam));
                    std::fflush(stdout);
                    result = 0;
                    return true;
                }
                return false;
            default:
                return false;
        }
    }

  private:
    skin::Bitmap face_;
    skin::CButton2X ok_;
    skin::CMyLink link_;
    skin::CBorderWindow border_;
};

int RunFrame(int argc, wchar_t** argv) {
    const std::string title = argc >= 3 ? Narrow(argv[2]) : "Zelvan";
    const std::wstring wideTitle = skin::NarrowToWide(title);
    ReportWhenShown([wideTitle] { return ::FindWindowW(nullptr, wideTitle.c_str()); });
    FrameDialog dialog(title);
    const INT_PTR result = dialog.DoModal(nullptr);
    std::printf("result=%d\n", static_cast<int>(result));
    std::fflush(stdout);
    return static_cast<int>(result);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    if (argc >= 2 && std::wstring(argv[1]) == L"msgbox") {
        return RunMessageBox(argc, argv);
    }
    if (argc >= 2 && std::wstring(argv[1]) == L"frame") {
        return RunFrame(argc, argv);
    }
    std::fprintf(stderr, "usage: kvt_gui_harness msgbox STYLE TEXT CAPTION | frame TITLE\n");
    return 100;
}
