#include <windows.h>

#include <mutex>

#include "base/scoped_handle_win.h"
#include "base/text.h"
#include "base/wide_win.h"
#include "plugin/console_host.h"

namespace console {
namespace {

class WinMonitorProcess : public MonitorProcess {
  public:
    explicit WinMonitorProcess(const PROCESS_INFORMATION& info)
        : process_(info.hProcess), id_(info.dwProcessId) {}
    WinMonitorProcess(const WinMonitorProcess&) = delete;
    WinMonitorProcess& operator=(const WinMonitorProcess&) = delete;

    std::uint32_t Id() const override { return id_; }

    bool WaitForEnd(std::uint32_t timeoutMs, std::uint32_t& exitCode) override {
        if (WaitForSingleObject(process_.Get(), timeoutMs) != WAIT_OBJECT_0) {
            return false;
        }
        DWORD code = 0;
        GetExitCodeProcess(process_.Get(), &code);
        exitCode = code;
        return true;
    }

  private:
    const base::ScopedKernelHandle process_;
    DWORD id_;
};

// The console control handler runs on a thread the system starts for each event.
std::mutex gHandlerMutex;
std::function<void()> gHandler;

BOOL WINAPI ConsoleControlHandler(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
        return FALSE;
    }
    // Called under the lock: once the handler is cleared, no call of it is still running.
    std::lock_guard<std::mutex> lock(gHandlerMutex);
    if (!gHandler) {
        return FALSE;
    }
    gHandler();
    return TRUE;
}

class WinConsoleHost : public ConsoleHost {
  public:
    ~WinConsoleHost() override { SetInterruptHandler(nullptr); }

    std::uint32_t ProcessId() override { return GetCurrentProcessId(); }

    std::unique_ptr<MonitorProcess> LaunchMonitor(const std::u16string& path, const std::u16string& hostName,
                                                  const std::u16string& pipeName,
                                                  std::string& error) override {
        std::u16string commandLine = MonitorCommandLine(path, hostName, pipeName);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        // A process group of its own: the console's Ctrl-C is the console's.
        if (!CreateProcessW(base::Wide(path), base::Wide(commandLine.data()), nullptr, nullptr, FALSE,
                            CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup, &info)) {
            error = "cannot start " + base::Utf16ToUtf8(path) + ": error " + std::to_string(GetLastError());
            return nullptr;
        }
        // Only the process is waited for: its first thread's handle goes at once.
        const base::ScopedKernelHandle thread(info.hThread);
        return std::make_unique<WinMonitorProcess>(info);
    }

    void SetInterruptHandler(std::function<void()> onInterrupt) override {
        const bool install = static_cast<bool>(onInterrupt);
        {
            std::lock_guard<std::mutex> lock(gHandlerMutex);
            gHandler = std::move(onInterrupt);
        }
        if (install != installed_) {
            SetConsoleCtrlHandler(ConsoleControlHandler, install ? TRUE : FALSE);
            installed_ = install;
        }
    }

  private:
    bool installed_ = false;
};

}  // namespace

std::unique_ptr<ConsoleHost> MakeSystemConsoleHost() {
    return std::make_unique<WinConsoleHost>();
}

}  // namespace console
