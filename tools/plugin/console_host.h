#pragma once

// What the console needs of the OS: its own process id, starting the monitor as the accelerator does,
// and Ctrl-C. The tests put a host of their own in its place.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace console {

// A monitor process the console has started. Dropping it leaves the process running.
class MonitorProcess {
  public:
    virtual ~MonitorProcess() = default;
    virtual std::uint32_t Id() const = 0;
    // True once the process has ended (exitCode then holds its exit code); waits at most timeoutMs.
    virtual bool WaitForEnd(std::uint32_t timeoutMs, std::uint32_t& exitCode) = 0;
};

class ConsoleHost {
  public:
    virtual ~ConsoleHost() = default;
    virtual std::uint32_t ProcessId() = 0;
    // Starts the program at path with the two arguments hostName and pipeName, the command line the
    // monitor expects. Null with an error.
    virtual std::unique_ptr<MonitorProcess> LaunchMonitor(const std::u16string& path,
                                                          const std::u16string& hostName,
                                                          const std::u16string& pipeName,
                                                          std::string& error) = 0;
    // From now on an interrupt (Ctrl-C; SIGINT and SIGTERM on Linux; Ctrl-Break and closing the console
    // on Windows) calls onInterrupt on another thread instead of ending the process. Null restores the
    // default.
    virtual void SetInterruptHandler(std::function<void()> onInterrupt) = 0;
};

std::unique_ptr<ConsoleHost> MakeSystemConsoleHost();

// The Windows command line of the monitor: its quoted path, then "HOST PIPE". The monitor splits what
// follows its own path at the pipe name's first backslash, so the host name is never quoted.
std::u16string MonitorCommandLine(std::u16string_view path, std::u16string_view hostName,
                                  std::u16string_view pipeName);

}  // namespace console
