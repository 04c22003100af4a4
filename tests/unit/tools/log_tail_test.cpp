#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text.h"
#include "plugin/log_tail.h"

namespace {

using Lines = std::vector<std::string>;

TEST(TrafficLogTail, TakesTheLastNonEmptyLinesInUtf8FromBesideTheProgram) {
    const std::string gbk = base::Utf16ToGbk(
        u"[2026-12-06 10:00:00]打开日志\r\n"
        u"[2026-12-06 10:00:01]one\n"
        u"\n"
        u"[2026-12-06 10:00:02]pcap_open_live failed，error no = 1 \n"
        u"[2026-12-06 10:00:03]last without a line end");
    EXPECT_EQ(console::TrafficLogTail(gbk, 3),
              (Lines{"[2026-12-06 10:00:01]one", "[2026-12-06 10:00:02]pcap_open_live failed，error no = 1 ",
                     "[2026-12-06 10:00:03]last without a line end"}));
    EXPECT_EQ(console::TrafficLogTail(gbk, 10).size(), 4u);
    EXPECT_EQ(console::TrafficLogTail("\r\n\n", 5), Lines{});
    EXPECT_EQ(console::TrafficLogTail(gbk, 0), Lines{});
    // The log lies beside the launched program.
    EXPECT_EQ(console::TrafficLogPathBeside(u"/opt/kvt/kvtmon", u'/'), u"/opt/kvt/traffic.log");
    EXPECT_EQ(console::TrafficLogPathBeside(u"kvtmon", u'/'), u"traffic.log");
    EXPECT_EQ(console::TrafficLogPathBeside(u"C:\\kvt\\kvtmon.exe", u'\\'), u"C:\\kvt\\traffic.log");
}

}  // namespace
