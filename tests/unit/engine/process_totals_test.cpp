#include <gtest/gtest.h>

#include "statistics_fixture.h"

namespace {

using engine::TotalDirection;
using engine_test::StatisticsTest;

// pid 100 browser.exe from second 0, exited at 20; pid 200 game.exe from 0; pid 300 Browser.EXE from
// 10. Down and up bytes are distinct powers of two, so every sum names its records.
class ProcessTotalsTest : public StatisticsTest {
protected:
    void SetUp() override {
        AddProcess(100, u"browser.exe", {5000});
        AddProcess(200, u"game.exe", {5001});
        Start();
        AddProcess(300, u"Browser.EXE", {5002});
        Refresh(10);
        End(100, 20);
        Count(100, 5000, 2, 1);
        Count(200, 5001, 8, 4);
        Count(300, 5002, 32, 16);
        TickAt(21);
    }
};

TEST_F(ProcessTotalsTest, ByNameCountsEveryRecordOfTheNameExitedOnesIncluded) {
    struct Case {
        std::u16string_view name;
        std::int64_t down;
        std::int64_t up;
    };
    const Case cases[] = {
        {u"browser.exe", 17, 34},
        {u"BROWSER.exe", 17, 34},
        {u"browser.exe(已关闭)", 1, 2},  // only the record that carries the marker
        {u"game.exe", 4, 8},
        {u"browser", 0, 0},
        {u"(已关闭)", 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(stats_.GetProcessRefluxByName(c.name, TotalDirection::kDown), c.down);
        EXPECT_EQ(stats_.GetProcessRefluxByName(c.name, TotalDirection::kUp), c.up);
    }
}

TEST_F(ProcessTotalsTest, ByPidAnswersOnlyForARunningProcess) {
    EXPECT_EQ(stats_.GetProcessRefluxByPid(300, TotalDirection::kDown), 16);
    EXPECT_EQ(stats_.GetProcessRefluxByPid(300, TotalDirection::kUp), 32);
    EXPECT_EQ(stats_.GetProcessRefluxByPid(100, TotalDirection::kDown), engine::kNoTotal);
    EXPECT_EQ(stats_.GetProcessRefluxByPid(999, TotalDirection::kUp), engine::kNoTotal);
}

TEST_F(ProcessTotalsTest, BetweenTimeByNameCountsRecordsStartedInTheSpan) {
    struct Case {
        std::int64_t from;
        std::int64_t to;
        std::int64_t down;
    };
    const Case cases[] = {
        {0, 30, 17},
        {0, 9, 1},
        {1, 30, 16},
        {10, 10, 16},
        {11, 30, 0},
        {20, 20, 0},
        {30, 0, engine::kNoTotal},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(stats_.GetRefluxBetweenTimeByName(u"browser.exe", Second(c.from), Second(c.to),
                                                    TotalDirection::kDown),
                  c.down)
            << c.from << ".." << c.to;
    }
    // Milliseconds take no part.
    base::SystemTime lateInSecondTen = Second(10);
    lateInSecondTen.milliseconds = 999;
    EXPECT_EQ(
        stats_.GetRefluxBetweenTimeByName(u"browser.exe", lateInSecondTen, Second(10), TotalDirection::kUp),
        32);
}

TEST_F(ProcessTotalsTest, BetweenTimeByIdCountsARunningProcessStartedSinceFrom) {
    struct Case {
        std::uint32_t pid;
        std::int64_t from;
        std::int64_t to;
        std::int64_t up;
    };
    const Case cases[] = {
        {300, 0, 30, 32},
        {300, 10, 11, 32},
        {300, 11, 30, 0},
        {300, 30, 0, engine::kNoTotal},
        {100, 0, 30, engine::kNoTotal},  // exited
        {200, 0, 0, 8},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(stats_.GetRefluxBetweenTimeById(c.pid, Second(c.from), Second(c.to), TotalDirection::kUp),
                  c.up)
            << c.pid << " " << c.from << ".." << c.to;
    }
}

}  // namespace
