#include "base/traffic_log.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/worker_thread.h"
#include "support/local_time.h"
#include "support/log_capture.h"

namespace {

using testing_support::ReadFileBytes;

TEST(TrafficLogLine, StampThenGbkMessageCutAt1023BytesOnACharacterBoundary) {
    EXPECT_EQ(base::FormatTrafficLogLine(u"暂停\n", testing_support::LocalTime(2014, 3, 5, 9, 7, 2)),
              "[2014-03-05 09:07:02]\xD4\xDD\xCD\xA3\n");
    const base::SystemTime t = testing_support::LocalTime(2026, 12, 31, 23, 59, 59);
    EXPECT_EQ(base::FormatTrafficLogLine(u"", t), "[2026-12-31 23:59:59]");
    const std::size_t stamp = 21;
    EXPECT_EQ(base::FormatTrafficLogLine(std::u16string(2000, u'x'), t).substr(stamp),
              std::string(base::kTrafficLogLineLimit - stamp, 'x'));
    // 1002 bytes of room after the stamp: 501 two-byte characters fit exactly; after one ASCII byte the
    // 501st would straddle the limit and is dropped.
    EXPECT_EQ(base::FormatTrafficLogLine(std::u16string(600, u'流'), t).size(), stamp + 1002);
    const std::string odd = base::FormatTrafficLogLine(u"a" + std::u16string(600, u'流'), t);
    EXPECT_EQ(base::GbkToUtf16(odd.substr(stamp)), u"a" + std::u16string(500, u'流'));
}

// Each run truncates the file, each line is flushed at once (another reader sees it without a close),
// and a log that is closed or cannot be opened takes nothing.
TEST(TrafficLog, EachRunTruncatesAndEachLineIsFlushed) {
    testing_support::TempDir dir;
    const std::u16string file = dir.File("traffic.log").u16string();
    // The file after the first line's stamp, without the "\r" of the Windows text mode.
    const auto logged = [&file] {
        std::string text = ReadFileBytes(file);
        std::erase(text, '\r');
        return text.substr(21);
    };
    testing_support::WriteFileBytes(file, "[2000-01-01 00:00:00]old run\n");
    base::WriteTrafficLog(u"lost before open\n");
    ASSERT_TRUE(base::OpenTrafficLogAt(file));
    EXPECT_TRUE(base::IsTrafficLogOpen());
    EXPECT_EQ(ReadFileBytes(file), "");
    base::WriteTrafficLog(base::FormatText(128, "Init failed，error no = %d \n", 87));
    EXPECT_EQ(logged(), base::Utf16ToGbk(u"Init failed，error no = 87 \n"));
    base::CloseTrafficLog();
    EXPECT_FALSE(base::IsTrafficLogOpen());
    base::WriteTrafficLog(u"lost after close\n");
    ASSERT_TRUE(base::OpenTrafficLogAt(file));
    base::WriteTrafficLog(u"third run\n");
    EXPECT_EQ(logged(), "third run\n");
    EXPECT_FALSE(base::OpenTrafficLogAt((dir.File("missing-dir") / "traffic.log").u16string()));
    EXPECT_FALSE(base::IsTrafficLogOpen());
    EXPECT_FALSE(base::OpenTrafficLogAt(u""));
    base::WriteTrafficLog(u"nowhere\n");
    EXPECT_EQ(logged(), "third run\n");
}

TEST(TrafficLog, ConcurrentWritersNeverInterleaveInsideALine) {
    testing_support::LogCapture log;
    constexpr int kThreads = 4, kLinesEach = 300;
    // Long lines make a torn write likely if writes were not whole.
    auto body = [](int w) { return std::to_string(w) + ":" + std::string(400, static_cast<char>('a' + w)); };
    std::vector<std::unique_ptr<base::WorkerThread>> writers;
    for (int w = 0; w < kThreads; ++w) {
        writers.push_back(std::make_unique<base::WorkerThread>());
        ASSERT_TRUE(writers.back()->Start([w, &body] {
            for (int i = 0; i < kLinesEach; ++i) {
                base::WriteTrafficLog(base::FormatText(512, "%s流量\n", body(w).c_str()));
            }
        }));
    }
    for (auto& t : writers) {
        ASSERT_TRUE(t->Join(20000));
    }
    int perWriter[kThreads] = {};
    for (const std::string& line : log.Messages()) {
        const int w = line[0] - '0';
        ASSERT_TRUE(w >= 0 && w < kThreads) << line;
        EXPECT_EQ(line, body(w) + "流量");
        ++perWriter[w];
    }
    for (int count : perWriter) {
        EXPECT_EQ(count, kLinesEach);
    }
}

}  // namespace
