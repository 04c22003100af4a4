#include "plugin/plugin_console.h"

#include <istream>
#include <mutex>
#include <optional>
#include <ostream>

#include "base/text.h"
#include "ipc/command_ids.h"
#include "ipc/monitor_message.h"
#include "plugin/console_options.h"
#include "plugin/console_session.h"
#include "plugin/line_feed.h"
#include "plugin/report_files.h"
#include "plugin/script_line.h"
#include "plugin/watch_console.h"

namespace console {
namespace {

using Duration = std::chrono::milliseconds;

std::string Seconds(Duration d) {
    const auto ms = d.count();
    if (ms % 1000 == 0) {
        return std::to_string(ms / 1000) + " s";
    }
    std::string text = std::to_string(ms / 1000) + "." + std::to_string(1000 + ms % 1000).substr(1);
    while (text.back() == '0') {
        text.pop_back();
    }
    return text + " s";
}

std::string MessageName(std::uint32_t id) {
    const ipc::MonitorMessageInfo* info = ipc::FindMonitorMessage(id);
    return (info != nullptr ? std::string(info->name) : "message") + " (" + std::to_string(id) + ")";
}

// Installs the interrupt handler for as long as it lives.
class InterruptScope {
  public:
    InterruptScope(ConsoleHost& host, std::function<void()> handler) : host_(host) {
        host_.SetInterruptHandler(std::move(handler));
    }
    ~InterruptScope() { host_.SetInterruptHandler(nullptr); }
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

  private:
    ConsoleHost& host_;
};

class Console {
  public:
    Console(const ConsoleStreams& io, ConsoleHost& host) : io_(io), host_(host) {}

    int Run(std::span<const std::string> args);

  private:
    int Usage(const std::string& error) {
        io_.err << "kvtmon-plugin: " << error << "\nTry 'kvtmon-plugin --help'.\n";
        return kExitUsage;
    }
    void Error(const std::string& error) { io_.err << "kvtmon-plugin: " << error << "\n" << std::flush; }
    void Note(const std::string& note) {
        if (!options_.quiet) {
            io_.err << "kvtmon-plugin: " << note << "\n" << std::flush;
        }
    }

    // False with `error` at the first request that does not parse.
    bool ParseRequests(std::vector<RequestCall>& calls, std::string& error);

    // Each step returns an exit code; anything but kExitOk ends the conversation.
    int OpenAndConnect();
    int Connect();
    int Converse(const std::vector<RequestCall>& calls);
    int RunScript(LineFeed& feed);
    int DrainAnswers();
    int Listen();
    int EndMonitor();
    // The conversation's result, after the monitor is ended when asked to.
    int Finish(int result);
    // What became of a wait in the conversation, as an exit code.
    int WaitResult(WaitOutcome outcome, const std::string& what);

    // On the thread of an interrupt.
    void OnInterrupt() {
        session_->Interrupt();
        std::lock_guard<std::mutex> lock(feedMutex_);
        if (feed_) {
            feed_->Interrupt();
        }
    }

