#include "plugin/watch_console.h"

#include <chrono>
#include <mutex>
#include <optional>
#include <ostream>

#include "base/file.h"
#include "base/module_path.h"
#include "base/text.h"
#include "ipc/command_ids.h"
#include "ipc/monitor_message.h"
#include "plugin/console_session.h"
#include "plugin/log_tail.h"
#include "plugin/report_files.h"
#include "plugin/watch_view.h"

namespace console {
namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr std::size_t kLogLines = 12;
// How long a monitor that has ended may still take to deliver the start result it wrote before ending:
// the wait ends as soon as it arrives, and a loaded machine under Wine has needed more than 500 ms.
constexpr std::chrono::milliseconds kLateStartWait{3000};

std::string SecondsText(std::chrono::milliseconds d) {
    const auto ms = d.count();
    return std::to_string(ms / 1000) +
           (ms % 1000 == 0 ? "" : "." + std::to_string(1000 + ms % 1000).substr(1)) + " s";
}

class Watcher {
  public:
    Watcher(const ConsoleOptions& options, const ConsoleStreams& io, ConsoleHost& host)
        : options_(options), io_(io), host_(host) {}

    int Run();
    const ReportRecorder& Report() const { return report_; }

  private:
    void Out(const std::string& text) {
        std::lock_guard<std::mutex> lock(printMutex_);
        io_.out << text << std::flush;
    }
    void Err(const std::string& text) {
        std::lock_guard<std::mutex> lock(printMutex_);
        io_.err << "kvtmon-plugin: " << text << "\n" << std::flush;
    }
    void Note(const std::string& text) {
        if (!options_.quiet) {
            Err(text);
        }
    }

    // On the pipe's reader thread.
    void OnMessage(ipc::Bytes bytes);
    std::optional<std::uint8_t> Answer(std::uint32_t id);

    int CouldNotStart(const std::string& why);
    int StartFailed(std::optional<std::uint32_t> exitCode);
    void ShowLogTail();
    // The monitor's exit code once it has ended, within the exit time-out.
    std::optional<std::uint32_t> WaitForEnd();
    int EndMonitor();
    int Watch();

    const ConsoleOptions& options_;
    const ConsoleStreams& io_;
    ConsoleHost& host_;
    const SteadyClock::time_point started_ = SteadyClock::now();
    std::mutex printMutex_;
    std::mutex viewMutex_;
    WatchView view_;
    std::optional<std::uint8_t> startResult_;
    std::optional<std::uint8_t> accelerateResult_;
    std::u16string pipeName_;
    std::unique_ptr<MonitorProcess> monitor_;
    ReportRecorder report_;
    // The lines the session would print are not wanted here: the view prints instead.
    ConsoleSession session_{OutputFormat::kText, false, [](const std::string&) {}};
};

void Watcher::OnMessage(ipc::Bytes bytes) {
    const ipc::ParsedMonitorMessage message = ipc::ParseMonitorMessage(bytes);
    const auto steadyMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - started_).count();
    const base::SystemTime at = base::LocalNow();
    if (!options_.reportDir.empty()) {
        report_.OnMessage(message, steadyMs, at);
    }
    std::string text;
    {
        std::lock_guard<std::mutex> lock(viewMutex_);
        if (const auto* answer = std::get_if<ipc::ByteAnswer>(&message.fields); answer != nullptr) {
            if (message.id == ipc::cmd::kStartResponse) {
                startResult_ = answer->value;
            } else if (message.id == ipc::cmd::kSetAccelerateProcessResponse) {
                accelerateResult_ = answer->value;
            }
        }
        text = view_.OnMessage(message, steadyMs, at);
    }
    if (!text.empty()) {
        Out(text);
    }
}

std::optional<std::uint8_t> Watcher::Answer(std::uint32_t id) {
    std::lock_guard<std::mutex> lock(viewMutex_);
    return id == ipc::cmd::kStartResponse ? startResult_ : accelerateResult_;
}

