// The headless shell: no window, a main loop that waits for the close and for SIGINT/SIGTERM. The
// program blocks both signals in every thread before it starts any, so they arrive only here.

#include <signal.h>
#include <time.h>

#include <atomic>
#include <cerrno>

#include "base/event.h"
#include "ui/shell_window.h"

namespace ui {
namespace {

constexpr long kSignalPollNs = 200L * 1000 * 1000;

class HeadlessShell final : public IShellWindow {
  public:
    explicit HeadlessShell(ShellHooks hooks) : hooks_(std::move(hooks)) {}

    bool Create(bool show) override {
        visible_.store(show, std::memory_order_relaxed);
        created_.store(true, std::memory_order_relaxed);
        return true;
    }
    void SetVisible(bool visible) override { visible_.store(visible, std::memory_order_relaxed); }
    bool IsCreated() const override { return created_.load(std::memory_order_relaxed); }
    std::optional<alarming::WindowOrigin> Origin() const override { return std::nullopt; }
    // There is neither a dialog nor a main window to open.
    void PostShowBlackList() override {}
    void PostShowMainModal() override {}
    void CloseOtherWindows() override {}
    void CloseOwnedPopups() override {}
    void PostClose() override { closeRequested_.Set(); }

    void RunMessageLoop() override {
        sigset_t signals;
        sigemptyset(&signals);
        sigaddset(&signals, SIGINT);
        sigaddset(&signals, SIGTERM);
        const timespec poll{0, kSignalPollNs};
        while (!closeRequested_.Wait(0)) {
            const int received = sigtimedwait(&signals, nullptr, &poll);
            if (received == SIGINT || received == SIGTERM) {
                if (hooks_.requestExit) {
                    hooks_.requestExit();
                }
            }
        }
        if (hooks_.onClose) {
            hooks_.onClose();
        }
        created_.store(false, std::memory_order_relaxed);
    }

  private:
    ShellHooks hooks_;
    std::atomic<bool> created_{false};
    std::atomic<bool> visible_{false};
    base::Event closeRequested_{base::EventReset::kManual, false};
};

}  // namespace

std::unique_ptr<IShellWindow> CreateShellWindow(ShellHooks hooks) {
    return std::make_unique<HeadlessShell>(std::move(hooks));
}

}  // namespace ui