    const ConsoleStreams& io_;
    ConsoleHost& host_;
    ConsoleOptions options_;
    std::u16string pipeName_;
    ReportRecorder report_;  // before the session: its reader thread feeds the report until it ends
    std::optional<ConsoleSession> session_;
    std::unique_ptr<MonitorProcess> monitor_;
    std::mutex feedMutex_;  // the feed is made and dropped while an interrupt may come
    std::unique_ptr<LineFeed> feed_;
};

int Console::WaitResult(WaitOutcome outcome, const std::string& what) {
    switch (outcome) {
        case WaitOutcome::kDone:
            return kExitOk;
        case WaitOutcome::kInterrupted:
            session_->TakeInterrupt();
            Error("interrupted while waiting for " + what);
            return kExitFailure;
        case WaitOutcome::kMonitorGone:
            Error("the monitor disconnected while the console waited for " + what);
            return kExitFailure;
        case WaitOutcome::kTimedOut:
            Error("no " + what);
            return kExitFailure;
    }
    return kExitFailure;
}

int Console::Connect() {
    std::uint32_t exitCode = 0;
    const auto launchedEnded = [&] { return monitor_ && monitor_->WaitForEnd(0, exitCode); };
    switch (session_->WaitForConnection(options_.connectTimeout, launchedEnded)) {
        case WaitOutcome::kDone:
            Note("the monitor is connected");
            return kExitOk;
        case WaitOutcome::kTimedOut:
            Error("no monitor connected after " + Seconds(options_.connectTimeout));
            return kExitFailure;
        case WaitOutcome::kInterrupted:
            session_->TakeInterrupt();
            Error("interrupted while waiting for the monitor to connect");
            return kExitFailure;
        case WaitOutcome::kMonitorGone:
            // Only a launched monitor that has ended gives up the wait.
            Error("the monitor ended with exit code " + std::to_string(exitCode) + " before it connected");
            return kExitFailure;
    }
    return kExitFailure;
}

int Console::RunScript(LineFeed& feed) {
    std::string line;
    for (int number = 1;; ++number) {
        const LineFeed::Result next = feed.Next(line);
        if (next == LineFeed::Result::kEnd) {
            return kExitOk;
        }
        if (next == LineFeed::Result::kInterrupted) {
            // Ctrl-C between lines ends the script as its end would.
            session_->TakeInterrupt();
            return kExitOk;
        }
        ScriptStep step;
        std::string error;
        if (!ParseScriptLine(line, base::LocalNow(), step, error)) {
            io_.err << "kvtmon-plugin: line " << number << ": " << error << "\n" << std::flush;
            return kExitUsage;
        }
        int result = kExitOk;
        switch (step.kind) {
            case ScriptStep::Kind::kNothing:
                break;
            case ScriptStep::Kind::kRequest:
                if (!session_->Send(step.request, error)) {
                    Error("line " + std::to_string(number) + ": " + error);
                    result = kExitFailure;
                }
                break;
            case ScriptStep::Kind::kRaw:
                if (!session_->SendRaw(step.bytes, error)) {
                    Error("line " + std::to_string(number) + ": " + error);
                    result = kExitFailure;
                }
                break;
            case ScriptStep::Kind::kPauseReading:
                session_->PauseReading();
                break;
            case ScriptStep::Kind::kResumeReading:
                session_->ResumeReading();
                break;
            case ScriptStep::Kind::kWait: {
                const WaitOutcome outcome = session_->Pause(step.duration);
                // After ExitMonitor the monitor is expected to go.
                if (outcome != WaitOutcome::kMonitorGone || !session_->ExitSent()) {
                    result = WaitResult(outcome, "the end of 'wait' on line " + std::to_string(number));
                }
                break;
            }
            case ScriptStep::Kind::kWaitFor: {
                const Duration timeout = step.hasTimeout ? step.duration : options_.timeout;
                result = WaitResult(session_->WaitForMessage(step.messageId, timeout),
                                    MessageName(step.messageId) + " within " + Seconds(timeout) + " (line " +
                                        std::to_string(number) + ")");
                break;
            }
        }
        if (result != kExitOk) {
            return result;
        }
    }
}

int Console::DrainAnswers() {
    std::vector<std::uint32_t> missing;
    const WaitOutcome outcome = session_->WaitForAnswers(options_.timeout, missing);
    if (outcome == WaitOutcome::kDone) {
        return kExitOk;
    }
    std::string names;
    for (std::uint32_t id : missing) {
        names += (names.empty() ? "" : ", ") + MessageName(id);
    }
    return WaitResult(outcome, "answer " + names + " within " + Seconds(options_.timeout));
}

int Console::Listen() {
    const std::optional<Duration> duration =
        options_.listenFor.count() > 0 ? std::optional<Duration>(options_.listenFor) : std::nullopt;
    const WaitOutcome outcome = session_->Pause(duration);
    if (outcome == WaitOutcome::kInterrupted) {
        // Ctrl-C is how listening for ever ends.
        session_->TakeInterrupt();
        return kExitOk;
    }
    if (outcome == WaitOutcome::kMonitorGone && session_->ExitSent()) {
        return kExitOk;
    }
    return WaitResult(outcome, "pushes");
}

int Console::EndMonitor() {
    if (!session_->MonitorGone()) {
        if (!session_->ExitSent()) {
            RequestCall exit{ipc::FindRequest(ipc::cmd::kExitMonitor), ipc::NoArgs{}};
            std::string error;
            if (!session_->Send(exit, error)) {
                Error(error);
                return kExitFailure;
            }
        }
        const WaitOutcome outcome = session_->WaitForMonitorGone(options_.exitTimeout);
        if (outcome == WaitOutcome::kInterrupted) {
            session_->TakeInterrupt();
            Error("interrupted while waiting for the monitor to end");
            return kExitFailure;
        }
        if (outcome != WaitOutcome::kDone) {
            Error("the monitor did not close the pipe within " + Seconds(options_.exitTimeout) +
                  " of ExitMonitor");
            return kExitFailure;
        }
    }
    if (!monitor_) {
        Note("the monitor has closed the pipe");
        return kExitOk;
    }
    std::uint32_t exitCode = 0;
    if (!monitor_->WaitForEnd(static_cast<std::uint32_t>(options_.exitTimeout.count()), exitCode)) {
        Error("the monitor (pid " + std::to_string(monitor_->Id()) + ") is still running " +
              Seconds(options_.exitTimeout) + " after it closed the pipe");
        return kExitFailure;
    }
    Note("the monitor ended with exit code " + std::to_string(exitCode));
    return kExitOk;
}

bool Console::ParseRequests(std::vector<RequestCall>& calls, std::string& error) {
    const base::SystemTime now = base::LocalNow();
    for (const auto& words : options_.requests) {
        RequestCall call;
        if (!ParseRequestWords(words, now, call, error)) {
            return false;
        }
        calls.push_back(std::move(call));
    }
    return true;
}

int Console::OpenAndConnect() {
    std::string error;
    if (!session_->Open(pipeName_, error)) {
        Error(error);
        return kExitFailure;
    }
    if (!options_.launchPath.empty()) {
        monitor_ = host_.LaunchMonitor(options_.launchPath, options_.hostName, pipeName_, error);
        if (!monitor_) {
            Error(error);
            return kExitFailure;
        }
        Note("started " + base::Utf16ToUtf8(options_.launchPath) + " (pid " + std::to_string(monitor_->Id()) +
             ")");
    }
    Note("waiting for the monitor on " + base::Utf16ToUtf8(pipeName_));
    return Connect();
}

int Console::Converse(const std::vector<RequestCall>& calls) {
    std::string error;
    // The report lists the alarms raised; the monitor pushes them only to a plugin that asks.
    RequestCall subscribe{ipc::FindRequest(ipc::cmd::kSubscribeAlarms), ipc::ByteArgs{1}};
    if (!options_.reportDir.empty() && !session_->Send(subscribe, error)) {
        Error(error);
        return kExitFailure;
    }
    for (const RequestCall& call : calls) {
        if (!session_->Send(call, error)) {
            Error(error);
            return kExitFailure;
        }
    }
    int result = kExitOk;
    if (feed_) {
        result = RunScript(*feed_);
    }
    if (result == kExitOk) {
        result = DrainAnswers();
    }
    if (result == kExitOk && options_.listen) {
        result = Listen();
    }
    return result;
}

int Console::Finish(int result) {
    if (options_.exit) {
        const int ended = EndMonitor();
        return result != kExitOk ? result : ended;
    }
    if (monitor_) {
        Note("the monitor (pid " + std::to_string(monitor_->Id()) + ") keeps running");
    }
    return result;
}

int Console::Run(std::span<const std::string> args) {
    std::string error;
    if (!ParseConsoleOptions(args, options_, error)) {
        return Usage(error);
    }
    if (options_.help) {
        io_.out << ConsoleHelpText() << std::flush;
        return kExitOk;
    }
    if (options_.version) {
        io_.out << "kvtmon-plugin " << ConsoleVersion() << "\n" << std::flush;
        return kExitOk;
    }
    if (options_.list) {
        io_.out << RequestListText() << std::flush;
        return kExitOk;
    }
    if (!options_.watchNames.empty()) {
        return RunWatch(options_, io_, host_);
    }
    // Every request is checked before anything is created.
    std::vector<RequestCall> calls;
    if (!ParseRequests(calls, error)) {
        return Usage(error);
    }
    if (!options_.reportDir.empty() && !CheckReportDir(options_.reportDir, error)) {
        Error(error);
        return kExitFailure;
    }
    pipeName_ = options_.pipeName.empty() ? DefaultPipeName(host_.ProcessId()) : options_.pipeName;

    std::ostream& out = io_.out;
    session_.emplace(options_.format, options_.echo, [&out](const std::string& line) {
        out << line << '\n' << std::flush;
    });
    if (!options_.reportDir.empty()) {
        const auto started = std::chrono::steady_clock::now();
        session_->SetObserver([this, started](ipc::Bytes bytes) {
            const auto ms = std::chrono::duration_cast<Duration>(std::chrono::steady_clock::now() - started);
            report_.OnMessage(ipc::ParseMonitorMessage(bytes), ms.count(), base::LocalNow());
        });
    }
    // Before any thread starts: on Linux the threads started later inherit the blocked signals.
    const InterruptScope interrupts(host_, [this] { OnInterrupt(); });
    if (options_.script) {
        std::lock_guard<std::mutex> lock(feedMutex_);
        feed_ = std::make_unique<LineFeed>(io_.in);
    }
    int result = OpenAndConnect();
    if (result == kExitOk) {
        result = Finish(Converse(calls));
    }
    return options_.reportDir.empty() ? result : WriteReportAndSay(report_, options_, io_.err, result);
}

}  // namespace

int RunPluginConsole(std::span<const std::string> args, const ConsoleStreams& io, ConsoleHost& host) {
    Console console(io, host);
    return console.Run(args);
}

}  // namespace console
