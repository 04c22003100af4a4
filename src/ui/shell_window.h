#pragma once

// The program's permanent face, which owns the main thread's loop: on Windows the floating speed
// window, on Linux the headless shell. Closing it ends the program: the close runs the handler given at
// creation on the main thread (the service's stop and destruction), then the loop ends.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "alarm/settings.h"

namespace ui {

// Private messages of the floating window.
inline constexpr std::uint32_t kShowMainModalMessage = 0x400 + 235;  // UM_SHOW_MAIN_MODAL
inline constexpr std::uint32_t kShowBlackListMessage = 0x400 + 236;  // UM_SHOW_BLACKLIST
// The app-bar callback: full-screen applications opening and closing.
inline constexpr std::uint32_t kAppBarNotifyMessage = 0x400 + 234;  // UM_APPBAR_NOTIFY
// The accelerator's report of its tunnel traffic: bytes sent, bytes received since its last report.
inline constexpr std::uint32_t kAccelAdapterMessage = 0x1180;  // UM_ACCEL_ADAPTER

class IShellWindow {
  public:
    virtual ~IShellWindow() = default;

    // Main thread, once: creates the window, shown or hidden. False when it cannot be created.
    [[nodiscard]] virtual bool Create(bool show) = 0;
    // Any thread.
    virtual void SetVisible(bool visible) = 0;
    // Any thread: the stored setting's show or hide (the plugin's SetSuspensionDlgState). A show makes
    // the window first when there is none, and leaves it hidden while the acceleration-state pop-up or
    // the main window is up.
    virtual void ApplySuspensionState(bool visible) { SetVisible(visible); }
    virtual bool IsCreated() const = 0;
    // The window's top-left corner, when it exists.
    virtual std::optional<alarming::WindowOrigin> Origin() const = 0;
    // The plugin's requests to open the high-bandwidth dialog and to raise the main window, carried
    // out on the main thread.
    virtual void PostShowBlackList() = 0;
    virtual void PostShowMainModal() = 0;
    // The exit's steps: close the main window and the acceleration-state pop-up where they exist;
    // close the pop-ups the window owns and stop its timers; ask the window to close.
    virtual void CloseOtherWindows() = 0;
    virtual void CloseOwnedPopups() = 0;
    virtual void PostClose() = 0;
    // Main thread: runs the loop until the window has closed.
    virtual void RunMessageLoop() = 0;
};

struct ShellHooks {
    // Runs on the main thread when the window closes.
    std::function<void()> onClose;
    // The program's exit request, for what the shell itself receives (SIGINT and SIGTERM on Linux).
    std::function<void()> requestExit;
    // The accelerator's report of the bytes it sent and received through its tunnel since the last one.
    std::function<void(std::uint32_t sent, std::uint32_t received)> reportAcceleratorTraffic;
};

std::unique_ptr<IShellWindow> CreateShellWindow(ShellHooks hooks);

}  // namespace ui
