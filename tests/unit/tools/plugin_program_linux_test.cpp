// kvtmon-plugin as the program it is: run as a child process with the fake monitor program, its
// output read through pipes, ended with a signal. (A script on standard input and --watch ended by
// SIGINT are the end-to-end tests harness.sh and watch.sh.)

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "base/module_path.h"
#include "base/scoped_handle_linux.h"
#include "base/text.h"
#include "unit/ipc/pipe_test_util.h"

namespace {

using Clock = std::chrono::steady_clock;

class ProgramRun {
  public:
    ProgramRun(const std::vector<std::string>& args, const std::string& input) {
        int out[2];
        int err[2];
        int in[2];
        if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0 || ::pipe2(in, O_CLOEXEC) != 0) {
            return;
        }
        base::ScopedFd inRead(in[0]);
        base::ScopedFd inWrite(in[1]);
        base::ScopedFd outWrite(out[1]);
        base::ScopedFd errWrite(err[1]);
        out_.Reset(out[0]);
        err_.Reset(err[0]);
        std::vector<std::string> all = {KVT_PLUGIN_CONSOLE_PATH};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(inRead.Get(), 0);
            ::dup2(outWrite.Get(), 1);
            ::dup2(errWrite.Get(), 2);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        inRead.Reset();
        outWrite.Reset();
        errWrite.Reset();
        [[maybe_unused]] const ssize_t n = ::write(inWrite.Get(), input.data(), input.size());
        inWrite.Reset();
    }
    ~ProgramRun() {
        if (pid_ > 0 && !ended_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    bool Started() const { return pid_ > 0; }
    const std::string& Out() const { return outText_; }
    const std::string& Err() const { return errText_; }

    // Reads until the output holds `part` (true) or both pipes end or the time is up (false).
    bool ReadUntil(const std::string& part, std::chrono::seconds timeout = std::chrono::seconds(20)) {
        const auto deadline = Clock::now() + timeout;
        while (outText_.find(part) == std::string::npos) {
            if ((!out_ && !err_) || Clock::now() > deadline) {
                return false;
            }
            ReadSome(100);
        }
        return true;
    }
    void Signal(int signal) { ::kill(pid_, signal); }
    // Reads everything and waits for the exit; the exit code, or -1 after the time-out.
    int Finish(std::chrono::seconds timeout = std::chrono::seconds(20)) {
        const auto deadline = Clock::now() + timeout;
        while ((out_ || err_) && Clock::now() < deadline) {
            ReadSome(100);
        }
        int status = 0;
        while (::waitpid(pid_, &status, WNOHANG) == 0) {
            if (Clock::now() > deadline) {
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ended_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

  private:
    void ReadSome(int timeoutMs) {
        pollfd fds[2] = {{out_.Get(), POLLIN, 0}, {err_.Get(), POLLIN, 0}};
        if (::poll(fds, 2, timeoutMs) <= 0) {
            return;
        }
        ReadFrom(out_, fds[0].revents, outText_);
        ReadFrom(err_, fds[1].revents, errText_);
    }
    static void ReadFrom(base::ScopedFd& fd, short revents, std::string& text) {
        if (!fd || revents == 0) {
            return;
        }
        char buffer[4096];
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
        } else {
            fd.Reset();
        }
    }

    pid_t pid_ = -1;
    base::ScopedFd out_;
    base::ScopedFd err_;
    bool ended_ = false;
    std::string outText_;
    std::string errText_;
};

std::string FakeMonitorPath() {
    return base::Utf16ToUtf8(base::ProgramPath(u"" KVT_FAKE_MONITOR_FILE));
}

TEST(PluginProgram, ListensUntilSigintThenEndsTheMonitor) {
    ProgramRun run({"--pipe", base::Utf16ToUtf8(pipe_test::UniquePipeName()), "--launch", FakeMonitorPath(),
                    "--listen", "0", "--exit", "--", "GetLocalUpReflux"},
                   "");
    ASSERT_TRUE(run.Started());
    ASSERT_TRUE(run.ReadUntil("< PostLocalDownReflux (77) bytes=1\n")) << run.Out() << run.Err();
    run.Signal(SIGINT);
    EXPECT_EQ(run.Finish(), 0) << run.Err();
    EXPECT_NE(run.Out().find("< GetLocalUpRefluxResponse (22) bytes=21000\n"), std::string::npos)
        << run.Out();
    EXPECT_NE(run.Err().find("the monitor ended with exit code 0"), std::string::npos) << run.Err();
}

TEST(PluginProgram, ExitCodesTellUsageFromRuntimeFailures) {
    ProgramRun help({"--help"}, "");
    EXPECT_EQ(help.Finish(), 0);
    EXPECT_EQ(help.Out().rfind("kvtmon-plugin: ", 0), 0u);
    ProgramRun usage({"--", "StopAlarm", "stop=x"}, "");
    EXPECT_EQ(usage.Finish(), 2);
    ProgramRun alone({"--pipe", base::Utf16ToUtf8(pipe_test::UniquePipeName()), "--connect-timeout", "0.1"},
                     "");
    EXPECT_EQ(alone.Finish(), 1);
    EXPECT_NE(alone.Err().find("no monitor connected after 0.1 s"), std::string::npos) << alone.Err();
}

}  // namespace
