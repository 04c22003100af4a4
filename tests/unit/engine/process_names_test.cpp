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

TEST_F(ProcessNamesTest, ImagePathFirstThenTheSnapshotWithTheFirstError) {
    source_.processes[10] = {engine_test::PathOf(u"game.exe"), u"game.exe", true, 0};
    source_.processes[20] = {u"", u"protected.exe", true, 0};
    source_.processes[30] = {u"", u"", true, 0};

    EXPECT_EQ(names_.GetProcessNameById(10, path_), 0u);
    EXPECT_EQ(path_, engine_test::PathOf(u"game.exe"));
    EXPECT_FALSE(source_.snapshotQueries.contains(10));

    EXPECT_EQ(names_.GetProcessNameById(20, path_), FakeProcessSource::kAccessDenied);
    EXPECT_EQ(path_, u"protected.exe");

    EXPECT_EQ(names_.GetProcessNameById(30, path_), FakeProcessSource::kAccessDenied);
    EXPECT_EQ(path_, u"");
}

TEST_F(ProcessNamesTest, IdleAndSystemProcessesAreNamedWithoutTheSnapshot) {
    EXPECT_EQ(names_.GetProcessNameById(0, path_), 0u);
    EXPECT_EQ(path_, u"System Idle Process");
    EXPECT_EQ(names_.GetProcessNameById(4, path_), 0u);
    EXPECT_EQ(path_, u"System");
    EXPECT_TRUE(source_.snapshotQueries.empty());

    // Where the system has no process of its own, pid 4 is an ordinary process.
    source_.kernelPid = 0xFFFFFFFF;
    EXPECT_EQ(names_.GetProcessNameById(4, path_), FakeProcessSource::kAccessDenied);
    EXPECT_EQ(path_, u"");
    EXPECT_EQ(source_.snapshotQueries[4], 1);
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

TEST_F(ProcessNamesTest, SnapshotNameIsCutToTheBuffer) {
    source_.processes[10] = {u"", u"abcdef.exe", true, 0};
    char16_t buffer[5] = {u'x', u'x', u'x', u'x', u'x'};
    EXPECT_EQ(names_.GetProcessNameByIdEx(10, buffer, 5), 0u);
    EXPECT_EQ(std::u16string(buffer), u"abcd");
    EXPECT_EQ(names_.GetProcessNameByIdEx(10, buffer, 1), 0u);
    EXPECT_EQ(buffer[0], u'\0');
}

TEST_F(ProcessNamesTest, ActivityFollowsTheSourceAndTheRecordedStamp) {
    source_.processes[10] = {u"", u"", true, 7};
    source_.processes[11] = {u"", u"", false, 0};
    EXPECT_EQ(names_.IsPrcessActive(10), 1u);
    EXPECT_EQ(names_.IsPrcessActive(11), 0u);
    EXPECT_EQ(names_.IsPrcessActive(12), 0u);
    EXPECT_TRUE(names_.IsRecordActive(10, 7));
    EXPECT_FALSE(names_.IsRecordActive(10, 8)) << "the pid belongs to another process now";
}

TEST(FileNameOfPath, IsTheTextAfterTheLastSeparator) {
    const std::u16string s(1, base::kPathSeparator);
    EXPECT_EQ(engine::FileNameOfPath(u"a" + s + u"b" + s + u"游戏.exe"), u"游戏.exe");
    EXPECT_EQ(engine::FileNameOfPath(u"System"), u"System");
    EXPECT_EQ(engine::FileNameOfPath(u"dir" + s), u"");
}

}  // namespace
