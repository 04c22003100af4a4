#pragma once

// The console's end of the pipe: creates it, learns when the monitor has connected or gone, sends
// requests, prints each message as it arrives and lets the console wait for particular ones.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/system_time.h"
#include "ipc/named_pipe_server.h"
#include "ipc/pipe_read_callback.h"
#include "ipc/wire_format.h"
#include "plugin/message_line.h"
#include "plugin/request_line.h"

namespace console {

// How a wait ended.
enum class WaitOutcome { kDone, kTimedOut, kInterrupted, kMonitorGone };

class ConsoleSession : private ipc::IPipeReadCallBack {
  public:
    using Duration = std::chrono::milliseconds;
    using LineSink = std::function<void(const std::string& line)>;
    using Clock = std::function<base::SystemTime()>;
    using MessageObserver = std::function<void(ipc::Bytes message)>;

    // Every printed line goes to sink, one call per line, from the pipe's reader thread or the caller's.
    ConsoleSession(OutputFormat format, bool echo, LineSink sink, Clock clock = &base::LocalNow);
    ~ConsoleSession();
    ConsoleSession(const ConsoleSession&) = delete;
    ConsoleSession& operator=(const ConsoleSession&) = delete;

    // Also hands every message the monitor sends to `observer`, on the pipe's reader thread, after its
    // line is printed and before it counts as arrived. Set before Open.
    void SetObserver(MessageObserver observer) { observer_ = std::move(observer); }

    // Creates the pipe and waits for a client on it. False with an error.
    bool Open(std::u16string_view pipeName, std::string& error);

    // Until the monitor is known to be connected: it has sent a message, or an empty message has
    // reached it (a pipe reader skips empty messages, and a write fails until a client is connected).
    // giveUp is asked between tries: true ends the wait with kMonitorGone (a launched monitor ended).
    WaitOutcome WaitForConnection(Duration timeout, const std::function<bool()>& giveUp);

    // Encodes and writes one request; its answer is then due. False with an error.
    bool Send(const RequestCall& call, std::string& error);

    // Writes the bytes as they are, whatever they hold: no answer is expected of them. False with an error.
    bool SendRaw(const std::vector<std::uint8_t>& message, std::string& error);

    // Until a message with that id arrives that no earlier wait has taken (it may have come already).
    WaitOutcome WaitForMessage(std::uint32_t id, Duration timeout);
    // Waits that long (nullopt: until interrupted) or until the monitor goes.
    WaitOutcome Pause(std::optional<Duration> duration);
    // Until every answer due has arrived; missing names the ids of those that have not.
    WaitOutcome WaitForAnswers(Duration timeout, std::vector<std::uint32_t>& missing);
    WaitOutcome WaitForMonitorGone(Duration timeout);

    // Stops taking messages off the pipe, as a plugin that hangs would: the monitor's messages stay in
    // the pipe until ResumeReading. Answers due until then are no longer waited for: a monitor may drop
    // what a full pipe does not take.
    void PauseReading();
    void ResumeReading();

    // Ends the wait in progress and every later one until TakeInterrupt. Any thread.
    void Interrupt();
    // True when there was an interrupt; clears it.
    bool TakeInterrupt();
    bool MonitorGone() const;
    // True once ExitMonitor has been sent.
    bool ExitSent() const;

  private:
    std::uint32_t OnRead(const std::uint8_t* data, std::uint32_t byteCount, std::uintptr_t context) override;
    std::uint32_t GetBrokenPipePolicy() override;

    using Lock = std::unique_lock<std::mutex>;
    // Waits until done() or the deadline (none: for ever); an interrupt or the monitor's end cut it short
    // unless done() holds. Called with the lock held.
    template <typename Done>
    WaitOutcome WaitLocked(Lock& lock, std::optional<std::chrono::steady_clock::time_point> deadline,
                           Done done);
    void Print(const std::string& line);
    std::optional<std::chrono::steady_clock::time_point> DeadlineAfter(Duration timeout) const;

    const OutputFormat format_;
    const bool echo_;
    const LineSink sink_;
    const Clock clock_;
    MessageObserver observer_;
    std::mutex printMutex_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool connected_ = false;
    bool gone_ = false;
    bool interrupted_ = false;
    bool exitSent_ = false;
    bool readingPaused_ = false;
    std::map<std::uint32_t, std::uint64_t> arrived_;  // by id, every message received
    std::map<std::uint32_t, std::uint64_t> taken_;    // by id, those a WaitForMessage has taken
    std::map<std::uint32_t, std::uint64_t> due_;      // by answer id, one per request sent

    // Last: the reader thread stops before anything it uses goes.
    ipc::CNamedPipeSvcCallBackMode server_;
};

}  // namespace console
