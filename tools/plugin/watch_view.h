#pragma once

// What the console's watch mode prints: after each round of totals pushes (once a second) the machine's
// and the accelerated totals with their rates, and after a round of the process list push (once a
// minute) the processes it named, biggest download rate first. Pure: the loop hands in each message with
// the moment it arrived.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/system_time.h"
#include "ipc/monitor_message.h"

namespace console {

class WatchView {
  public:
    // One message from the monitor and when it arrived: steady milliseconds (for the rates) and the
    // local time (for the stamp). Returns the lines to print now, each ending in '\n'; usually none.
    std::string OnMessage(const ipc::ParsedMonitorMessage& message, std::int64_t steadyMs,
                          const base::SystemTime& at);

  private:
    // Local down, local up, accelerated down, accelerated up: the order of the pushes 77, 78, 80, 81.
    struct Totals {
        std::uint64_t bytes[4] = {};
        std::int64_t steadyMs = 0;
    };

    // A process as the previous round showed it, to take its download rate from.
    struct Seen {
        base::SystemTime startTime;
        std::uint64_t bytesDown = 0;
    };

    std::string TotalsBlock(const base::SystemTime& at) const;
    std::string ProcessBlock(const base::SystemTime& at);
    std::u16string DownRate(const ipc::ProcessListEntry& process, const base::SystemTime& at) const;

    std::uint64_t unattributed_ = 0;  // both ways, from the last GetUnattributedReflux answer
    bool haveUnattributed_ = false;
    Totals current_;
    Totals previous_;
    bool havePrevious_ = false;
    std::vector<ipc::ProcessListEntry> processes_;  // the round being received
    bool processesPending_ = false;
    std::int64_t roundMs_ = 0;            // when the round being received began
    std::map<std::uint32_t, Seen> seen_;  // by pid, from the last printed round
    std::int64_t seenMs_ = 0;
};

}  // namespace console
