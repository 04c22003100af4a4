#include <gtest/gtest.h>

#include <memory>

#include "statistics_fixture.h"

namespace {

using engine_test::StatisticsScene;
using engine_test::StatisticsTest;

// The game (accelerated) with an open and a closed port, its earlier run that has exited, and a browser;
// one tick at second 1 with tunnel traffic.
class ResetTest : public StatisticsTest {
protected:
    void SetUp() override {
        AddProcess(100, u"game.exe", {5000, 5001});
        AddProcess(150, u"game.exe", {5500});
        AddProcess(200, u"browser.exe", {6000});
        Start();
        Accelerate(u"game.exe;");
        End(150, 0);
        ClosePort(5001, 0);
        Count(100, 5000, 500, 800);
        Count(100, 5001, 5, 8);
        Count(150, 5500, 7, 9);
        Count(200, 6000, 1000, 2000);
        Tunnel(300, 400);
        TickAt(1);
    }
};

TEST_F(ResetTest, StopAlarmZeroesTheAcceleratedSideAndTakesTheBaseline) {
    registry_.StopAlarm(1);

    base::AutoLock hold(lock_);
    for (std::uint32_t pid : {100u, 150u}) {
        const engine::ProcessRecord& game = *Process(pid);
        EXPECT_EQ(game.bytesUp, 0u) << pid;
        EXPECT_EQ(game.bytesDown, 0u) << pid;
        for (const engine::ConnectionRecord& c : game.connections) {
            EXPECT_EQ(c.bytesUp + c.bytesDown, 0u) << c.localPort;
        }
    }
    EXPECT_EQ(Process(200)->bytesUp, 1000u);
    EXPECT_EQ(Process(200)->connections.front().bytesDown, 2000u);
    const engine::AccelerateAdapter::Counters tunnel = adapter_.GetCounters();
    EXPECT_EQ(tunnel.sent + tunnel.received, 0u);
    EXPECT_EQ(stats_.GetAccelerateTotalReflux(), 0u);
    EXPECT_EQ(stats_.BaselineUp(), 1300u);
    EXPECT_EQ(stats_.BaselineDown(), 2400u);
    // The local totals wait for the next tick.
    EXPECT_EQ(stats_.GetLocalUpReflux(), 1300u);
    EXPECT_EQ(stats_.GetLocalDownReflux(), 2400u);
}

TEST_F(ResetTest, ResumingKeepsEverything) {
    registry_.StopAlarm(0);
    base::AutoLock hold(lock_);
    EXPECT_EQ(Process(100)->bytesDown, 808u);
    EXPECT_EQ(stats_.GetAccelerateTotalReflux(), 700u);
    EXPECT_EQ(stats_.BaselineUp() + stats_.BaselineDown(), 0u);
}

TEST_F(ResetTest, BaselineOnlyTakesWhatTheLastTickSaw) {
    Count(200, 6000, 1, 1);  // counted by no tick yet
    stats_.ResetAcceleratedStatistics();
    EXPECT_EQ(stats_.BaselineUp(), 1300u);
    EXPECT_EQ(stats_.BaselineDown(), 2400u);
}

// After the reset the share counts from the baseline, which holds the browser's 3000 bytes and the
// tunnel's 700. With 100 000 bytes through the tunnel since, X bytes more from the browser give a share
// of (X - 700) / (X + 99 300): exactly 50 % at X = 100 700.
TEST(ResetAcceleratedStatistics, ShareIsMeasuredFromTheBaseline) {
    struct Case {
        std::uint64_t browserDown;
        bool alarmed;
    };
    const Case cases[] = {{100700, false}, {100701, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.browserDown);
        auto s = std::make_unique<StatisticsScene>();
        s->AddProcess(100, u"game.exe", {5000});
        s->AddProcess(200, u"browser.exe", {6000});
        s->Start();
        s->Accelerate(u"game.exe;");
        s->Count(200, 6000, 1000, 2000);
        s->Tunnel(300, 400);
        ASSERT_FALSE(s->AlarmedAt(1));
        s->registry_.StopAlarm(1);
        s->registry_.StopAlarm(0);
        s->Accelerate(u"game.exe;");
        s->Tunnel(0, 100000);
        s->Count(200, 6000, 0, c.browserDown);
        EXPECT_EQ(s->AlarmedAt(2), c.alarmed);
    }
}

TEST(ResetAcceleratedStatistics, GoneStatisticsAreNoLongerCalledByStopAlarm) {
    StatisticsScene scene;
    {
        engine::TrafficStatistics replaced{scene.table_, scene.registry_, scene.adapter_, scene.running_,
                                           scene.startTime_};
    }
    scene.Tunnel(10, 20);
    scene.registry_.StopAlarm(1);
    base::AutoLock hold(scene.lock_);
    EXPECT_EQ(scene.adapter_.GetCounters().received, 20u);
}

}  // namespace
