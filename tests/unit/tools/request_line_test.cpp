#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ipc/message_fields.h"
#include "ipc/request_builder.h"
#include "ipc/request_parser.h"
#include "plugin/message_line.h"
#include "plugin/request_line.h"

namespace {

using console::RequestCall;

const base::SystemTime kNow{2026, 12, 0, 6, 10, 30, 15, 250};

bool ParseLine(const std::string& line, RequestCall& call, std::string& error) {
    std::vector<std::string> words;
    return console::SplitWords(line, words, error) && console::ParseRequestWords(words, kNow, call, error);
}

// The request as the console would echo it, without the time.
std::string Shown(const std::vector<std::uint8_t>& message) {
    const std::string line =
        console::FormatMessageLine(ipc::DescribeRequest(message), message.size(), kNow,
                                   console::Direction::kSent, console::OutputFormat::kText);
    return line.substr(std::string("2026-12-06 10:30:15.250 > ").size());
}

// A valid line of each argument layout and spelling, and the fields the monitor decodes from what it
// encodes to.
TEST(RequestLine, EachLayoutParsesAndSurvivesTheWire) {
    const std::pair<const char*, const char*> cases[] = {
        {"Start data=0102ff", "Start (1) data=0102ff"},
        {"resumemonitor", "ResumeMonitor (5)"},
        {"StopAlarm stop=1", "StopAlarm (7) stop=1"},
        {"ShowBlackListDlg", "ShowBlackListDlg (9) value=0"},
        {"ShowSuspensionDlg value=0x10", "ShowSuspensionDlg (13) value=16"},
        {"SetAccelerateProcess names=GameClient.exe|b.exe sep=|",
         "SetAccelerateProcess (15) names=GameClient.exe|b.exe separator=|"},
        {"SetUnclearProcessName names=\"a b.exe;游戏.exe\" separator=;",
         "SetUnclearProcessName (17) names=\"a b.exe;游戏.exe\" separator=;"},
        {"31", "(no name) (31)"},
        {"GetProcessDownRefluxByPId pid=4294967295", "GetProcessDownRefluxByPId (41) pid=4294967295"},
        {"GetProcessStartTimeByProcessName name=foo.exe",
         "GetProcessStartTimeByProcessName (47) name=foo.exe"},
        {"GetProcessDownRefluxBetweenTimeByName name=x.exe from=2026-12-06T10:00:00 to=now",
         "GetProcessDownRefluxBetweenTimeByName (61) name=x.exe from=2026-12-06 10:00:00.000 "
         "to=2026-12-06 10:30:15.250"},
        {"GetProcessDownRefluxBetweenTimeById pid=5 from=\"2026-12-06 09:00\" to=now-1h",
         "GetProcessDownRefluxBetweenTimeById (63) pid=5 from=2026-12-06 09:00:00.000 to=2026-12-06 "
         "09:30:15.250"},
        {"GetProcessUpRefluxBetweenTimeById pid=6 from=now-1d to=now+90",
         "GetProcessUpRefluxBetweenTimeById (67) pid=6 from=2026-12-05 10:30:15.250 to=2026-12-06 "
         "10:31:45.250"},
        {"SetAccelerateGameInfo gameId=12 name=\"Game One\" info=logo",
         "SetAccelerateGameInfo (75) gameId=12 name=\"Game One\" info=logo"},
    };
    for (const auto& [line, shown] : cases) {
        SCOPED_TRACE(line);
        RequestCall call;
        std::string error;
        ASSERT_TRUE(ParseLine(line, call, error)) << error;
        const std::vector<std::uint8_t> message = ipc::EncodeRequest(call.info->id, call.args);
        const ipc::ParsedRequest parsed = ipc::ParseRequest(message);
        ASSERT_TRUE(parsed.Ok());
        EXPECT_EQ(parsed.id, call.info->id);
        EXPECT_TRUE(parsed.args == call.args);
        EXPECT_EQ(Shown(message), shown);
    }
}

TEST(RequestLine, SplitsWordsAtBlanksOutsideQuotes) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"  a\tb  c ", {"a", "b", "c"}},
        {"name=\"My Game.exe\" x", {"name=My Game.exe", "x"}},
        {"\"a \"\"quoted\"\" word\"", {"a \"quoted\" word"}},
        {"path=C:\\Games\\a.exe", {"path=C:\\Games\\a.exe"}},
        {"", {}},
    };
    for (const auto& [line, expected] : cases) {
        std::vector<std::string> words;
        std::string error;
        EXPECT_TRUE(console::SplitWords(line, words, error)) << line;
        EXPECT_EQ(words, expected) << line;
    }
}

}  // namespace
