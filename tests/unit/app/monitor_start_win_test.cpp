// The Windows monitor as the accelerator starts it, under Wine: Wine has no raw IPv4 sockets, so the
// capture cannot open. The monitor still tells the plugin how its start went (0), writes why to its
// traffic log and ends with exit code 0.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "base/file.h"
#include "base/module_path.h"
#include "base/text.h"
#include "plugin/plugin_console.h"
#include "unit/tools/console_test_host.h"

namespace {

TEST(MonitorStartUnderWine, ReportsTheFailedCaptureAndEndsWithCodeZero) {
    console_test::Capture out;
    console_test::Capture err;
    std::istringstream script("wait-for StartResponse\n");
    const std::vector<std::string> args = {"--pipe",   base::Utf16ToUtf8(pipe_test::UniquePipeName()),
                                           "--launch", base::Utf16ToUtf8(base::ProgramPath(u"kvtmon.exe")),
                                           "--host",   "GameBooster.exe",
                                           "--script", "--exit"};
    EXPECT_EQ(
        console::RunPluginConsole(args, {script, out.stream, err.stream}, *console::MakeSystemConsoleHost()),
        console::kExitOk)
        << err.Text();
    EXPECT_NE(out.Text().find("< StartResponse (2) result=0"), std::string::npos) << out.Text();
    EXPECT_NE(err.Text().find("the monitor ended with exit code 0"), std::string::npos) << err.Text();
    std::string log;
    base::ReadWholeFile(base::ProgramPath(u"traffic.log"), log);
    log = base::Utf16ToUtf8(base::GbkToUtf16(log));
    for (const char* part : {"InitNetwork failed", "启动流量监控失败", "销毁流量监控实例"}) {
        EXPECT_NE(log.find(part), std::string::npos) << log;
    }
}

}  // namespace
