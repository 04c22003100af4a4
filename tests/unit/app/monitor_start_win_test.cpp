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
#include "unit/ipc/pipe_test_util.h"
#include "unit/tools/console_test_host.h"

namespace {

std::string ReadTrafficLog() {
    std::string bytes;
    base::ReadWholeFile(base::ProgramPath(u"traffic.log"), bytes);
    return base::Utf16ToUtf8(base::GbkToUtf16(bytes));
}

TEST(MonitorStartUnderWine, ReportsTheFailedCaptureAndEndsWithCodeZero) {
    const auto host = console::MakeSystemConsoleHost();
    console_test::LineCapture out;
    console_test::LineCapture err;
    std::istringstream script("wait-for StartResponse\n");
    const std::string monitor = base::Utf16ToUtf8(base::ProgramPath(u"kvtmon.exe"));
    const std::vector<std::string> args = {"--pipe",   base::Utf16ToUtf8(pipe_test::UniquePipeName()),
                                           "--launch", monitor,
                                           "--host",   "GameBooster.exe",
                                           "--script", "--exit"};
    const int code = console::RunPluginConsole(args, {script, out.Stream(), err.Stream()}, *host);

    EXPECT_EQ(code, console::kExitOk) << err.Text();
    EXPECT_NE(out.Text().find("< StartResponse (2) result=0"), std::string::npos) << out.Text();
    EXPECT_NE(err.Text().find("the monitor ended with exit code 0"), std::string::npos) << err.Text();
    const std::string log = ReadTrafficLog();
    EXPECT_NE(log.find("InitNetwork failed"), std::string::npos) << log;
    EXPECT_NE(log.find("启动流量监控失败"), std::string::npos) << log;
    EXPECT_NE(log.find("销毁流量监控实例"), std::string::npos) << log;
}

}  // namespace
