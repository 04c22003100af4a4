#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "base/scoped_handle_linux.h"
#include "base/text.h"
#include "plugin/console_host.h"

namespace console {
namespace {

class LinuxMonitorProcess : public MonitorProcess {
  public:
    explicit LinuxMonitorProcess(pid_t pid) : pid_(pid) {}

    std::uint32_t Id() const override { return static_cast<std::uint32_t>(pid_); }

    bool WaitForEnd(std::uint32_t timeoutMs, std::uint32_t& exitCode) override {
        // No descriptor to wait on for a child here: look every few milliseconds.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!ended_) {
            int status = 0;
            const pid_t r = ::waitpid(pid_, &status, WNOHANG);
            if (r == pid_) {
                ended_ = true;
                exitCode_ = WIFEXITED(status)     ? static_cast<std::uint32_t>(WEXITSTATUS(status))
                            : WIFSIGNALED(status) ? 128 + static_cast<std::uint32_t>(WTERMSIG(status))
                                                  : 0;
                break;
            }
            if (r < 0 && errno != EINTR) {
                return false;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        exitCode = exitCode_;
        return true;
    }

  private:
    const pid_t pid_;
    bool ended_ = false;
    std::uint32_t exitCode_ = 0;
};

// SIGINT and SIGTERM are blocked in the thread that installs the handler (and the threads it starts
// later) and taken by a thread of their own with sigwait, so the handler may do anything.
class SignalWatch {
  public:
    ~SignalWatch() { Stop(); }

    void Set(std::function<void()> handler) {
        std::lock_guard<std::mutex> lock(mutex_);
        handler_ = std::move(handler);
        if (thread_.joinable()) {
            return;
        }
        const sigset_t set = Signals();
        pthread_sigmask(SIG_BLOCK, &set, &previous_);
        stopping_ = false;
        thread_ = std::thread([this, set] {
            for (;;) {
                int signal = 0;
                if (sigwait(&set, &signal) != 0) {
                    continue;
                }
                // Called under the lock: once the handler is replaced, no call of the old one runs.
                std::lock_guard<std::mutex> lock(mutex_);
                if (stopping_) {
                    return;
                }
                handler_();
            }
        });
    }

    void Stop() {
        if (!thread_.joinable()) {
            return;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        pthread_kill(thread_.native_handle(), SIGTERM);
        thread_.join();
        handler_ = nullptr;
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }

  private:
    static sigset_t Signals() {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGINT);
        sigaddset(&set, SIGTERM);
        return set;
    }

    std::mutex mutex_;
    std::function<void()> handler_;
    bool stopping_ = false;
    std::thread thread_;
    sigset_t previous_{};
};

class LinuxConsoleHost : public ConsoleHost {
  public:
    std::uint32_t ProcessId() override { return static_cast<std::uint32_t>(::getpid()); }

    std::unique_ptr<MonitorProcess> LaunchMonitor(const std::u16string& path, const std::u16string& hostName,
                                                  const std::u16string& pipeName,
                                                  std::string& error) override {
        const std::string file = base::Utf16ToUtf8(path);
        std::vector<std::string> args = {file, base::Utf16ToUtf8(hostName), base::Utf16ToUtf8(pipeName)};
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        // The child reports a failed exec through this pipe; a successful exec closes it.
        int report[2];
        if (::pipe2(report, O_CLOEXEC) != 0) {
            error = "cannot start " + file + ": " + std::generic_category().message(errno);
            return nullptr;
        }
        base::ScopedFd reportRead(report[0]);
        base::ScopedFd reportWrite(report[1]);
        const pid_t pid = ::fork();
        if (pid == 0) {
            // Only async-signal-safe calls from here on. A process group of its own keeps the terminal's
            // Ctrl-C for the console, the monitor gets the default signal mask, and the script that the
            // console may be reading stays the console's.
            ::setpgid(0, 0);
            if (const base::ScopedFd null(::open("/dev/null", O_RDONLY)); null.IsValid()) {
                ::dup2(null.Get(), 0);
            }
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            ::execv(argv[0], argv.data());
            const int code = errno;
            [[maybe_unused]] const ssize_t n = ::write(reportWrite.Get(), &code, sizeof code);
            ::_exit(127);
        }
        const int forkError = errno;
        reportWrite.Reset();
        if (pid < 0) {
            error = "cannot start " + file + ": " + std::generic_category().message(forkError);
            return nullptr;
        }
        int code = 0;
        ssize_t n;
        do {
            n = ::read(reportRead.Get(), &code, sizeof code);
        } while (n < 0 && errno == EINTR);
        reportRead.Reset();
        if (n == sizeof code) {
            int status = 0;
            ::waitpid(pid, &status, 0);
            error = "cannot start " + file + ": " + std::generic_category().message(code);
            return nullptr;
        }
        return std::make_unique<LinuxMonitorProcess>(pid);
    }

    void SetInterruptHandler(std::function<void()> onInterrupt) override {
        if (onInterrupt) {
            signals_.Set(std::move(onInterrupt));
        } else {
            signals_.Stop();
        }
    }

  private:
    SignalWatch signals_;
};

}  // namespace

std::unique_ptr<ConsoleHost> MakeSystemConsoleHost() {
    return std::make_unique<LinuxConsoleHost>();
}

}  // namespace console
