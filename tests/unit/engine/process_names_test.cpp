#include "engine/process_names.h"

#include <gtest/gtest.h>

#include "engine_fakes.h"
#include "support/log_capture.h"

namespace {

using engine_test::FakeProcessSource;

class ProcessNamesTest : public ::testing::Test {
  protected:
    FakeProcessSource source_;
    engine::ProcessNames names_{source_};
    std::u16string path_;
};

// The image path first, then the snapshot name with the image query's error; idle and system are named
// without asking, where the system has a process of its own.
TEST_F(ProcessNamesTest, ImagePathFirstThenTheSnapshotWithTheFirstError) {
    source_.processes[10] = {engine_test::PathOf(u"game.exe"), u"game.exe", true, 0};
    source_.processes[20] = {u"", u"protected.exe", true, 0};
    const struct {
        std::int32_t pid;
        std::uint32_t kernelPid;
        std::uint32_t error;
        std::u16string path;
    } cases[] = {
        {10, 4, 0, engine_test::PathOf(u"game.exe")},
        {20, 4, FakeProcessSource::kAccessDenied, u"protected.exe"},
        {30, 4, FakeProcessSource::kAccessDenied, u""},
        {0, 4, 0, u"System Idle Process"},
        {4, 4, 0, u"System"},
        {4, 0xFFFFFFFF, FakeProcessSource::kAccessDenied, u""},
    };
    for (const auto& c : cases) {
        source_.kernelPid = c.kernelPid;
        EXPECT_EQ(names_.GetProcessNameById(c.pid, path_), c.error) << c.pid;
        EXPECT_EQ(path_, c.path) << c.pid;
    }
    EXPECT_EQ(source_.snapshotQueries, (std::map<std::uint32_t, int>{{20, 1}, {30, 1}, {4, 1}}));
}

TEST_F(ProcessNamesTest, NegativeArgumentsAreRefusedAndLogged) {
    testing_support::LogCapture log;
    EXPECT_EQ(names_.GetProcessNameById(-2, path_), engine::kInvalidArgument);
    EXPECT_EQ(log.CountStartingWith("参数无效: pid = -2，error no = "), 1);
    EXPECT_EQ(names_.IsPrcessActive(-1), 0u);
    EXPECT_EQ(log.CountStartingWith("参数无效：nPid=-1 in IsPrcessActive，error no = "), 1);

    char16_t buffer[8];
    EXPECT_EQ(names_.GetProcessNameByIdEx(10, nullptr, 8), engine::kInvalidArgument);
    EXPECT_EQ(
        log.CountStartingWith("参数无效:szpath=(null), pid=10, nLen=8, in GetProcessNameByIdEx，error no = "),
        1);
    EXPECT_EQ(names_.GetProcessNameByIdEx(-5, buffer, 8), engine::kInvalidArgument);
    EXPECT_EQ(names_.GetProcessNameByIdEx(10, buffer, 0), engine::kInvalidArgument);
    EXPECT_TRUE(source_.snapshotQueries.empty());
}

// A snapshot name is cut to the buffer; activity follows the source.
TEST_F(ProcessNamesTest, SnapshotNameIsCutToTheBufferAndActivityFollowsTheSource) {
    source_.processes[10] = {u"", u"abcdef.exe", true, 7};
    source_.processes[11] = {u"", u"", false, 0};
    char16_t buffer[5] = {u'x', u'x', u'x', u'x', u'x'};
    EXPECT_EQ(names_.GetProcessNameByIdEx(10, buffer, 5), 0u);
    EXPECT_EQ(std::u16string(buffer), u"abcd");
    EXPECT_EQ(names_.GetProcessNameByIdEx(10, buffer, 1), 0u);
    EXPECT_EQ(buffer[0], u'\0');
    EXPECT_EQ(names_.IsPrcessActive(10), 1u);
    EXPECT_EQ(names_.IsPrcessActive(11), 0u);
}

}  // namespace
