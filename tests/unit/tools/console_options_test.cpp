#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "plugin/console_host.h"
#include "plugin/console_options.h"

namespace {

using console::ConsoleOptions;

// The words of a command line written with single blanks.
std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

TEST(ConsoleOptions, ReadsEveryOptionInBothSpellings) {
    ConsoleOptions o;
    std::string error;
    ASSERT_TRUE(console::ParseConsoleOptions(
        Words("--pipe \\\\.\\pipe\\acc1 --launch=/opt/kvtmon --host 游戏加速器.exe --connect-timeout=2.5 "
              "--timeout 3 --exit-timeout 4 --script --listen=0 --exit --json --echo -q -- StopAlarm stop=1 "
              "GetLocalUpReflux"),
        o, error))
        << error;
    EXPECT_EQ(o.pipeName, u"\\\\.\\pipe\\acc1");
    EXPECT_EQ(o.launchPath, u"/opt/kvtmon");
    EXPECT_EQ(o.hostName, u"游戏加速器.exe");
    EXPECT_EQ(o.connectTimeout.count(), 2500);
    EXPECT_EQ(o.timeout.count(), 3000);
    EXPECT_EQ(o.exitTimeout.count(), 4000);
    EXPECT_TRUE(o.script && o.listen && o.exit && o.echo && o.quiet);
    EXPECT_EQ(o.listenFor.count(), 0);
    EXPECT_EQ(o.format, console::OutputFormat::kJson);
    EXPECT_EQ(o.requests,
              (std::vector<std::vector<std::string>>{{"StopAlarm", "stop=1"}, {"GetLocalUpReflux"}}));
    ConsoleOptions watch;
    ASSERT_TRUE(
        console::ParseConsoleOptions(Words("--launch ./kvtmon --watch=游戏.exe;b.exe --exit"), watch, error));
    EXPECT_EQ(watch.watchNames, u"游戏.exe;b.exe");
}

TEST(ConsoleOptions, RefusesMistakesWithAnExplanation) {
    const std::pair<const char*, const char*> cases[] = {
        {"--frob", "unknown option '--frob'"},
        {"GetLocalUpReflux", "unexpected 'GetLocalUpReflux': requests go after --"},
        {"--pipe", "--pipe needs a name like \\\\.\\pipe\\NAME"},
        {"--pipe acc1", "pipe name must look like \\\\.\\pipe\\NAME"},
        {"--host Acc.exe", "--host is the name the launched monitor is given: it needs --launch"},
        {"--launch x --host C:\\Acc.exe", "--host needs an executable file name without a backslash"},
        {"--timeout soon", "--timeout needs a number of seconds, not 'soon'"},
        {"--json=1", "--json takes no value"},
        {"-- stop=1", "'stop=1' comes before any request name"},
        {"--watch", "--watch needs the accelerated process's name"},
        {"--watch ;a.exe;", "--watch needs the accelerated process's name"},
        {"--watch a.exe --script", "--watch prints a view of its own"},
        {"--watch a.exe -- GetLocalUpReflux", "--watch prints a view of its own"},
    };
    for (const auto& [args, expected] : cases) {
        ConsoleOptions o;
        std::string error;
        EXPECT_FALSE(console::ParseConsoleOptions(Words(args), o, error)) << args;
        EXPECT_NE(error.find(expected), std::string::npos) << args << " gave: " << error;
    }
}

TEST(ConsoleOptions, AcceptsOnlyPipeNamesBothBuildsCanServe) {
    for (const char16_t* good : {u"\\\\.\\pipe\\x", u"\\\\.\\PIPE\\kvt-1", u"\\\\.\\Pipe\\名字"}) {
        std::string error;
        EXPECT_TRUE(console::CheckPipeName(good, error)) << error;
    }
    for (const char16_t* bad :
         {u"", u"\\\\.\\pipe\\", u"\\\\.\\pipe\\a\\b", u"\\\\.\\pipe\\a/b", u"//./pipe/x",
          u"\\\\server\\pipe\\x", u"\\\\.\\pipe\\..", u"\\\\.\\pipe\\.", u"pipe\\x"}) {
        std::string error;
        EXPECT_FALSE(console::CheckPipeName(bad, error));
        EXPECT_EQ(error.rfind("pipe name must look like \\\\.\\pipe\\NAME", 0), 0u) << error;
    }
    EXPECT_EQ(console::MonitorCommandLine(u"C:\\Program Files\\kvt\\kvtmon.exe", u"Accelerator.exe",
                                          u"\\\\.\\pipe\\acc1"),
              u"\"C:\\Program Files\\kvt\\kvtmon.exe\" Accelerator.exe \\\\.\\pipe\\acc1");
}

}  // namespace
