#pragma once

// One line of a console script: a request in the console's request syntax, "wait SECONDS",
// "wait-for MESSAGE [SECONDS]", "raw HEX..." (bytes sent as they are, for malformed messages),
// "pause-reading" / "resume-reading" (the console stops and starts taking the monitor's messages off the
// pipe, as a plugin that hangs would), or nothing (a blank line or a "#" comment).

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/system_time.h"
#include "plugin/request_line.h"

namespace console {

struct ScriptStep {
    enum class Kind { kNothing, kRequest, kWait, kWaitFor, kRaw, kPauseReading, kResumeReading };
    Kind kind = Kind::kNothing;
    RequestCall request;                   // kRequest
    std::vector<std::uint8_t> bytes;       // kRaw
    std::uint32_t messageId = 0;           // kWaitFor
    std::chrono::milliseconds duration{};  // kWait: how long; kWaitFor: the time-out, when hasTimeout
    bool hasTimeout = false;
};

bool ParseScriptLine(std::string_view line, const base::SystemTime& now, ScriptStep& step,
                     std::string& error);

// The id of a message the monitor sends, by its name (without regard to case) or decimal id. A request's
// name stands for its answer ("GetLocalDownReflux" is 20). False when there is no such message.
bool FindMonitorMessageId(std::string_view nameOrId, std::uint32_t& id);

}  // namespace console
