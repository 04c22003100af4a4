#include "base/traffic_log.h"

#include <gtest/gtest.h>

#include <string>

#include "base/text.h"
#include "support/local_time.h"
#include "support/temp_dir.h"

namespace {

using testing_support::ReadFileBytes;

TEST(TrafficLogLine, StampThenGbkMessageCutAt1023BytesOnACharacterBoundary) {
    EXPECT_EQ(base::FormatTrafficLogLine(u"暂停\n", testing_support::LocalTime(2014, 3, 5, 9, 7, 2)),
              "[2014-03-05 09:07:02]\xD4\xDD\xCD\xA3\n");
    const base::SystemTime t = testing_support::LocalTime(2026, 12, 31, 23, 59, 59);
    const std::size_t stamp = 21;
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
    ASSERT_TRUE(base::OpenTrafficLogAt(file));
    EXPECT_EQ(ReadFileBytes(file), "");
    base::WriteTrafficLog(base::FormatText(128, "Init failed，error no = %d \n", 87));
    EXPECT_EQ(logged(), base::Utf16ToGbk(u"Init failed，error no = 87 \n"));
    base::CloseTrafficLog();
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

}  // namespace
