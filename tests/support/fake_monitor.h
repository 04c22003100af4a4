#pragma once

// Plays the monitor's end of the plugin pipe for the console's tests: connects as the client,
// announces itself with the start result (1) as the monitor does, answers every request with canned
// figures built by the protocol builders, and follows each request with a PostLocalDownReflux push
// that counts the requests so far. ExitMonitor (or Stop) makes it close the pipe.
// Optionally, like the monitor, it pushes the four totals in rounds (local figures growing by 1000 and
// 2000 bytes a round, accelerated ones by 100 and 200) and every few rounds a process list of two
// processes; or it reports a failed start (result 0) and ends.
//
// Canned answers: local and accelerated totals are 1000 x the request id; by-name totals 100 x the
// name's length, by-pid totals 10 x the pid; between-time totals the seconds from `from` to `to`; the
// start and exit times 2026-12-06 10:00:00 with result 1; total time 3600 s; states and results 1,
// but SetAccelerateProcess answers the number of names it was given. Malformed requests get the
// failure values.

#include <atomic>
#include <cstdint>
#include <string_view>

#include "base/event.h"
#include "ipc/named_pipe_client.h"
#include "ipc/pipe_read_callback.h"

namespace testing_support {

struct FakeMonitorOptions {
    // After that many requests the monitor closes the pipe on its own (0: never).
    std::uint32_t closeAfterRequests = 0;
    // 0: report a failed start and close the pipe at once.
    std::uint8_t startResult = 1;
    // A round of totals pushes every that many milliseconds (0: none) ...
    std::uint32_t totalsPeriodMs = 0;
    // ... and the process list after every that many rounds (0: never).
    std::uint32_t listEveryRounds = 0;
};

class FakeMonitor : public ipc::IPipeReadCallBack {
  public:
    static constexpr int kEndedByExitRequest = 0;
    static constexpr int kNoPipe = 2;
    static constexpr int kStopped = 3;

    explicit FakeMonitor(std::uint32_t closeAfterRequests = 0);
    explicit FakeMonitor(const FakeMonitorOptions& options);

    // Connects and serves until ExitMonitor, Stop or waitMs; closes the pipe and returns one of the codes.
    int Run(std::u16string_view pipeName, std::uint32_t waitMs);
    void Stop();

  private:
    std::uint32_t OnRead(const std::uint8_t* data, std::uint32_t byteCount, std::uintptr_t context) override;
    std::uint32_t GetBrokenPipePolicy() override { return kBrokenPipeStop; }
    void Send(const std::uint8_t* data, std::uint32_t size);
    void PushRound(std::uint32_t round);

    const FakeMonitorOptions options_;
    std::atomic<std::uint32_t> requests_{0};
    base::Event exitRequested_{base::EventReset::kManual, false};
    base::Event stop_{base::EventReset::kManual, false};
    // Last: its reader stops before the rest goes.
    ipc::CNamedPipeClientCallBackMode client_;
};

}  // namespace testing_support
