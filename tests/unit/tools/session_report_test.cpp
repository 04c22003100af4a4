// The session report: what a recorded session's pushes add up to, as CSV and JSON; the report directory
// refused before a session; the files written at its end.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "ipc/command_ids.h"
#include "plugin/plugin_console.h"
#include "plugin/report_files.h"
#include "plugin/session_report.h"
#include "support/temp_dir.h"
#include "unit/tools/console_test_host.h"

namespace {

using console::SessionReport;

// 10:00:00 and the given seconds later, the same day.
base::SystemTime At(int seconds) {
    const auto s = static_cast<std::uint16_t>(seconds);
    return {2026, 12, 1, 7, 10, static_cast<std::uint16_t>(s / 60), static_cast<std::uint16_t>(s % 60), 0};
}

void Totals(SessionReport& report, int second, std::uint64_t localDown, std::uint64_t localUp,
            std::uint64_t accDown, std::uint64_t accUp) {
    const std::uint32_t ids[] = {ipc::cmd::kPostLocalDownReflux, ipc::cmd::kPostLocalUpReflux,
                                 ipc::cmd::kPostAccelerateDownReflux, ipc::cmd::kPostAccelerateUpReflux};
    const std::uint64_t bytes[] = {localDown, localUp, accDown, accUp};
    for (int i = 0; i < 4; ++i) {
        report.OnMessage({ipc::ParseStatus::kOk, ids[i], ipc::BytesAnswer{bytes[i]}}, second * 1000LL,
                         At(second));
    }
}

struct Listed {
    const char16_t* name;
    std::uint32_t pid;
    std::uint64_t up;
    std::uint64_t down;
    std::uint32_t state;
};

void ProcessList(SessionReport& report, int second, const std::vector<Listed>& processes) {
    for (std::uint32_t i = 0; i < processes.size(); ++i) {
        const Listed& p = processes[i];
        // sequence, index, state, reserved, port count, pid, bytes up and down, start, exit, name, path
        const ipc::ProcessListEntry e{i == 0 ? 1u : 2u, i,     p.state, 0,      0,  p.pid, p.up,
                                      p.down,           At(0), {},      p.name, u""};
        report.OnMessage({ipc::ParseStatus::kOk, ipc::cmd::kPostProcessListReflux, e}, second * 1000LL,
                         At(second));
    }
}

// Three lists a minute apart: a name with two pids (one gone from the last list), a process that exits.
SessionReport RecordedSession() {
    SessionReport report;
    Totals(report, 0, 1000, 500, 0, 0);
    Totals(report, 1, 3000, 1500, 100, 50);
    ProcessList(report, 60,
                {{u"game.exe", 10, 1000, 5000, 2},
                 {u"浏览器.exe", 20, 100, 200, 2},
                 {u"浏览器.exe", 21, 0, 0, 2},
                 {u"old,\"x\".exe", 30, 10, 10, 2}});
    ProcessList(report, 120,
                {{u"game.exe", 10, 61000, 125000, 2},
                 {u"浏览器.exe", 20, 700, 800, 2},
                 {u"浏览器.exe", 21, 60, 1200, 2},
                 {u"old,\"x\".exe", 30, 10, 10, 1}});
    const ipc::AlarmRecordPush alarm{At(150), 20, 1, 700, 800, 4000, 4500, u"浏览器.exe"};
    report.OnMessage({ipc::ParseStatus::kOk, ipc::cmd::kPostAlarmRecord, alarm}, 150000, At(150));
    ProcessList(report, 180, {{u"game.exe", 10, 91000, 245000, 2}, {u"浏览器.exe", 20, 1300, 2000, 2}});
    return report;
}

TEST(SessionReport, CsvHasARowPerNameAndTheTotals) {
    EXPECT_EQ(RenderReportCsv(RecordedSession()),
              "name,pids,first_seen,last_seen,bytes_up,bytes_down,peak_up_bps,peak_down_bps,exited,alarms\n"
              "game.exe,10,2026-12-07 10:01:00.000,2026-12-07 10:03:00.000,91000,245000,1000,2000,no,0\n"
              "浏览器.exe,20 21,2026-12-07 10:01:00.000,2026-12-07 10:03:00.000,1360,3200,11,30,no,1\n"
              "\"old,\"\"x\"\".exe\",30,2026-12-07 10:01:00.000,2026-12-07 10:02:00.000,10,10,0,0,yes,0\n"
              "\n"
              "total,bytes_up,bytes_down,peak_up_bps,peak_down_bps\n"
              "machine,1500,3000,1000,2000\n"
              "accelerated,50,100,50,100\n");
}

TEST(SessionReport, JsonHoldsTheSameFigures) {
    const std::string json = RenderReportJson(RecordedSession());
    EXPECT_NE(json.find("\"first_message\": \"2026-12-07 10:00:00.000\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"last_message\": \"2026-12-07 10:03:00.000\""), std::string::npos) << json;
    EXPECT_NE(
        json.find("{\"name\":\"浏览器.exe\",\"pids\":[20,21],\"first_seen\":\"2026-12-07 10:01:00.000\","
                  "\"last_seen\":\"2026-12-07 10:03:00.000\",\"bytes_up\":1360,\"bytes_down\":3200,"
                  "\"peak_up_bps\":11,\"peak_down_bps\":30,\"exited\":false}"),
        std::string::npos)
        << json;
    EXPECT_NE(json.find("{\"name\":\"old,\\\"x\\\".exe\",\"pids\":[30]"), std::string::npos) << json;
    EXPECT_NE(json.find("\"exited\":true}"), std::string::npos) << json;
    EXPECT_NE(
        json.find(
            "\"alarm_count\": 1,\n  \"alarms\": [\n    {\"time\":\"2026-12-07 10:02:30.000\",\"pid\":20,"
            "\"name\":\"浏览器.exe\",\"bytes_up\":700,\"bytes_down\":800,\"machine\":true,"
            "\"non_accelerated_total\":4000,\"local_total\":4500}\n  ],"),
        std::string::npos)
        << json;
    EXPECT_NE(
        json.find("\"totals\": {\"machine\": {\"bytes_up\":1500,\"bytes_down\":3000,\"peak_up_bps\":1000,"
                  "\"peak_down_bps\":2000}, \"accelerated\": {\"bytes_up\":50,\"bytes_down\":100,"
                  "\"peak_up_bps\":50,\"peak_down_bps\":100}}"),
        std::string::npos)
        << json;
}

TEST(SessionReport, MissingOrFileDirectoryIsRefusedBeforeTheSession) {
    testing_support::TempDir dir;
    const std::u16string missing = (dir.path() / "missing").u16string();
    std::string error;
    EXPECT_FALSE(console::CheckReportDir(missing, error));
    EXPECT_NE(error.find((dir.path() / "missing").string() + "' does not exist"), std::string::npos) << error;
    testing_support::WriteFileBytes(dir.File("plain"), "x");
    EXPECT_FALSE(console::CheckReportDir(dir.File("plain").u16string(), error));
    EXPECT_NE(error.find("is not a directory"), std::string::npos) << error;

    // The console says so and ends before it makes the pipe or starts a monitor.
    console_test::InProcessHost host;
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    const std::vector<std::string> args = {"--launch", "monitor",  "--watch",
                                           "game.exe", "--report", (dir.path() / "missing").string()};
    EXPECT_EQ(console::RunPluginConsole(args, {in, out, err}, host), console::kExitFailure);
    EXPECT_NE(err.str().find("does not exist"), std::string::npos) << err.str();
    EXPECT_TRUE(out.str().empty());
    EXPECT_TRUE(host.launchedPipe.empty()) << "a monitor was started";
}

TEST(SessionReport, FilesAreWrittenAndTheChartWhenGnuplotIsThere) {
    testing_support::TempDir dir;
    const console::ReportOutcome outcome =
        console::WriteSessionReport(RecordedSession(), dir.path().u16string());
    EXPECT_TRUE(outcome.errors.empty()) << outcome.errors.front();
    EXPECT_EQ(testing_support::ReadFileBytes(dir.File("report.csv")), RenderReportCsv(RecordedSession()));
    EXPECT_TRUE(std::filesystem::exists(dir.File("report.json")));
    for (const std::string& note : outcome.notes) {
        if (note.find("gnuplot was not found") != std::string::npos) {
            GTEST_SKIP() << note;
        }
    }
    EXPECT_EQ(testing_support::ReadFileBytes(dir.File("rates.png")).substr(0, 4), "\x89PNG");
}

}  // namespace
