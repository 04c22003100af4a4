// Until the floating speed window exists, a hidden top-level window stands in for it: it runs the main
// loop, receives the private messages and ends the program on WM_CLOSE exactly as the floating window
// will.

#include <windows.h>

#include <atomic>

#include "base/wide_win.h"
#include "ui/shell_window.h"

namespace ui {
namespace {

constexpr wchar_t kClassName[] = L"KvtShellWindow";

HWND FindWindowByTag(std::u16string_view tag) {
    struct Search {
        std::u16string tag;
        HWND found = nullptr;
    } search{std::u16string(tag), nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* state = reinterpret_cast<Search*>(parameter);
            if (::GetPropW(window, base::Wide(state->tag)) != nullptr) {
                state->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindMainWindow() {
    const std::u16string title(kMainWindowTitle);
    return ::FindWindowW(nullptr, base::Wide(title));
}

class StandInWindow final : public IShellWindow {
  public:
    explicit StandInWindow(ShellHooks hooks) : hooks_(std::move(hooks)) {}
    ~StandInWindow() override {
        if (window_ != nullptr && ::IsWindow(window_)) {
            ::DestroyWindow(window_);
        }
    }

    bool Create(bool show) override {
        HINSTANCE instance = ::GetModuleHandleW(nullptr);
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &StandInWindow::WindowProc;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = kClassName;
        ::RegisterClassExW(&windowClass);
        window_ = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, L"", WS_POPUP, 0, 0, 170,
                                    25, nullptr, nullptr, instance, this);
        if (window_ == nullptr) {
            return false;
        }
        ::ShowWindow(window_, show ? SW_SHOW : SW_HIDE);
        return true;
    }

    void SetVisible(bool visible) override {
        if (window_ != nullptr) {
            // Asynchronous: the plugin's reader thread must never wait for the main thread.
            ::ShowWindowAsync(window_, visible ? SW_SHOW : SW_HIDE);
        }
    }
    bool IsCreated() const override { return window_ != nullptr && ::IsWindow(window_); }
    std::optional<alarming::WindowOrigin> Origin() const override {
        RECT rect{};
        if (window_ == nullptr || !::GetWindowRect(window_, &rect)) {
            return std::nullopt;
        }
        return alarming::WindowOrigin{rect.left, rect.top};
    }
    void PostShowBlackList() override { Post(kShowBlackListMessage); }
    void PostShowMainModal() override { Post(kShowMainModalMessage); }
    void CloseOtherWindows() override {
        if (HWND main = FindMainWindow(); main != nullptr) {
            ::PostMessageW(main, WM_CLOSE, 0, 0);
        }
        if (HWND popup = FindWindowByTag(kAccStateWindowTag); popup != nullptr) {
            ::PostMessageW(popup, WM_CLOSE, 0, 0);
        }
    }
    // The stand-in owns neither pop-ups nor timers.
    void CloseOwnedPopups() override {}
    void PostClose() override { Post(WM_CLOSE); }

    void RunMessageLoop() override {
        MSG message;
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }

  private:
    void Post(UINT message) {
        if (window_ != nullptr) {
            ::PostMessageW(window_, message, 0, 0);
        }
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<StandInWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr) {
            switch (message) {
                case WM_CLOSE:
                    if (self->hooks_.onClose) {
                        self->hooks_.onClose();
                    }
                    ::PostQuitMessage(0);
                    ::DestroyWindow(window);
                    return 0;
                case WM_DESTROY:
                    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
                    self->window_ = nullptr;
                    return 0;
                case kShowMainModalMessage:
                    RaiseMainWindow();
                    return 0;
                default:
                    break;
            }
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    // Topmost, then not: in front of everything once, without staying there.
    static void RaiseMainWindow() {
        HWND main = FindMainWindow();
        if (main == nullptr) {
            return;
        }
        ::SetWindowPos(main, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        ::SetWindowPos(main, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    }

    ShellHooks hooks_;
    std::atomic<HWND> window_{nullptr};
};

}  // namespace

std::unique_ptr<IShellWindow> CreateShellWindow(ShellHooks hooks) {
    return std::make_unique<StandInWindow>(std::move(hooks));
}

}  // namespace ui
