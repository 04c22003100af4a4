#pragma once

// The console tests' scene: output kept whole and waited on while the console runs, and a host whose
// launched "monitor" is the real CCommIF over the ipc tests' fake program, on a thread of this process.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <streambuf>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/event.h"
#include "ipc/comm_if.h"
#include "ipc/command_ids.h"
#include "plugin/console_host.h"
#include "unit/ipc/fake_requests.h"
#include "unit/ipc/pipe_test_util.h"

namespace console_test {

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t begin = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', begin)) {
        lines.push_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    EXPECT_EQ(begin, text.size()) << "every line ends in a line feed";
    return lines;
}

// What is written; any thread may write while another waits.
class Capture : public std::streambuf {
  public:
    std::ostream stream{this};

    std::string Text() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return text_;
    }
    bool WaitFor(const std::string& part) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10),
                                 [&] { return text_.find(part) != text_.npos; });
    }

  protected:
    int_type overflow(int_type c) override {
        const char ch = traits_type::to_char_type(c);
        return c == traits_type::eof() ? traits_type::not_eof(c) : (xsputn(&ch, 1), c);
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        std::lock_guard<std::mutex> lock(mutex_);
        text_.append(s, static_cast<std::size_t>(n));
        changed_.notify_all();
        return n;
    }

  private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::string text_;
};

// The console's two streams.
struct Run {
    Capture out;
    Capture err;
};

// The program behind the monitor: its exit request makes the monitor close the pipe and end with 0.
struct Program : ipc_test::FakeRequests {
    void RequestExit() override {
        FakeRequests::RequestExit();
        exit.Set();
    }
    base::Event exit{base::EventReset::kManual, false};
};

class InProcessMonitor : public console::MonitorProcess {
  public:
    // A negative start result: the process ends with exit code 7 before it connects.
    InProcessMonitor(Program& program, const std::u16string& pipe, int startResult)
        : comm_(std::make_unique<ipc::CCommIF>(program)) {
        thread_ = std::thread([this, &program, pipe, startResult] {
            if (startResult < 0) {
                exitCode_ = 7;
            } else if (comm_->Init(pipe) == 1) {
                comm_->PostStartResult(static_cast<std::uint8_t>(startResult));
                base::Event* events[] = {&program.exit, &close_};
                exitCode_ = startResult == 0 || base::Event::WaitAny(events, 30000) == 0 ? 0 : 3;
            }
            std::lock_guard<std::mutex> lock(commMutex_);
            comm_.reset();  // closes the pipe, as the process's end would
            ended_.Set();
        });
    }
    ~InProcessMonitor() override {
        close_.Set();
        thread_.join();
    }
    // Closes the pipe unasked, as a monitor that ends on its own (exit code 3).
    void Close() { close_.Set(); }

    std::uint32_t Id() const override { return 77; }
    bool WaitForEnd(std::uint32_t timeoutMs, std::uint32_t& exitCode) override {
        const bool ended = ended_.Wait(timeoutMs);
        exitCode = exitCode_;
        return ended;
    }

    // The test's pushes: the monitor's end waits for one under way (the console may have read its
    // message before the write has returned).
    void PushTotals(std::uint64_t localDown, std::uint64_t localUp, std::uint64_t accDown,
                    std::uint64_t accUp) {
        std::lock_guard<std::mutex> lock(commMutex_);
        comm_->PushTotals(localDown, localUp, accDown, accUp);
    }

  private:
    std::unique_ptr<ipc::CCommIF> comm_;
    std::mutex commMutex_;
    base::Event close_{base::EventReset::kManual, false};
    base::Event ended_{base::EventReset::kManual, false};
    std::atomic<std::uint32_t> exitCode_{0};  // read also while the monitor runs
    std::thread thread_;
};

// Launch paths by file name: "start-0" starts an in-process monitor that reports a failed start and
// ends, "ends-at-once" one that has ended already; anything else one that runs.
class InProcessHost : public console::ConsoleHost {
  public:
    std::uint32_t ProcessId() override { return 4242; }
    std::unique_ptr<console::MonitorProcess> LaunchMonitor(const std::u16string& path,
                                                           const std::u16string& hostName,
                                                           const std::u16string& pipeName,
                                                           std::string& /*error*/) override {
        launchedHost = hostName;
        launchedPipe = pipeName;
        const std::u16string name = path.substr(path.find_last_of(u"/\\") + 1);
        const int start = name == u"start-0" ? 0 : name == u"ends-at-once" ? -1 : 1;
        auto launched = std::make_unique<InProcessMonitor>(program, pipeName, start);
        monitor = launched.get();
        return launched;
    }
    void SetInterruptHandler(std::function<void()> onInterrupt) override {
        std::lock_guard<std::mutex> lock(mutex_);
        handler_ = std::move(onInterrupt);
    }
    // The test's Ctrl-C; false when no handler is installed.
    bool Interrupt() {
        std::lock_guard<std::mutex> lock(mutex_);
        return handler_ ? (handler_(), true) : false;
    }

    Program program;
    InProcessMonitor* monitor = nullptr;  // the last one launched, while the console holds it
    std::u16string launchedHost;
    std::u16string launchedPipe;

  private:
    std::mutex mutex_;
    std::function<void()> handler_;
};

}  // namespace console_test
