#pragma once

// Helpers of the console tests: a stream that collects lines and can be waited on while the console
// runs, and a host whose "launched monitor" is the fake monitor on a thread of the test process.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "base/event.h"
#include "base/worker_thread.h"
#include "plugin/console_host.h"
#include "support/fake_monitor.h"

namespace console_test {

// Collects what is written, line by line; any thread may write while another waits.
class LineCapture : public std::streambuf {
  public:
    LineCapture() : stream_(this) {}

    std::ostream& Stream() { return stream_; }

    std::vector<std::string> Lines() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }
    std::string Text() const {
        std::lock_guard<std::mutex> lock(mutex_);
        std::string text;
        for (const std::string& line : lines_) {
            text += line + "\n";
        }
        return text + partial_;
    }
    // Until a complete line contains `part`.
    bool WaitForLineWith(const std::string& part,
                         std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] {
            for (const std::string& line : lines_) {
                if (line.find(part) != std::string::npos) {
                    return true;
                }
            }
            return false;
        });
    }

  protected:
    int_type overflow(int_type c) override {
        if (c != traits_type::eof()) {
            const char ch = traits_type::to_char_type(c);
            xsputn(&ch, 1);
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        std::lock_guard<std::mutex> lock(mutex_);
        for (std::streamsize i = 0; i < n; ++i) {
            if (s[i] == '\n') {
                lines_.push_back(std::move(partial_));
                partial_.clear();
            } else {
                partial_.push_back(s[i]);
            }
        }
        changed_.notify_all();
        return n;
    }

  private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> lines_;
    std::string partial_;
    std::ostream stream_;
};

// The fake monitor on a worker thread, as a "process".
class InProcessMonitor : public console::MonitorProcess {
  public:
    InProcessMonitor(const std::u16string& pipeName, const testing_support::FakeMonitorOptions& options)
        : monitor_(options) {
        if (!thread_.Start([this, pipeName] {
                exitCode_ = static_cast<std::uint32_t>(monitor_.Run(pipeName, 30000));
                ended_.Set();
            })) {
            // No monitor: the console sees it end at once.
            ended_.Set();
        }
    }
    ~InProcessMonitor() override {
        monitor_.Stop();
        thread_.Join(10000);
    }

    std::uint32_t Id() const override { return 77; }
    bool WaitForEnd(std::uint32_t timeoutMs, std::uint32_t& exitCode) override {
        if (!ended_.Wait(timeoutMs)) {
            return false;
        }
        exitCode = exitCode_;
        return true;
    }

  private:
    testing_support::FakeMonitor monitor_;
    std::uint32_t exitCode_ = 0;  // written before ended_ is set
    base::Event ended_{base::EventReset::kManual, false};
    base::WorkerThread thread_;
};

// A monitor that ended before it could connect.
class EndedMonitor : public console::MonitorProcess {
  public:
    std::uint32_t Id() const override { return 78; }
    bool WaitForEnd(std::uint32_t, std::uint32_t& exitCode) override {
        exitCode = 7;
        return true;
    }
};

// Launch paths, by their file name: "fake" starts the fake monitor, "fake-closing" one that closes the
// pipe after its first request, "fake-pushing" one that pushes totals every 20 ms and the process list
// every third round, "fake-start-0" one that reports a failed start, "ends-at-once" one that has ended
// already; anything else fails to start.
class InProcessHost : public console::ConsoleHost {
  public:
    std::uint32_t ProcessId() override { return 4242; }

    std::unique_ptr<console::MonitorProcess> LaunchMonitor(const std::u16string& path,
                                                           const std::u16string& hostName,
                                                           const std::u16string& pipeName,
                                                           std::string& error) override {
        launchedHost = hostName;
        launchedPipe = pipeName;
        const std::u16string name = path.substr(path.find_last_of(u"/\\") + 1);
        if (name == u"fake") {
            return std::make_unique<InProcessMonitor>(pipeName, testing_support::FakeMonitorOptions{});
        }
        if (name == u"fake-closing") {
            return std::make_unique<InProcessMonitor>(
                pipeName, testing_support::FakeMonitorOptions{.closeAfterRequests = 1});
        }
        if (name == u"fake-pushing") {
            return std::make_unique<InProcessMonitor>(
                pipeName, testing_support::FakeMonitorOptions{.totalsPeriodMs = 20, .listEveryRounds = 3});
        }
        if (name == u"fake-start-0") {
            return std::make_unique<InProcessMonitor>(pipeName,
                                                      testing_support::FakeMonitorOptions{.startResult = 0});
        }
        if (name == u"ends-at-once") {
            return std::make_unique<EndedMonitor>();
        }
        error = "cannot start that";
        return nullptr;
    }

    void SetInterruptHandler(std::function<void()> onInterrupt) override {
        std::lock_guard<std::mutex> lock(mutex_);
        handler_ = std::move(onInterrupt);
    }

    // The test's Ctrl-C. False when no handler is installed.
    bool Interrupt() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!handler_) {
            return false;
        }
        handler_();
        return true;
    }

    std::u16string launchedHost;
    std::u16string launchedPipe;

  private:
    std::mutex mutex_;
    std::function<void()> handler_;
};

}  // namespace console_test
