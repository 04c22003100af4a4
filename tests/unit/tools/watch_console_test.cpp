// kvtmon-plugin --watch in-process against the real CCommIF: the view as the pushes come, Ctrl-C, and a
// monitor that cannot start, shown with the end of its traffic log.

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <sstream>
#include <string>
#include <vector>

#include "base/module_path.h"
#include "base/text.h"
#include "plugin/plugin_console.h"
#include "support/temp_dir.h"
#include "unit/tools/console_test_host.h"

namespace {

using console_test::InProcessHost;

int RunWatch(const std::string& launch, InProcessHost& host, console_test::Run& run) {
    std::istringstream in;
    const std::vector<std::string> args = {"--pipe",         base::Utf16ToUtf8(pipe_test::UniquePipeName()),
                                           "--launch",       launch,
                                           "--watch",        "GameClient.exe",
                                           "--exit-timeout", "5"};
    return console::RunPluginConsole(args, {in, run.out.stream, run.err.stream}, host);
}

TEST(WatchConsole, PrintsTheTotalsUntilCtrlCThenEndsTheMonitor) {
    InProcessHost host;
    console_test::Run run;
    auto done = std::async(std::launch::async, [&] { return RunWatch("monitor", host, run); });
    ASSERT_TRUE(run.out.WaitFor("accelerated process: GameClient.exe\n")) << run.out.Text() << run.err.Text();
    // (The view's lines are watch_view_test's.)
    host.monitor->PushTotals(1000, 2000, 100, 200);
    ASSERT_TRUE(run.out.WaitFor("accelerated  down      800b at -")) << run.out.Text();
    ASSERT_EQ(done.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
    ASSERT_TRUE(host.Interrupt());
    EXPECT_EQ(done.get(), console::kExitOk) << run.err.Text();

    EXPECT_EQ(console_test::Lines(run.out.Text()).back(), "the monitor ended with exit code 0")
        << run.out.Text();
    EXPECT_NE(run.err.Text().find("ExitMonitor sent"), std::string::npos) << run.err.Text();
    // The unattributed total is asked for once a second.
    std::vector<std::string> calls = host.program.TakeCalls();
    calls.erase(std::unique(calls.begin(), calls.end()), calls.end());
    EXPECT_EQ(calls, (std::vector<std::string>{"SetAccelerateProcess(\"GameClient.exe;\", 15, \";\", 1)",
                                               "GetReflux(6)", "RequestExit"}));
    EXPECT_FALSE(host.Interrupt()) << "the handler is removed at the end";
}

TEST(WatchConsole, AMonitorThatCannotStartIsShownWithTheEndOfItsLog) {
    struct Case {
        const char* program;
        bool withLog;
        const char* why;
    };
    const Case cases[] = {
        {"start-0", true, "it reported start result 0 and ended with exit code 0"},
        {"ends-at-once", false, "it ended with exit code 7 before it connected"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        testing_support::TempDir dir;
        const std::u16string directory = base::Utf8ToUtf16(dir.path().string()) + base::kPathSeparator;
        if (c.withLog) {
            testing_support::WriteFileBytes(
                dir.File("traffic.log"),
                base::Utf16ToGbk(
                    u"[2026-12-06 10:00:00]打开日志\n[2026-12-06 10:00:00]无法抓包，error no = 1 \n"));
        }
        InProcessHost host;
        console_test::Run run;
        EXPECT_EQ(RunWatch(base::Utf16ToUtf8(directory) + c.program, host, run), console::kExitFailure);
        const std::string err = run.err.Text();
        EXPECT_NE(err.find(std::string("kvtmon-plugin: the monitor could not start: ") + c.why),
                  std::string::npos)
            << err;
        const std::string log = base::Utf16ToUtf8(directory + u"traffic.log");
        EXPECT_NE(err.find(c.withLog ? "kvtmon-plugin: the end of " + log +
                                           ":\n    [2026-12-06 10:00:00]打开日志\n    "
                                           "[2026-12-06 10:00:00]无法抓包，error no = 1 \n"
                                     : "kvtmon-plugin: no traffic log at " + log),
                  std::string::npos)
            << err;
        EXPECT_EQ(run.out.Text(), "");
    }
}

}  // namespace
