#include "plugin/console_session.h"

#include <algorithm>

#include "base/text.h"
#include "ipc/command_ids.h"
#include "ipc/message_fields.h"
#include "ipc/request_builder.h"

namespace console {
namespace {

using SteadyClock = std::chrono::steady_clock;

// How often the connection wait tries its empty message.
constexpr std::chrono::milliseconds kConnectProbeInterval{20};

bool IsDisconnectError(std::uint32_t error) {
    return error == ipc::kPipeErrorBrokenPipe || error == ipc::kPipeErrorNoData ||
           error == ipc::kPipeErrorPipeNotConnected || error == ipc::kPipeErrorInvalidHandle;
}

}  // namespace

ConsoleSession::ConsoleSession(OutputFormat format, bool echo, LineSink sink, Clock clock)
    : format_(format), echo_(echo), sink_(std::move(sink)), clock_(std::move(clock)) {}

ConsoleSession::~ConsoleSession() {
    // A paused reader must get going again, or the server's end would wait for it in vain.
    ResumeReading();
}

bool ConsoleSession::Open(std::u16string_view pipeName, std::string& error) {
    // One client at a time; the sizes are those of the monitor's own receive buffer.
    if (!server_.Create(pipeName, 1, 4096, 4096, 1000)) {
        const std::uint32_t code = server_.Endpoint().LastError();
        error = "cannot create the pipe " + base::Utf16ToUtf8(pipeName) + ": error " + std::to_string(code);
        if (code == ipc::kPipeErrorPipeBusy || code == ipc::kPipeErrorAccessDenied) {
            error += " (another program serves that name)";
        }
        return false;
    }
    server_.SetCallback(this, 0);
    if (!server_.StartReading()) {
        error = "cannot start reading the pipe: error " + std::to_string(server_.Endpoint().LastError());
        return false;
    }
    return true;
}

std::optional<SteadyClock::time_point> ConsoleSession::DeadlineAfter(Duration timeout) const {
    return SteadyClock::now() + timeout;
}

template <typename Done>
WaitOutcome ConsoleSession::WaitLocked(Lock& lock, std::optional<SteadyClock::time_point> deadline,
                                       Done done) {
    const auto settled = [&] { return done() || interrupted_ || gone_; };
    if (deadline) {
        changed_.wait_until(lock, *deadline, settled);
    } else {
        changed_.wait(lock, settled);
    }
    if (done()) {
        return WaitOutcome::kDone;
    }
    if (interrupted_) {
        return WaitOutcome::kInterrupted;
    }
    return gone_ ? WaitOutcome::kMonitorGone : WaitOutcome::kTimedOut;
}

WaitOutcome ConsoleSession::WaitForConnection(Duration timeout, const std::function<bool()>& giveUp) {
    const auto deadline = SteadyClock::now() + timeout;
    for (;;) {
        {
            Lock lock(mutex_);
            if (connected_) {
                return WaitOutcome::kDone;
            }
            if (interrupted_) {
                return WaitOutcome::kInterrupted;
            }
        }
        static const std::uint8_t kNothing = 0;
        std::uint32_t written = 0;
        if (server_.Write(&kNothing, 0, &written)) {
            Lock lock(mutex_);
            connected_ = true;
            return WaitOutcome::kDone;
        }
        if (giveUp && giveUp()) {
            return WaitOutcome::kMonitorGone;
        }
        const auto now = SteadyClock::now();
        if (now >= deadline) {
            return WaitOutcome::kTimedOut;
        }
        Lock lock(mutex_);
        changed_.wait_until(lock, std::min(deadline, now + kConnectProbeInterval),
                            [&] { return connected_ || interrupted_; });
    }
}

bool ConsoleSession::Send(const RequestCall& call, std::string& error) {
    const std::vector<std::uint8_t> message = ipc::EncodeRequest(call.info->id, call.args);
    if (message.empty()) {
        error = std::string(call.info->name) + ": a text is too long for its length field";
        return false;
    }
    if (!SendRaw(message, error)) {
        return false;
    }
    Lock lock(mutex_);
    if (call.info->answerId != 0) {
        ++due_[call.info->answerId];
    }
    if (call.info->id == ipc::cmd::kExitMonitor) {
        exitSent_ = true;
    }
    return true;
}

bool ConsoleSession::SendRaw(const std::vector<std::uint8_t>& message, std::string& error) {
    {
        Lock lock(mutex_);
        if (gone_) {
            error = "the monitor has disconnected";
            return false;
        }
    }
    // The echo goes out before the write, so it comes before its answer. No lock is held during the
    // write: it waits while the monitor's queue is full, and the monitor empties it only while the
    // reader thread can print and take the answers.
    if (echo_) {
        Print(FormatMessageLine(ipc::DescribeRequest(message), message.size(), clock_(), Direction::kSent,
                                format_));
    }
    std::uint32_t written = 0;
    if (!server_.Write(message.data(), static_cast<std::uint32_t>(message.size()), &written)) {
        const std::uint32_t code = server_.Endpoint().LastError();
        error = IsDisconnectError(code) ? "the monitor has disconnected"
                                        : "cannot write to the pipe: error " + std::to_string(code);
        return false;
    }
    return true;
}

WaitOutcome ConsoleSession::WaitForMessage(std::uint32_t id, Duration timeout) {
    Lock lock(mutex_);
    const WaitOutcome outcome =
        WaitLocked(lock, DeadlineAfter(timeout), [&] { return arrived_[id] > taken_[id]; });
    if (outcome == WaitOutcome::kDone) {
        ++taken_[id];
    }
    return outcome;
}

WaitOutcome ConsoleSession::Pause(std::optional<Duration> duration) {
    Lock lock(mutex_);
    const WaitOutcome outcome =
        WaitLocked(lock, duration ? DeadlineAfter(*duration) : std::nullopt, [] { return false; });
    return outcome == WaitOutcome::kTimedOut ? WaitOutcome::kDone : outcome;
}

WaitOutcome ConsoleSession::WaitForAnswers(Duration timeout, std::vector<std::uint32_t>& missing) {
    Lock lock(mutex_);
    const auto allArrived = [&] {
        for (const auto& [id, count] : due_) {
            if (arrived_[id] < count) {
                return false;
            }
        }
        return true;
    };
    const WaitOutcome outcome = WaitLocked(lock, DeadlineAfter(timeout), allArrived);
    missing.clear();
    for (const auto& [id, count] : due_) {
        if (arrived_[id] < count) {
            missing.push_back(id);
        }
    }
    return outcome;
}

WaitOutcome ConsoleSession::WaitForMonitorGone(Duration timeout) {
    Lock lock(mutex_);
    const auto deadline = SteadyClock::now() + timeout;
    changed_.wait_until(lock, deadline, [&] { return gone_ || interrupted_; });
    if (gone_) {
        return WaitOutcome::kDone;
    }
    return interrupted_ ? WaitOutcome::kInterrupted : WaitOutcome::kTimedOut;
}

void ConsoleSession::PauseReading() {
    Lock lock(mutex_);
    readingPaused_ = true;
}

void ConsoleSession::ResumeReading() {
    Lock lock(mutex_);
    readingPaused_ = false;
    for (auto& [id, count] : due_) {
        count = std::min(count, arrived_[id]);
    }
    changed_.notify_all();
}

void ConsoleSession::Interrupt() {
    Lock lock(mutex_);
    interrupted_ = true;
    changed_.notify_all();
}

bool ConsoleSession::TakeInterrupt() {
    Lock lock(mutex_);
    const bool was = interrupted_;
    interrupted_ = false;
    return was;
}

bool ConsoleSession::MonitorGone() const {
    Lock lock(mutex_);
    return gone_;
}

bool ConsoleSession::ExitSent() const {
    Lock lock(mutex_);
    return exitSent_;
}

void ConsoleSession::Print(const std::string& line) {
    std::lock_guard<std::mutex> lock(printMutex_);
    sink_(line);
}

std::uint32_t ConsoleSession::OnRead(const std::uint8_t* data, std::uint32_t byteCount, std::uintptr_t) {
    {
        // Holding the reader here leaves everything after this message in the pipe.
        Lock lock(mutex_);
        changed_.wait(lock, [&] { return !readingPaused_; });
    }
    const ipc::Bytes message(data, byteCount);
    const ipc::DecodedMessage decoded = ipc::DescribeMonitorMessage(message);
    // Printed before it counts as arrived: whoever waited for it finds its line out already.
    Print(FormatMessageLine(decoded, byteCount, clock_(), Direction::kReceived, format_));
    if (observer_) {
        observer_(message);
    }
    Lock lock(mutex_);
    connected_ = true;
    if (decoded.status != ipc::ParseStatus::kBadFrame) {
        ++arrived_[decoded.id];
    }
    changed_.notify_all();
    return 1;
}

std::uint32_t ConsoleSession::GetBrokenPipePolicy() {
    Lock lock(mutex_);
    gone_ = true;
    changed_.notify_all();
    // One monitor per session.
    return kBrokenPipeStop;
}

}  // namespace console