void Watcher::ShowLogTail() {
    if (!monitor_) {
        return;
    }
    const std::u16string path = TrafficLogPathBeside(options_.launchPath, base::kPathSeparator);
    std::string gbk;
    if (!base::ReadWholeFile(path, gbk)) {
        Err("no traffic log at " + base::Utf16ToUtf8(path));
        return;
    }
    const std::vector<std::string> lines = TrafficLogTail(gbk, kLogLines);
    std::string text = "the end of " + base::Utf16ToUtf8(path) + (lines.empty() ? " (empty)" : ":");
    for (const std::string& line : lines) {
        text += "\n    " + line;
    }
    Err(text);
}

int Watcher::StartFailed(std::optional<std::uint32_t> exitCode) {
    return CouldNotStart(
        "it reported start result 0" +
        (exitCode ? " and ended with exit code " + std::to_string(*exitCode) : std::string()) +
        " (packet capture needs administrator rights: root or CAP_NET_RAW on Linux)");
}

int Watcher::CouldNotStart(const std::string& why) {
    Err("the monitor could not start: " + why);
    ShowLogTail();
    return kExitFailure;
}

std::optional<std::uint32_t> Watcher::WaitForEnd() {
    std::uint32_t exitCode = 0;
    if (monitor_ &&
        monitor_->WaitForEnd(static_cast<std::uint32_t>(options_.exitTimeout.count()), exitCode)) {
        return exitCode;
    }
    return std::nullopt;
}

int Watcher::EndMonitor() {
    if (!session_.MonitorGone()) {
        RequestCall exit{ipc::FindRequest(ipc::cmd::kExitMonitor), ipc::NoArgs{}};
        std::string error;
        if (!session_.Send(exit, error) && !session_.MonitorGone()) {
            Err(error);
            return kExitFailure;
        }
        Note("ExitMonitor sent; waiting up to " + SecondsText(options_.exitTimeout) +
             " for the monitor to end");
        const WaitOutcome outcome = session_.WaitForMonitorGone(options_.exitTimeout);
        if (outcome == WaitOutcome::kInterrupted) {
            Err("interrupted while waiting for the monitor to end");
            return kExitFailure;
        }
        if (outcome != WaitOutcome::kDone) {
            Err("the monitor did not close the pipe within " + SecondsText(options_.exitTimeout) +
                " of ExitMonitor");
            return kExitFailure;
        }
    }
    if (!monitor_) {
        Out("the monitor has closed the pipe\n");
        return kExitOk;
    }
    const std::optional<std::uint32_t> code = WaitForEnd();
    if (!code) {
        Err("the monitor (pid " + std::to_string(monitor_->Id()) + ") is still running " +
            SecondsText(options_.exitTimeout) + " after it closed the pipe");
        return kExitFailure;
    }
    Out("the monitor ended with exit code " + std::to_string(*code) + "\n");
    return kExitOk;
}

int Watcher::Watch() {
    const std::string names = base::Utf16ToUtf8(options_.watchNames);
    // Every name counts only with a separator after it.
    std::u16string list = options_.watchNames;
    if (list.back() != u';') {
        list += u';';
    }
    std::string error;
    // The report lists the alarms raised; the monitor pushes them only to a plugin that asks.
    RequestCall subscribe{ipc::FindRequest(ipc::cmd::kSubscribeAlarms), ipc::ByteArgs{1}};
    if (!options_.reportDir.empty() && !session_.Send(subscribe, error)) {
        Err(error);
        return kExitFailure;
    }
    RequestCall accelerate{ipc::FindRequest(ipc::cmd::kSetAccelerateProcess), ipc::NameListArgs{list, u";"}};
    if (!session_.Send(accelerate, error)) {
        Err(error);
        return kExitFailure;
    }
    if (session_.WaitForMessage(ipc::cmd::kSetAccelerateProcessResponse, options_.timeout) ==
            WaitOutcome::kDone &&
        Answer(ipc::cmd::kSetAccelerateProcessResponse).value_or(0) != 0) {
        Out("accelerated process: " + names + "\n");
    } else {
        Err("the monitor did not take " + names + " as the accelerated process");
    }
    Note("watching; Ctrl-C ends the monitor");
    // The unattributed total is asked for once a second, to be shown with the next round of totals.
    RequestCall unattributed{ipc::FindRequest(ipc::cmd::kGetUnattributedReflux), ipc::NoArgs{}};
    WaitOutcome outcome = WaitOutcome::kDone;
    while (outcome == WaitOutcome::kDone) {
        std::string ignored;
        static_cast<void>(session_.Send(unattributed, ignored));  // a failed send shows as the monitor gone
        outcome = session_.Pause(std::chrono::seconds(1));
    }
    if (outcome == WaitOutcome::kInterrupted) {
        session_.TakeInterrupt();
        return EndMonitor();
    }
    // The monitor went on its own: its host ended, someone else asked it to, or it failed.
    Err("the monitor closed the pipe");
    if (const std::optional<std::uint32_t> code = WaitForEnd()) {
        Err("the monitor ended with exit code " + std::to_string(*code));
    }
    ShowLogTail();
    return kExitFailure;
}

