// The console end to end in-process: its pipe, the fake monitor as the client, and what it prints.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <sstream>
#include <string>
#include <vector>

#include "base/module_path.h"
#include "base/text.h"
#include "ipc/named_pipe_server.h"
#include "plugin/plugin_console.h"
#include "plugin/time_text.h"
#include "unit/ipc/pipe_test_util.h"
#include "unit/tools/console_test_host.h"

namespace {

using console_test::InProcessHost;
using console_test::LineCapture;

struct ConsoleRun {
    LineCapture out;
    LineCapture err;
    int code = -1;
};

int RunConsole(const std::vector<std::string>& args, console::ConsoleHost& host, ConsoleRun& run,
               const std::string& script = "") {
    std::istringstream in(script);
    run.code = console::RunPluginConsole(args, {in, run.out.Stream(), run.err.Stream()}, host);
    return run.code;
}

std::string PipeArg() {
    return base::Utf16ToUtf8(pipe_test::UniquePipeName());
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A message line without its arrival time, which must be "YYYY-MM-DD HH:MM:SS.mmm " and lie between
// the two times given (the format sorts as text).
std::string WithoutTime(const std::string& line, const std::string& earliest, const std::string& latest) {
    static const std::string kShape = "0000-00-00 00:00:00.000 ";
    if (line.size() < kShape.size()) {
        return "(no time) " + line;
    }
    for (std::size_t i = 0; i < kShape.size(); ++i) {
        if (IsDigit(kShape[i]) ? !IsDigit(line[i]) : line[i] != kShape[i]) {
            return "(no time) " + line;
        }
    }
    const std::string time = line.substr(0, kShape.size() - 1);
    if (time < earliest || time > latest) {
        return "(time " + time + " out of " + earliest + " .. " + latest + ") " + line;
    }
    return line.substr(kShape.size());
}

std::vector<std::string> Bodies(const ConsoleRun& run, const std::string& earliest,
                                const std::string& latest) {
    std::vector<std::string> bodies;
    for (const std::string& line : run.out.Lines()) {
        bodies.push_back(WithoutTime(line, earliest, latest));
    }
    return bodies;
}

std::string Now() {
    return console::FormatTimeText(base::LocalNow());
}

TEST(PluginConsole, DrivesAScriptedConversationWithTheMonitor) {
    InProcessHost host;
    ConsoleRun run;
    const std::string script =
        "# a whole conversation\n"
        "SetAccelerateProcess names=GameClient.exe|b.exe sep=|\n"
        "wait-for SetAccelerateProcessResponse\n"
        "\n"
        "GetLocalDownReflux\n"
        "GetProcessDownRefluxByProcessName name=\"Game Client.exe\"\n"
        "GetProcessUpRefluxBetweenTimeById pid=7 from=2026-12-06T10:00:00 to=2026-12-06T11:00:00\n"
        "wait-for 77\n"
        "StopAlarm stop=1\r\n"
        "wait 0.05\n";
    const std::string before = Now();
    ASSERT_EQ(RunConsole({"--pipe", PipeArg(), "--launch", "fake", "--script", "--exit"}, host, run, script),
              console::kExitOk)
        << run.err.Text();
    const std::string after = Now();
    EXPECT_EQ(Bodies(run, before, after), (std::vector<std::string>{
                                              "< StartResponse (2) result=1",
                                              "< SetAccelerateProcessResponse (16) result=2",
                                              "< PostLocalDownReflux (77) bytes=1",
                                              "< GetLocalDownRefluxResponse (20) bytes=19000 reserved=0",
                                              "< PostLocalDownReflux (77) bytes=2",
                                              "< GetProcessDownRefluxByProcessNameResponse (40) bytes=1500",
                                              "< PostLocalDownReflux (77) bytes=3",
                                              "< GetProcessUpRefluxBetweenTimeByIdResponse (67) bytes=3600",
                                              "< PostLocalDownReflux (77) bytes=4",
                                              "< StopAlarmResponse (8) result=1",
                                              "< PostLocalDownReflux (77) bytes=5",
                                          }));
    EXPECT_EQ(host.launchedHost, u"Accelerator.exe");
    EXPECT_NE(run.err.Text().find("the monitor ended with exit code 0"), std::string::npos) << run.err.Text();
}

TEST(PluginConsole, SendsRawBytesAsTheyAre) {
    InProcessHost host;
    ConsoleRun run;
    // A length field that says 10 for 9 bytes is dropped; a StopAlarm without its byte is answered 0.
    const std::string script =
        "raw 0A000000 07000000 01\n"
        "raw 09 00 00 00 07 00 00 00 01\n"
        "wait-for StopAlarmResponse\n"
        "wait-for PostLocalDownReflux\n";
    ASSERT_EQ(RunConsole({"--pipe", PipeArg(), "--launch", "fake", "--script", "--echo", "--exit"}, host, run,
                         script),
              console::kExitOk)
        << run.err.Text();
    // What each side sent keeps its order; the start result may come before or after the first echo.
    std::vector<std::string> in;
    std::vector<std::string> out;
    for (const std::string& body : Bodies(run, "", Now())) {
        (body.rfind("< ", 0) == 0 ? in : out).push_back(body);
    }
    EXPECT_EQ(in, (std::vector<std::string>{
                      "< StartResponse (2) result=1",
                      "< StopAlarmResponse (8) result=0",
                      "< PostLocalDownReflux (77) bytes=1",
                  }));
    EXPECT_EQ(out, (std::vector<std::string>{
                       "> id (0): bad frame, 9 bytes",
                       "> StopAlarm (7): malformed, 9 bytes",
                       "> ExitMonitor (37)",
                   }));
}

TEST(PluginConsole, SendsCommandLineRequestsAndPrintsJsonLines) {
    InProcessHost host;
    ConsoleRun run;
    const std::string before = Now();
    ASSERT_EQ(RunConsole({"--launch=fake", "--host", "Acc.exe", "--json", "--echo", "--quiet", "--exit", "--",
                          "GetProcessStartTimeByPId", "pid=9", "GetAccelerateUpReflux"},
                         host, run),
              console::kExitOk)
        << run.err.Text();
    const std::string after = Now();
    // The default pipe name carries the console's pid, and the launched monitor is told both names.
    EXPECT_EQ(host.launchedPipe, u"\\\\.\\pipe\\kvtmon-plugin-4242");
    EXPECT_EQ(host.launchedHost, u"Acc.exe");
    EXPECT_EQ(run.err.Text(), "");
    // What the monitor sent keeps its order, and so does what the console sent; an answer comes after
    // the echo of its request.
    std::vector<std::string> in;
    std::vector<std::string> out;
    std::vector<std::string> all;
    for (const std::string& line : run.out.Lines()) {
        // {"time":"2026-12-06 10:00:00.123","dir":...
        const std::string prefix = "{\"time\":\"";
        ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
        const std::string time = line.substr(prefix.size(), 23);
        EXPECT_TRUE(time >= before && time <= after) << time;
        const std::string body = line.substr(prefix.size() + 25);
        all.push_back(body);
        (body.rfind(R"("dir":"in")", 0) == 0 ? in : out).push_back(body);
    }
    EXPECT_EQ(in,
              (std::vector<std::string>{
                  R"("dir":"in","id":2,"name":"StartResponse","status":"ok","fields":{"result":1}})",
                  R"("dir":"in","id":50,"name":"GetProcessStartTimeByPIdResponse","status":"ok",)"
                  R"("fields":{"result":1,"time":"2026-12-06 10:00:00.000"}})",
                  R"("dir":"in","id":77,"name":"PostLocalDownReflux","status":"ok","fields":{"bytes":1}})",
                  R"("dir":"in","id":28,"name":"GetAccelerateUpRefluxResponse","status":"ok",)"
                  R"("fields":{"bytes":27000}})",
                  R"("dir":"in","id":77,"name":"PostLocalDownReflux","status":"ok","fields":{"bytes":2}})",
              }));
    EXPECT_EQ(
        out, (std::vector<std::string>{
                 R"("dir":"out","id":49,"name":"GetProcessStartTimeByPId","status":"ok","fields":{"pid":9}})",
                 R"("dir":"out","id":27,"name":"GetAccelerateUpReflux","status":"ok","fields":{}})",
                 R"("dir":"out","id":37,"name":"ExitMonitor","status":"ok","fields":{}})",
             }));
    const auto at = [&](const std::string& body) {
        return std::find(all.begin(), all.end(), body) - all.begin();
    };
    EXPECT_LT(at(out[0]), at(in[1]));
    EXPECT_LT(at(out[1]), at(in[3]));
}

TEST(PluginConsole, ListensUntilInterruptedThenEndsTheMonitor) {
    InProcessHost host;
    ConsoleRun run;
    auto done = std::async(std::launch::async, [&] {
        return RunConsole(
            {"--pipe", PipeArg(), "--launch", "fake", "--listen", "0", "--exit", "--", "GetAlarmState"}, host,
            run);
    });
    ASSERT_TRUE(run.out.WaitForLineWith("< PostLocalDownReflux (77) bytes=1"));
    ASSERT_EQ(done.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout);
    ASSERT_TRUE(host.Interrupt());
    ASSERT_EQ(done.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(done.get(), console::kExitOk) << run.err.Text();
    EXPECT_NE(run.out.Text().find("< GetAlarmStateResponse (70) state=1\n"), std::string::npos)
        << run.out.Text();
    EXPECT_NE(run.err.Text().find("the monitor ended with exit code 0"), std::string::npos) << run.err.Text();
    EXPECT_FALSE(host.Interrupt()) << "the handler is removed at the end";
}

TEST(PluginConsole, ListensForAGivenTimeAndLeavesALaunchedMonitorRunning) {
    InProcessHost host;
    ConsoleRun run;
    EXPECT_EQ(RunConsole({"--pipe", PipeArg(), "--launch", "fake", "--listen", "0.1", "--", "PauseMonitor"},
                         host, run),
              console::kExitOk);
    EXPECT_NE(run.err.Text().find("the monitor (pid 77) keeps running"), std::string::npos) << run.err.Text();
    EXPECT_NE(run.out.Text().find("< PostLocalDownReflux (77) bytes=1\n"), std::string::npos)
        << run.out.Text();
}

TEST(PluginConsole, ReportsRuntimeFailures) {
    struct Case {
        const char* what;
        std::vector<std::string> args;
        std::string script;
        std::string error;
    };
    const Case cases[] = {
        {"nobody connects", {"--connect-timeout", "0.2"}, "", "no monitor connected after 0.2 s"},
        {"the monitor cannot start", {"--launch", "nothing-there"}, "", "cannot start that"},
        {"the monitor ends at once",
         {"--launch", "ends-at-once"},
         "",
         "the monitor ended with exit code 7 before it connected"},
        {"a message that never comes",
         {"--launch", "fake", "--script"},
         "wait-for PostProcessListReflux 0.2\n",
         "no PostProcessListReflux (83) within 0.2 s (line 1)"},
        {"the monitor goes unasked",
         {"--launch", "fake-closing", "--script"},
         "GetLocalUpReflux\nwait 20\n",
         "the monitor disconnected while the console waited for the end of 'wait' on line 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InProcessHost host;
        ConsoleRun run;
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--pipe", PipeArg()});
        EXPECT_EQ(RunConsole(args, host, run, c.script), console::kExitFailure);
        EXPECT_NE(run.err.Text().find(c.error), std::string::npos) << run.err.Text();
    }
}

TEST(PluginConsole, FailsWhenAnotherServerHoldsThePipe) {
    const std::u16string name = pipe_test::UniquePipeName();
    pipe_test::CallbackServer other(name);
    ASSERT_TRUE(other.created);
    InProcessHost host;
    ConsoleRun run;
    EXPECT_EQ(RunConsole({"--pipe", base::Utf16ToUtf8(name), "--launch", "fake"}, host, run),
              console::kExitFailure);
    EXPECT_NE(run.err.Text().find("cannot create the pipe " + base::Utf16ToUtf8(name)), std::string::npos)
        << run.err.Text();
    EXPECT_TRUE(host.launchedPipe.empty()) << "nothing is launched without a pipe";
}

TEST(PluginConsole, RejectsUsageMistakes) {
    struct Case {
        std::vector<std::string> args;
        std::string error;
        bool launches;  // a mistake in the script shows when its line comes
    };
    // One of each kind; the messages themselves are console_options_test's and request_line_test's.
    const Case cases[] = {
        {{"--pipe", "pipe-x", "--launch", "fake"}, "pipe name must look like \\\\.\\pipe\\NAME", false},
        {{"--launch", "fake", "--", "GetLocalDwnReflux"}, "did you mean GetLocalDownReflux?", false},
        {{"--launch", "fake", "--script"}, "line 2: GetProcessUpRefluxByPId: pid=x is not a number", true},
    };
    for (const Case& c : cases) {
        InProcessHost host;
        ConsoleRun run;
        std::vector<std::string> args = c.args;
        if (args[0] != "--pipe") {
            args.insert(args.begin(), {"--pipe", PipeArg()});
        }
        EXPECT_EQ(RunConsole(args, host, run, "GetLocalUpReflux\nGetProcessUpRefluxByPId pid=x\n"),
                  console::kExitUsage);
        EXPECT_NE(run.err.Text().find(c.error), std::string::npos) << run.err.Text();
        EXPECT_EQ(host.launchedPipe.empty(), !c.launches) << c.error;
    }
}

// Requests written faster than the monitor answers them fill both ends' queues: the console must keep
// taking answers while a write of its own waits, or the two ends wait for each other for ever.
TEST(PluginConsole, AFloodOfEchoedRequestsIsAnsweredInFull) {
    constexpr int kRequests = 10000;
    InProcessHost host;
    ConsoleRun run;
    std::string script;
    for (int i = 0; i < kRequests; ++i) {
        script += "GetLocalDownReflux\n";
    }
    auto done = std::async(std::launch::async, [&] {
        return RunConsole(
            {"--pipe", PipeArg(), "--launch", "fake", "--script", "--echo", "--exit", "--timeout", "60"},
            host, run, script);
    });
    if (done.wait_for(std::chrono::seconds(90)) != std::future_status::ready) {
        // A deadlocked console never returns: nothing could end this test any more.
        ADD_FAILURE() << "the console is stuck after " << run.out.Lines().size() << " lines";
        std::fflush(nullptr);
        std::_Exit(1);
    }
    ASSERT_EQ(done.get(), console::kExitOk) << run.err.Text();
    int echoes = 0;
    int answers = 0;
    for (const std::string& line : run.out.Lines()) {
        echoes += line.find("> GetLocalDownReflux (19)") != std::string::npos;
        answers += line.find("< GetLocalDownRefluxResponse (20) bytes=19000") != std::string::npos;
    }
    EXPECT_EQ(echoes, kRequests);
    EXPECT_EQ(answers, kRequests);
}

TEST(PluginConsole, PrintsHelpAndTheRequestList) {
    InProcessHost host;
    ConsoleRun help;
    EXPECT_EQ(RunConsole({"--help"}, host, help), console::kExitOk);
    EXPECT_NE(help.out.Text().find("Usage: kvtmon-plugin"), std::string::npos);
    ConsoleRun version;
    EXPECT_EQ(RunConsole({"--version"}, host, version), console::kExitOk);
    EXPECT_EQ(version.out.Text(), "kvtmon-plugin " KVT_VERSION "\n");
    ConsoleRun list;
    EXPECT_EQ(RunConsole({"--list"}, host, list), console::kExitOk);
    EXPECT_NE(list.out.Text().find("  67  GetProcessUpRefluxBetweenTimeById pid=N from=TIME to=TIME  -> "
                                   "GetProcessUpRefluxBetweenTimeByIdResponse (67)\n"),
              std::string::npos)
        << list.out.Text();
}

// The system's host: the fake monitor as a program of its own, started with "HOST PIPE".
TEST(PluginConsole, LaunchesAMonitorProgramAndEndsIt) {
    const auto host = console::MakeSystemConsoleHost();
    ConsoleRun run;
    const std::string monitor = base::Utf16ToUtf8(base::ProgramPath(u"" KVT_FAKE_MONITOR_FILE));
    ASSERT_EQ(RunConsole({"--pipe", PipeArg(), "--launch", monitor, "--host", "Tester.exe", "--exit", "--",
                          "GetLocalTotalReflux"},
                         *host, run),
              console::kExitOk)
        << run.err.Text();
    EXPECT_NE(run.out.Text().find("< GetLocalTotalRefluxResponse (24) bytes=23000\n"), std::string::npos)
        << run.out.Text();
    EXPECT_NE(run.err.Text().find("the monitor ended with exit code 0"), std::string::npos) << run.err.Text();

    ConsoleRun missing;
    EXPECT_EQ(RunConsole({"--pipe", PipeArg(), "--launch", monitor + ".missing"}, *host, missing),
              console::kExitFailure);
    EXPECT_NE(missing.err.Text().find("cannot start " + monitor + ".missing"), std::string::npos)
        << missing.err.Text();
}

}  // namespace
