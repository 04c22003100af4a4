#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ipc/command_ids.h"
#include "plugin/script_line.h"

namespace {

using console::ScriptStep;
using Kind = ScriptStep::Kind;

const base::SystemTime kNow{2026, 12, 0, 6, 10, 0, 0, 0};

TEST(ScriptLine, SkipsBlankLinesAndComments) {
    for (const char* line : {"", "   ", "\t", "# a comment", "   # \"unbalanced quotes are fine here"}) {
        ScriptStep step;
        std::string error;
        EXPECT_TRUE(console::ParseScriptLine(line, kNow, step, error)) << line;
        EXPECT_EQ(step.kind, Kind::kNothing) << line;
    }
}

TEST(ScriptLine, ReadsWaitsAndRequests) {
    ScriptStep step;
    std::string error;
    ASSERT_TRUE(console::ParseScriptLine("wait 1.5", kNow, step, error));
    EXPECT_EQ(step.kind, Kind::kWait);
    EXPECT_EQ(step.duration.count(), 1500);

    struct WaitFor {
        const char* line;
        std::uint32_t id;
        bool hasTimeout;
        long long timeoutMs;
    };
    const WaitFor waits[] = {
        {"wait-for GetLocalDownRefluxResponse", ipc::cmd::kGetLocalDownRefluxResponse, false, 0},
        {"wait-for postprocesslistreflux 70", ipc::cmd::kPostProcessListReflux, true, 70000},
        {"wait-for 77 0.5", ipc::cmd::kPostLocalDownReflux, true, 500},
        // A request's name stands for its answer; 67 answers under its own id.
        {"wait-for StopAlarm", ipc::cmd::kStopAlarmResponse, false, 0},
        {"wait-for GetProcessUpRefluxBetweenTimeById", ipc::cmd::kGetProcessUpRefluxBetweenTimeByIdResponse,
         false, 0},
        {"wait-for StartResponse", ipc::cmd::kStartResponse, false, 0},
    };
    for (const WaitFor& w : waits) {
        ASSERT_TRUE(console::ParseScriptLine(w.line, kNow, step, error)) << w.line << ": " << error;
        EXPECT_EQ(step.kind, Kind::kWaitFor) << w.line;
        EXPECT_EQ(step.messageId, w.id) << w.line;
        EXPECT_EQ(step.hasTimeout, w.hasTimeout) << w.line;
        EXPECT_EQ(step.duration.count(), w.timeoutMs) << w.line;
    }

    ASSERT_TRUE(console::ParseScriptLine("  StopAlarm   stop=1  ", kNow, step, error)) << error;
    EXPECT_EQ(step.kind, Kind::kRequest);
    EXPECT_EQ(step.request.info->id, ipc::cmd::kStopAlarm);
    EXPECT_TRUE(step.request.args == ipc::RequestArgs(ipc::ByteArgs{1}));
}

TEST(ScriptLine, ReadsRawBytesInAnyGrouping) {
    ScriptStep step;
    std::string error;
    ASSERT_TRUE(console::ParseScriptLine("raw 0a000000 07000000 01 # no!", kNow, step, error) == false);
    ASSERT_TRUE(console::ParseScriptLine("raw 0a000000 07000000 01", kNow, step, error)) << error;
    EXPECT_EQ(step.kind, Kind::kRaw);
    EXPECT_EQ(step.bytes, (std::vector<std::uint8_t>{0x0A, 0, 0, 0, 7, 0, 0, 0, 1}));
    ASSERT_TRUE(console::ParseScriptLine("raw FF", kNow, step, error)) << error;
    EXPECT_EQ(step.bytes, (std::vector<std::uint8_t>{0xFF}));
}

TEST(ScriptLine, ReadsPauseAndResumeReading) {
    ScriptStep step;
    std::string error;
    ASSERT_TRUE(console::ParseScriptLine("pause-reading", kNow, step, error)) << error;
    EXPECT_EQ(step.kind, Kind::kPauseReading);
    ASSERT_TRUE(console::ParseScriptLine(" resume-reading ", kNow, step, error)) << error;
    EXPECT_EQ(step.kind, Kind::kResumeReading);
    EXPECT_FALSE(console::ParseScriptLine("pause-reading 5", kNow, step, error));
}

TEST(ScriptLine, SaysWhatIsWrong) {
    const std::pair<const char*, const char*> cases[] = {
        {"wait", "wait: write 'wait SECONDS'"},
        {"wait soon", "wait: write 'wait SECONDS'"},
        {"wait 1 2", "wait: write 'wait SECONDS'"},
        {"wait-for", "wait-for: write 'wait-for MESSAGE [SECONDS]'"},
        {"wait-for 79", "wait-for: the monitor sends no message '79'"},
        {"wait-for ExitMonitor", "wait-for: the monitor sends no message 'ExitMonitor'"},
        {"wait-for 20 later", "wait-for: 'later' is not a number of seconds"},
        {"StopAlarm stop=x", "StopAlarm: stop=x is not a number"},
        {"Nonsense", "unknown request 'Nonsense'"},
        {"raw", "raw: write 'raw HEX...'"},
        {"raw 0", "raw: write 'raw HEX...'"},
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