int Watcher::Run() {
    pipeName_ = options_.pipeName.empty() ? DefaultPipeName(host_.ProcessId()) : options_.pipeName;
    session_.SetObserver([this](ipc::Bytes bytes) { OnMessage(bytes); });
    host_.SetInterruptHandler([this] { session_.Interrupt(); });
    struct Restore {
        ConsoleHost& host;
        ~Restore() { host.SetInterruptHandler(nullptr); }
    } restore{host_};

    std::string error;
    if (!session_.Open(pipeName_, error)) {
        Err(error);
        return kExitFailure;
    }
    if (!options_.launchPath.empty()) {
        monitor_ = host_.LaunchMonitor(options_.launchPath, options_.hostName, pipeName_, error);
        if (!monitor_) {
            Err(error);
            return kExitFailure;
        }
        Note("started " + base::Utf16ToUtf8(options_.launchPath) + " (pid " + std::to_string(monitor_->Id()) +
             ")");
    }
    Note("waiting for the monitor on " + base::Utf16ToUtf8(pipeName_));
    std::uint32_t exitCode = 0;
    const auto launchedEnded = [&] { return monitor_ && monitor_->WaitForEnd(0, exitCode); };
    switch (session_.WaitForConnection(options_.connectTimeout, launchedEnded)) {
        case WaitOutcome::kDone:
            break;
        case WaitOutcome::kMonitorGone:
            // A monitor that reports a failed start ends right after it; its message may still be on
            // its way through the reader.
            if (session_.WaitForMessage(ipc::cmd::kStartResponse, kLateStartWait) != WaitOutcome::kDone) {
                return CouldNotStart("it ended with exit code " + std::to_string(exitCode) +
                                     " before it connected");
            }
            return StartFailed(exitCode);
        case WaitOutcome::kTimedOut:
            if (monitor_) {
                return CouldNotStart("it did not connect within " + SecondsText(options_.connectTimeout));
            }
            Err("no monitor connected after " + SecondsText(options_.connectTimeout));
            return kExitFailure;
        case WaitOutcome::kInterrupted:
            Err("interrupted while waiting for the monitor to connect");
            return kExitFailure;
    }
    switch (session_.WaitForMessage(ipc::cmd::kStartResponse, options_.timeout)) {
        case WaitOutcome::kDone:
            break;
        case WaitOutcome::kMonitorGone: {
            const std::optional<std::uint32_t> code = WaitForEnd();
            return CouldNotStart(
                "it closed the pipe before it reported its start" +
                (code ? " and ended with exit code " + std::to_string(*code) : std::string()));
        }
        case WaitOutcome::kTimedOut:
            return CouldNotStart("it reported no start result within " + SecondsText(options_.timeout));
        case WaitOutcome::kInterrupted:
            session_.TakeInterrupt();
            return EndMonitor();
    }
    if (Answer(ipc::cmd::kStartResponse).value_or(0) != 1) {
        // It ends by itself after a failed start; give it the exit time-out to do so.
        session_.WaitForMonitorGone(options_.exitTimeout);
        return StartFailed(WaitForEnd());
    }
    return Watch();
}

}  // namespace

int RunWatch(const ConsoleOptions& options, const ConsoleStreams& io, ConsoleHost& host) {
    std::string error;
    if (!options.reportDir.empty() && !CheckReportDir(options.reportDir, error)) {
        io.err << "kvtmon-plugin: " << error << "\n" << std::flush;
        return kExitFailure;
    }
    Watcher watcher(options, io, host);
    const int code = watcher.Run();
    return options.reportDir.empty() ? code : WriteReportAndSay(watcher.Report(), options, io.err, code);
}

}  // namespace console
