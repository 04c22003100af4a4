// The console end to end in-process: its pipe, the real CCommIF as the monitor's end, and what it prints.

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <sstream>
#include <string>
#include <vector>

#include "base/module_path.h"
#include "base/text.h"
#include "plugin/plugin_console.h"
#include "plugin/time_text.h"
#include "unit/tools/console_test_host.h"

namespace {

using console_test::InProcessHost;
using Lines = std::vector<std::string>;

// Runs the console with a pipe of its own unless the arguments name one.
int RunConsole(std::vector<std::string> args, console::ConsoleHost& host, console_test::Run& run,
               const std::string& script = "") {
    if (std::find(args.begin(), args.end(), "--pipe") == args.end()) {
        args.insert(args.begin(), {"--pipe", base::Utf16ToUtf8(pipe_test::UniquePipeName())});
    }
    std::istringstream in(script);
    return console::RunPluginConsole(args, {in, run.out.stream, run.err.stream}, host);
}

std::future<int> RunAsync(const std::vector<std::string>& args, InProcessHost& host, console_test::Run& run,
                          const std::string& script = "") {
    return std::async(std::launch::async, [&, args, script] { return RunConsole(args, host, run, script); });
}

std::string Now() {
    return console::FormatTimeText(base::LocalNow());
}

// The lines of each direction in order, the time stamp checked and cut off ("YYYY-MM-DD HH:MM:SS.mmm ").
void Split(const console_test::Run& run, const std::string& before, Lines& in, Lines& out) {
    const std::string after = Now();
    for (const std::string& line : console_test::Lines(run.out.Text())) {
        const std::string time = line.substr(0, 23);
        EXPECT_TRUE(time >= before && time <= after && line[23] == ' ') << line;
        (line.compare(24, 2, "< ") == 0 ? in : out).push_back(line.substr(24));
    }
}

bool Has(const console_test::Capture& capture, const std::string& part) {
    return capture.Text().find(part) != std::string::npos;
}

TEST(PluginConsole, DrivesAScriptedConversationWithTheMonitor) {
    InProcessHost host;
    console_test::Run run;
    // A length field that says 10 for 9 bytes is dropped; a StopAlarm without its byte is answered 0; a
    // GetLocalUpReflux with a byte too many is taken (its length is not checked).
    const std::string script =
        "# a whole conversation; the start result is pushed as the monitor connects, so it comes first\n"
        "wait-for StartResponse\n"
        "SetAccelerateProcess names=GameClient.exe|b.exe sep=|\n"
        "wait-for SetAccelerateProcessResponse\n"
        "\n"
        "GetLocalDownReflux\n"
        "raw 0A000000 07000000 01\n"
        "raw 09 00 00 00 07 00 00 00 01\n"
        "raw 0A000000 15000000 0000\n"
        "StopAlarm stop=1\r\n"
        "wait-for 77\n";
    const std::string before = Now();
    auto done = RunAsync({"--launch", "monitor", "--script", "--echo", "--exit"}, host, run, script);
    ASSERT_TRUE(run.out.WaitFor("< StopAlarmResponse (8) result=1")) << run.out.Text() << run.err.Text();
    host.monitor->PushTotals(5, 6, 7, 8);
    ASSERT_EQ(done.get(), console::kExitOk) << run.err.Text();
    Lines in;
    Lines out;
    Split(run, before, in, out);
    EXPECT_EQ(in, (Lines{
                      "< StartResponse (2) result=1",
                      "< SetAccelerateProcessResponse (16) result=1",
                      "< GetLocalDownRefluxResponse (20) bytes=1 reserved=0",
                      "< StopAlarmResponse (8) result=0",
                      "< GetLocalUpRefluxResponse (22) bytes=1",
                      "< StopAlarmResponse (8) result=1",
                      "< PostLocalDownReflux (77) bytes=5",
                      "< PostLocalUpReflux (78) bytes=6",
                      "< PostAccelerateDownReflux (80) bytes=7",
                      "< PostAccelerateUpReflux (81) bytes=8",
                  }));
    EXPECT_EQ(out, (Lines{
                       "> SetAccelerateProcess (15) names=GameClient.exe|b.exe separator=|",
                       "> GetLocalDownReflux (19)",
                       "> id (0): bad frame, 9 bytes",
                       "> StopAlarm (7): malformed, 9 bytes",
                       "> GetLocalUpReflux (21)",
                       "> StopAlarm (7) stop=1",
                       "> ExitMonitor (37)",
                   }));
    EXPECT_EQ(host.program.TakeCalls(),
              (Lines{"SetAccelerateProcess(\"GameClient.exe|b.exe\", 20, \"|\", 1)", "GetReflux(0)",
                     "GetReflux(1)", "StopAlarm(1)", "RequestExit"}));
    EXPECT_EQ(host.launchedHost, u"Accelerator.exe");
    EXPECT_TRUE(Has(run.err, "the monitor ended with exit code 0")) << run.err.Text();
}

// (Each line's JSON itself is message_line_test's.)
TEST(PluginConsole, SendsCommandLineRequestsAndPrintsJsonLines) {
    InProcessHost host;
    console_test::Run run;
    std::istringstream none;
    // Without --pipe the name carries the console's pid.
    ASSERT_EQ(console::RunPluginConsole(
                  std::vector<std::string>{"--launch=monitor", "--host", "Acc.exe", "--json", "--echo",
                                           "--quiet", "--exit", "--", "GetProcessStartTimeByPId", "pid=9",
                                           "GetAccelerateUpReflux"},
                  {none, run.out.stream, run.err.stream}, host),
              console::kExitOk)
        << run.err.Text();
    EXPECT_EQ(host.launchedPipe, u"\\\\.\\pipe\\kvtmon-plugin-4242");
    EXPECT_EQ(host.launchedHost, u"Acc.exe");
    EXPECT_EQ(run.err.Text(), "");
    // Start result, two answers and three echoes, each a JSON line.
    const Lines lines = console_test::Lines(run.out.Text());
    ASSERT_EQ(lines.size(), 6u) << run.out.Text();
    for (const std::string& line : lines) {
        EXPECT_TRUE(line.starts_with("{\"time\":\"") && line.ends_with("}")) << line;
    }
    EXPECT_EQ(host.program.TakeCalls(),
              (Lines{"GetProcessStartTimeByPid(9)", "GetReflux(4)", "RequestExit"}));
}

TEST(PluginConsole, ListensUntilInterruptedThenEndsTheMonitor) {
    InProcessHost host;
    console_test::Run run;
    auto done =
        RunAsync({"--launch", "monitor", "--listen", "0", "--exit", "--", "GetAlarmState"}, host, run);
    ASSERT_TRUE(run.out.WaitFor("< GetAlarmStateResponse (70) state=1\n"))
        << run.out.Text() << run.err.Text();
    host.monitor->PushTotals(1, 2, 3, 4);
    ASSERT_TRUE(run.out.WaitFor("< PostAccelerateUpReflux (81) bytes=4\n")) << run.out.Text();
    ASSERT_EQ(done.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
    ASSERT_TRUE(host.Interrupt());
    EXPECT_EQ(done.get(), console::kExitOk) << run.err.Text();
    EXPECT_TRUE(Has(run.err, "the monitor ended with exit code 0")) << run.err.Text();
    EXPECT_FALSE(host.Interrupt()) << "the handler is removed at the end";
}

TEST(PluginConsole, AnswersEachCommandLineWithItsExitCodeAndText) {
    const std::u16string held = pipe_test::UniquePipeName();
    pipe_test::CallbackServer other(held);
    ASSERT_TRUE(other.created);
    struct Case {
        std::vector<std::string> args;
        std::string script;
        int code;
        std::string text;  // on either stream
        bool launches;
    };
    const std::string badScript = "GetLocalUpReflux\nGetProcessUpRefluxByPId pid=x\n";
    // One usage mistake of each kind; the messages themselves are console_options_test's and
    // request_line_test's. A mistake in the script shows when its line comes.
    const Case cases[] = {
        {{"--help"}, "", console::kExitOk, "Usage: kvtmon-plugin", false},
        {{"--list"},
         "",
         console::kExitOk,
         "  67  GetProcessUpRefluxBetweenTimeById pid=N from=TIME to=TIME  -> "
         "GetProcessUpRefluxBetweenTimeByIdResponse (67)\n",
         false},
        {{"--pipe", "pipe-x", "--launch", "monitor"},
         "",
         2,
         "pipe name must look like \\\\.\\pipe\\NAME",
         false},
        {{"--launch", "monitor", "--", "GetLocalDwnReflux"},
         "",
         2,
         "did you mean GetLocalDownReflux?",
         false},
        {{"--launch", "monitor", "--script"},
         badScript,
         2,
         "line 2: GetProcessUpRefluxByPId: pid=x is not a number",
         true},
        {{"--launch", "monitor", "--listen", "0.001"}, "", 0, "the monitor (pid 77) keeps running", true},
        {{"--connect-timeout", "0.2"}, "", 1, "no monitor connected after 0.2 s", false},
        {{"--launch", "ends-at-once"}, "", 1, "the monitor ended with exit code 7 before it connected", true},
        {{"--launch", "monitor", "--script"},
         "wait-for PostProcessListReflux 0.2\n",
         1,
         "no PostProcessListReflux (83) within 0.2 s (line 1)",
         true},
        {{"--pipe", base::Utf16ToUtf8(held), "--launch", "monitor"},
         "",
         1,
         "cannot create the pipe " + base::Utf16ToUtf8(held),
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        InProcessHost host;
        console_test::Run run;
        EXPECT_EQ(RunConsole(c.args, host, run, c.script), c.code);
        EXPECT_TRUE(Has(run.out, c.text) || Has(run.err, c.text)) << run.out.Text() << run.err.Text();
        EXPECT_EQ(host.launchedPipe.empty(), !c.launches);
    }
}

TEST(PluginConsole, ReportsAMonitorThatGoesUnaskedOrCannotStart) {
    InProcessHost host;
    console_test::Run run;
    auto done = RunAsync({"--launch", "monitor", "--script"}, host, run, "GetLocalUpReflux\nwait 20\n");
    ASSERT_TRUE(run.out.WaitFor("< GetLocalUpRefluxResponse")) << run.err.Text();
    host.monitor->Close();
    EXPECT_EQ(done.get(), console::kExitFailure);
    EXPECT_TRUE(
        Has(run.err, "the monitor disconnected while the console waited for the end of 'wait' on line 2"))
        << run.err.Text();
    console_test::Run missing;
    const std::string path = base::Utf16ToUtf8(base::ProgramPath(u"no-such-monitor"));
    EXPECT_EQ(RunConsole({"--launch", path}, *console::MakeSystemConsoleHost(), missing),
              console::kExitFailure);
    EXPECT_TRUE(Has(missing.err, "cannot start " + path)) << missing.err.Text();
}

}  // namespace
