#include "base/traffic_log.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/worker_thread.h"
#include "support/temp_dir.h"

namespace {

using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

std::u16string PathOf(const std::filesystem::path& p) {
    const auto u8 = p.u8string();
    return base::Utf8ToUtf16(std::string(u8.begin(), u8.end()));
}

// On Windows the C run-time's text mode writes "\r\n" for "\n".
std::string WithoutCarriageReturns(std::string text) {
    std::erase(text, '\r');
    return text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

class TrafficLog : public ::testing::Test {
  protected:
    void TearDown() override { base::CloseTrafficLog(); }
    TempDir dir_;
};

TEST(TrafficLogLine, StampThenGbkMessage) {
    base::SystemTime t;
    t.year = 2014, t.month = 3, t.day = 5, t.hour = 9, t.minute = 7, t.second = 2;
    EXPECT_EQ(base::FormatTrafficLogLine(u"Start failed\n", t), "[2014-03-05 09:07:02]Start failed\n");
    EXPECT_EQ(base::FormatTrafficLogLine(u"暂停流量监控\n", t),
              "[2014-03-05 09:07:02]" + base::Utf16ToGbk(u"暂停流量监控\n"));
    t.year = 2026, t.month = 12, t.day = 31, t.hour = 23, t.minute = 59, t.second = 59;
    EXPECT_EQ(base::FormatTrafficLogLine(u"", t), "[2026-12-31 23:59:59]");
}

TEST(TrafficLogLine, CutAt1023BytesWithoutSplittingACharacter) {
    base::SystemTime t;
    t.year = 2014, t.month = 3, t.day = 5;
    const std::size_t stamp = 21;
    const std::string ascii = base::FormatTrafficLogLine(std::u16string(2000, u'x'), t);
    EXPECT_EQ(ascii.size(), base::kTrafficLogLineLimit);
    EXPECT_EQ(ascii.substr(stamp), std::string(base::kTrafficLogLineLimit - stamp, 'x'));

    // 1002 bytes of room after the stamp: 501 two-byte characters fit exactly...
    EXPECT_EQ(base::FormatTrafficLogLine(std::u16string(600, u'流'), t).size(), stamp + 1002);
    // ...and with one ASCII byte in front, the 501st character would straddle the limit and is dropped.
    const std::string odd = base::FormatTrafficLogLine(u"a" + std::u16string(600, u'流'), t);
    EXPECT_EQ(odd.size(), stamp + 1 + 1000);
    EXPECT_EQ(base::GbkToUtf16(odd.substr(stamp)), u"a" + std::u16string(500, u'流'));
}

TEST_F(TrafficLog, WritesStampedLinesAndFlushesEachOne) {
    const auto file = dir_.File("traffic.log");
    ASSERT_TRUE(base::OpenTrafficLogAt(PathOf(file)));
    EXPECT_TRUE(base::IsTrafficLogOpen());
    base::WriteTrafficLog(u"启动流量监控成功\n");
    base::WriteTrafficLog(base::FormatText(128, "Init failed，error no = %d \n", 87));
    // Flushed without closing: another reader sees both lines now.
    const auto lines = Lines(WithoutCarriageReturns(ReadFileBytes(file)));
    ASSERT_EQ(lines.size(), 2u);
    const std::regex stamp(R"(^\[\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\])");
    EXPECT_TRUE(std::regex_search(lines[0], stamp)) << lines[0];
    EXPECT_EQ(lines[0].substr(21), base::Utf16ToGbk(u"启动流量监控成功"));
    EXPECT_EQ(lines[1].substr(21), base::Utf16ToGbk(u"Init failed，error no = 87 "));
}

TEST_F(TrafficLog, OpeningTruncatesThePreviousRun) {
    const auto file = dir_.File("traffic.log");
    WriteFileBytes(file, "[2000-01-01 00:00:00]old run\n");
    ASSERT_TRUE(base::OpenTrafficLogAt(PathOf(file)));
    EXPECT_EQ(ReadFileBytes(file), "");
    base::WriteTrafficLog(u"second run\n");
    base::CloseTrafficLog();
    ASSERT_TRUE(base::OpenTrafficLogAt(PathOf(file)));
    base::WriteTrafficLog(u"third run\n");
    base::CloseTrafficLog();
    const auto lines = Lines(WithoutCarriageReturns(ReadFileBytes(file)));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(21), "third run");
}

TEST_F(TrafficLog, SilentWhileClosedAndClosedWhenUnopenable) {
    const auto file = dir_.File("traffic.log");
    base::WriteTrafficLog(u"lost before open\n");
    ASSERT_TRUE(base::OpenTrafficLogAt(PathOf(file)));
    base::CloseTrafficLog();
    EXPECT_FALSE(base::IsTrafficLogOpen());
    base::WriteTrafficLog(u"lost after close\n");
    EXPECT_EQ(ReadFileBytes(file), "");

    EXPECT_FALSE(base::OpenTrafficLogAt(PathOf(dir_.File("missing-dir") / "traffic.log")));
    EXPECT_FALSE(base::IsTrafficLogOpen());
    EXPECT_FALSE(base::OpenTrafficLogAt(u""));
    base::WriteTrafficLog(u"nowhere\n");
}

TEST_F(TrafficLog, ConcurrentWritersNeverInterleaveInsideALine) {
    const auto file = dir_.File("traffic.log");
    ASSERT_TRUE(base::OpenTrafficLogAt(PathOf(file)));
    constexpr int kThreads = 4;
    constexpr int kLinesEach = 300;
    std::vector<std::unique_ptr<base::WorkerThread>> writers;
    for (int w = 0; w < kThreads; ++w) {
        writers.push_back(std::make_unique<base::WorkerThread>());
        ASSERT_TRUE(writers.back()->Start([w] {
            // Long lines make a torn write likely if writes were not whole.
            const std::string body(400, static_cast<char>('a' + w));
            for (int i = 0; i < kLinesEach; ++i) {
                base::WriteTrafficLog(base::FormatText(512, "%d:%s流量\n", w, body.c_str()));
            }
        }));
    }
    for (auto& t : writers) {
        ASSERT_TRUE(t->Join(20000));
    }
    base::CloseTrafficLog();
    const auto lines = Lines(WithoutCarriageReturns(ReadFileBytes(file)));
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLinesEach));
    int perWriter[kThreads] = {};
    for (const auto& line : lines) {
        ASSERT_GT(line.size(), 23u);
        const int w = line[21] - '0';
        ASSERT_GE(w, 0);
        ASSERT_LT(w, kThreads);
        EXPECT_EQ(line.substr(21), std::to_string(w) + ":" + std::string(400, static_cast<char>('a' + w)) +
                                       base::Utf16ToGbk(u"流量"));
        ++perWriter[w];
    }
    for (int count : perWriter) {
        EXPECT_EQ(count, kLinesEach);
    }
}

}  // namespace
