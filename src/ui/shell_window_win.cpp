// The Windows shell window is the floating speed window: it runs the main loop, receives the private
// messages and ends the program on WM_CLOSE.

#include <windows.h>

#include "alarm/program_directory.h"
#include "base/wide_win.h"
#include "base/window_tags.h"
#include "skin/dialog_base_win.h"
#include "ui/shell_window.h"
#include "ui/suspension_dlg2_win.h"
#include "ui/window_find_win.h"

namespace ui {
namespace {

// Posted to the main thread: the settings want the window shown, and it does not exist yet.
constexpr UINT kCreateShownMessage = WM_APP + 20;

class FloatingShell final : public IShellWindow {
  public:
    explicit FloatingShell(ShellHooks hooks)
        : hooks_(std::move(hooks)), mainThread_(::GetCurrentThreadId()) {}

    bool Create(bool show) override {
        if (Window() != nullptr) {
            return true;
        }
        // A window that failed before is made anew.
        floating_ = std::make_unique<CSuspensionDlg2>(alarming::ProgramDirectory(), hooks_.onClose,
                                                      hooks_.reportAcceleratorTraffic);
        return floating_->CreateFloating(show ? SW_SHOW : SW_HIDE);
    }

    void SetVisible(bool visible) override {
        if (floating_ != nullptr) {
            floating_->ShowFloating(visible ? SW_SHOW : SW_HIDE);
        }
    }
    void ApplySuspensionState(bool visible) override {
        if (!visible) {
            SetVisible(false);
        } else if (Window() == nullptr) {
            ::PostThreadMessageW(mainThread_, kCreateShownMessage, 0, 0);
        } else {
            ShowUnlessCovered();
        }
    }
    bool IsCreated() const override { return Window() != nullptr; }
    std::optional<alarming::WindowOrigin> Origin() const override {
        RECT rect{};
        HWND window = Window();
        if (window == nullptr || !::GetWindowRect(window, &rect)) {
            return std::nullopt;
        }
        return alarming::WindowOrigin{rect.left, rect.top};
    }
    void PostShowBlackList() override { Post(kShowBlackListMessage); }
    void PostShowMainModal() override { Post(kShowMainModalMessage); }
    void CloseOtherWindows() override {
        if (HWND main = ::FindWindowW(nullptr, base::Wide(std::u16string(base::kMainWindowTitle)));
            main != nullptr) {
            ::PostMessageW(main, WM_CLOSE, 0, 0);
        }
        if (HWND popup = FindWindowByTag(base::kAccStateWindowTag); popup != nullptr) {
            ::PostMessageW(popup, WM_CLOSE, 0, 0);
        }
    }
    void CloseOwnedPopups() override {
        if (floating_ != nullptr) {
            floating_->PostCloseOwnedPopups();
        }
    }
    void PostClose() override { Post(WM_CLOSE); }

    void RunMessageLoop() override {
        MSG message;
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (message.hwnd == nullptr && message.message == kCreateShownMessage) {
                if (Create(false)) {
                    ShowUnlessCovered();
                }
                continue;
            }
            // Enter, Esc and Tab reach the modeless dialogs (the main window and its pages) as keys of a
            // dialog, which the dialog manager turns into IDOK, IDCANCEL and focus moves.
            HWND root = message.hwnd != nullptr ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
            if (root != nullptr && skin::Dialog::FromHandle(root) != nullptr &&
                ::IsDialogMessageW(root, &message)) {
                continue;
            }
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }

  private:
    HWND Window() const { return floating_ != nullptr ? floating_->Window() : nullptr; }
    // The pop-up and the main window each show the strip again when they close.
    void ShowUnlessCovered() {
        if (FindWindowByTag(base::kAccStateWindowTag) == nullptr &&
            FindWindowByTag(base::kMainWindowTag) == nullptr) {
            SetVisible(true);
        }
    }
    void Post(UINT message) {
        if (HWND window = Window(); window != nullptr) {
            ::PostMessageW(window, message, 0, 0);
        }
    }

    ShellHooks hooks_;
    DWORD mainThread_;
    std::unique_ptr<CSuspensionDlg2> floating_;
};

}  // namespace

std::unique_ptr<IShellWindow> CreateShellWindow(ShellHooks hooks) {
    return std::make_unique<FloatingShell>(std::move(hooks));
}

}  // namespace ui
