#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ipc/command_ids.h"
#include "plugin/script_line.h"

namespace {

using console::ScriptStep;
using Kind = ScriptStep::Kind;
namespace cmd = ipc::cmd;

const base::SystemTime kNow{2026, 12, 0, 6, 10, 0, 0, 0};

TEST(ScriptLine, ReadsEachKindOfLine) {
    struct Case {
        const char* line;
        Kind kind;
        std::uint32_t id;  // of the request, or of the message waited for
        long long ms;
        bool hasTimeout;
    };
    const Case cases[] = {
        {"", Kind::kNothing, 0, 0, false},
        {"   # \"unbalanced quotes are fine here", Kind::kNothing, 0, 0, false},
        {"wait 1.5", Kind::kWait, 0, 1500, false},
        {"wait-for GetLocalDownRefluxResponse", Kind::kWaitFor, cmd::kGetLocalDownRefluxResponse, 0, false},
        {"wait-for postprocesslistreflux 70", Kind::kWaitFor, cmd::kPostProcessListReflux, 70000, true},
        {"wait-for 77 0.5", Kind::kWaitFor, cmd::kPostLocalDownReflux, 500, true},
        // A request's name stands for its answer; 67 answers under its own id.
        {"wait-for StopAlarm", Kind::kWaitFor, cmd::kStopAlarmResponse, 0, false},
        {"wait-for GetProcessUpRefluxBetweenTimeById", Kind::kWaitFor,
         cmd::kGetProcessUpRefluxBetweenTimeByIdResponse, 0, false},
        {"  StopAlarm   stop=1  ", Kind::kRequest, cmd::kStopAlarm, 0, false},
        {"pause-reading", Kind::kPauseReading, 0, 0, false},
        {" resume-reading ", Kind::kResumeReading, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        ScriptStep step;
        std::string error;
        ASSERT_TRUE(console::ParseScriptLine(c.line, kNow, step, error)) << error;
        EXPECT_EQ(step.kind, c.kind);
        EXPECT_EQ(c.kind == Kind::kRequest ? step.request.info->id : step.messageId, c.id);
        EXPECT_EQ(step.duration.count(), c.ms);
        EXPECT_EQ(step.hasTimeout, c.hasTimeout);
    }
    ScriptStep step;
    std::string error;
    ASSERT_TRUE(console::ParseScriptLine("raw 0a000000 07000000 01", kNow, step, error)) << error;
    EXPECT_EQ(step.kind, Kind::kRaw);
    EXPECT_EQ(step.bytes, (std::vector<std::uint8_t>{0x0A, 0, 0, 0, 7, 0, 0, 0, 1}));
}

TEST(ScriptLine, SaysWhatIsWrong) {
    const std::pair<const char*, const char*> cases[] = {
        {"wait", "wait: write 'wait SECONDS'"},
        {"wait-for", "wait-for: write 'wait-for MESSAGE [SECONDS]'"},
        {"wait-for 79", "wait-for: the monitor sends no message '79'"},
        {"wait-for ExitMonitor", "wait-for: the monitor sends no message 'ExitMonitor'"},
        {"wait-for 20 later", "wait-for: 'later' is not a number of seconds"},
        // A request line's mistakes, one of each kind.
        {"Reflux", "did you mean GetLocalDownReflux, GetLocalUpReflux or GetLocalTotalReflux?"},
        {"Frobnicate", "unknown request 'Frobnicate' (--list shows them all)"},
        {"StopAlarm", "StopAlarm: missing stop=0..255 (usage: StopAlarm stop=0..255)"},
        {"StopAlarm stop=256", "StopAlarm: stop=256 is not a number from 0 to 255"},
        {"StopAlarm stop=1 stop=0", "StopAlarm: stop given twice"},
        {"StopAlarm halt=1", "StopAlarm: unknown argument 'halt'"},
        {"GetLocalDownReflux x=1", "GetLocalDownReflux: takes no arguments"},
        {"Start data=abc", "Start: data=abc is not an even number of hex digits (usage: Start [data=HEX])"},
        {"GetProcessUpRefluxBetweenTimeById pid=1 from=2026-02-29 to=now", "from=2026-02-29 is not a time"},
        {"GetProcessTotalTime name=\"open", "unclosed quote"},
        {"pause-reading 5", "pause-reading: takes no arguments"},
        {"raw 0 0", "raw: write 'raw HEX...'"},
        {"raw 0g", "raw: write 'raw HEX...'"},
    };
    for (const auto& [line, expected] : cases) {
        ScriptStep step;
        std::string error;
        EXPECT_FALSE(console::ParseScriptLine(line, kNow, step, error)) << line;
        EXPECT_NE(error.find(expected), std::string::npos) << line << "\n  gave: " << error;
    }
}

}  // namespace
