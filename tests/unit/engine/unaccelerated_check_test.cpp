#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "statistics_fixture.h"

namespace {

using engine_test::StatisticsScene;
using engine_test::StatisticsTest;

// A running game, named as the accelerated process, and a browser. Default thresholds: more than 50 %
// outside the tunnel, and more than 100 KB/s down or 50 KB/s up.
struct CheckScene : StatisticsScene {
    void Begin() {
        AddProcess(100, u"game.exe", {5000});
        AddProcess(200, u"browser.exe", {6000});
        Start();
        Accelerate(u"game.exe;");
    }
};

std::unique_ptr<CheckScene> BegunScene() {
    auto scene = std::make_unique<CheckScene>();
    scene->Begin();
    return scene;
}

TEST(CheckUnacceleratedTraffic, EveryConditionMustHold) {
    struct Case {
        const char* what;
        std::function<void(CheckScene&)> setUp;
        std::uint32_t tunnelDown;
        std::uint64_t browserDown;
        bool alarmed;
    };
    const Case cases[] = {
        {"every condition holds", [](CheckScene&) {}, 100, 200000, true},
        {"alarming stopped",
         [](CheckScene& s) {
             s.registry_.StopAlarm(1);
             s.Accelerate(u"game.exe;");  // the stop forgot the names
         },
         100, 200000, false},
        {"the game exited", [](CheckScene& s) { s.End(100, 0); }, 100, 200000, false},
        {"another game named", [](CheckScene& s) { s.Accelerate(u"other.exe;"); }, 100, 200000, false},
        {"the monitor itself named",
         [](CheckScene& s) {
             s.AddProcess(500, u"kvtmon.exe", {9000});
             s.Refresh(0);
             s.Accelerate(u"kvtmon.exe;");
         },
         100, 200000, false},
        {"an unclear alias, even of an exited process",
         [](CheckScene& s) {
             s.Accelerate(u"other.exe;");
             s.Unclear(u"侠义道;");
             s.AddProcess(400, u"xyd.exe", {8000});
             s.Refresh(0);
             s.End(400, 0);
         },
         100, 200000, true},
        {"no tunnel traffic", [](CheckScene&) {}, 0, 200000, false},
        {"no traffic outside the tunnel", [](CheckScene&) {}, 100, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto scene = BegunScene();
        c.setUp(*scene);
        scene->Tunnel(0, c.tunnelDown);
        scene->Count(200, 6000, 0, c.browserDown);
        EXPECT_EQ(scene->AlarmedAt(1), c.alarmed);
    }
}

TEST(CheckUnacceleratedTraffic, ShareMustExceedThePercentage) {
    struct Case {
        std::int32_t percentage;
        std::uint64_t browserDown;
        std::uint32_t tunnelDown;
        bool alarmed;
    };
    // Every case moves at least 1000 KB/s down.
    const Case cases[] = {
        {30, 300000, 700000, false},  // exactly 30 %
        {30, 300001, 700000, true},   // just above
        {10, 300001, 700000, true},   // 10 % is raised to 30 %
        {50, 500000, 500000, false},  // exactly the default
        {50, 500001, 500000, true},   // just above
        {100, 999999, 1, false},      // a share can never exceed 100 %
        {250, 999999, 1, false},      // lowered to 100 %
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.percentage);
        SCOPED_TRACE(c.browserDown);
        auto scene = BegunScene();
        scene->stats_.SetThresholds(5000, 1000, 100, 50, c.percentage, 1);
        scene->Tunnel(0, c.tunnelDown);
        scene->Count(200, 6000, 0, c.browserDown);
        EXPECT_EQ(scene->AlarmedAt(1), c.alarmed);
    }
}

TEST(CheckUnacceleratedTraffic, DownloadOrUploadSpeedMustExceedItsThreshold) {
    struct Case {
        std::uint64_t browserUp;
        std::uint64_t browserDown;
        bool alarmed;
    };
    // 100 bytes down through the tunnel as well; the tick comes 1 s after the start.
    const Case cases[] = {
        {0, 99900, false},                     // 100.0 KB/s down
        {0, 99901, true},  {50000, 0, false},  // 50.0 KB/s up
        {50001, 0, true},  {50000, 99900, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.browserUp);
        SCOPED_TRACE(c.browserDown);
        auto scene = BegunScene();
        scene->Tunnel(0, 100);
        scene->Count(200, 6000, c.browserUp, c.browserDown);
        EXPECT_EQ(scene->AlarmedAt(1), c.alarmed);
    }
}

// 1 000 000 bytes through the tunnel and 10 000 from the browser by second 1 (a share of 1 %), then
// 1 500 000 more from the browser by second 10 (60 %). Against 200 KB/s, the machine's download speed
// reads 251 KB/s over the 10 s since the start, 167 KB/s over the 9 s since second 1.
TEST(CheckUnacceleratedTraffic, SpeedSpansTheTimeSinceTheShareWasLastHighOrAConditionFailed) {
    struct Case {
        const char* what;
        bool gameNamedAtFirstTick;
        bool alarmed;
    };
    const Case cases[] = {
        // A low share leaves the previous check where it was.
        {"low share at second 1", true, true},
        // A failed condition moves it to second 1.
        {"no accelerated process at second 1", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto scene = std::make_unique<CheckScene>();
        scene->AddProcess(100, u"game.exe", {5000});
        scene->AddProcess(200, u"browser.exe", {6000});
        scene->Start();
        scene->stats_.SetThresholds(5000, 1000, 200, 1000, 50, 1);
        if (c.gameNamedAtFirstTick) {
            scene->Accelerate(u"game.exe;");
        }
        scene->Tunnel(0, 1000000);
        scene->Count(200, 6000, 0, 10000);
        ASSERT_FALSE(scene->AlarmedAt(1));
        scene->Accelerate(u"game.exe;");
        scene->Count(200, 6000, 0, 1500000);
        EXPECT_EQ(scene->AlarmedAt(10), c.alarmed);
    }
}

// Stored as a fraction raised to 0.3 or lowered to 1.0; the rest as given.
TEST(SetThresholds, KeepsThePercentageBetweenThirtyAndOneHundredPercent) {
    const std::pair<std::int32_t, float> cases[] = {{-5, 0.3f},  {29, 0.3f},  {30, 0.3f},
                                                    {45, 0.45f}, {100, 1.0f}, {250, 1.0f}};
    StatisticsScene scene;
    for (const auto& [percentage, stored] : cases) {
        scene.stats_.SetThresholds(7000, 3000, 120, 60, percentage, 0);
        const engine::AlarmThresholds t = scene.stats_.Thresholds();
        EXPECT_EQ(t.ratio, stored) << percentage;
        EXPECT_EQ(std::tie(t.downloadVolume, t.uploadVolume, t.downloadSpeed, t.uploadSpeed, t.thresholdsSet),
                  std::make_tuple(7000u, 3000u, 120u, 60u, 0u));
    }
}

class AlarmHandOverTest : public StatisticsTest {
protected:
    void SetUp() override {
        AddProcess(100, u"game.exe", {5000});
        AddProcess(200, u"browser.exe", {6000});
        AddProcess(300, u"mail.exe", {7000});
        Start();
        Accelerate(u"game.exe;");
    }
};

TEST_F(AlarmHandOverTest, CallbackGetsTheBatchWithTheMachineFiguresBeforeThePushes) {
    Tunnel(200, 300);
    Count(100, 5000, 0, 999);  // the game's own bytes count nowhere but in its record
    Count(200, 6000, 1000, 150000);
    Count(300, 7000, 20000, 0);
    ASSERT_TRUE(AlarmedAt(1));

    const engine_test::AlarmCall& call = alarms_.front();
    base::AutoLock hold(lock_);
    EXPECT_EQ(call.records, stats_.Batch().records.data());
    EXPECT_EQ(call.countAddress, &stats_.Batch().count);
    EXPECT_EQ(call.context, static_cast<StatisticsScene*>(this));
    EXPECT_EQ(call.pushesBefore, 0u);
    EXPECT_EQ(sink_.pushes.size(), 1u);
    ASSERT_EQ(call.count, 2u);
    const engine::SpeedAlarmRecord& first = call.listed[0];
    EXPECT_EQ(first.pid, 200u);  // the machine figures share the first process's record
    EXPECT_EQ(first.acceleratedTotal, 500u);
    EXPECT_EQ(first.localTotal, 171500u);
    EXPECT_EQ(first.unacceleratedTotal, 171000u);
    EXPECT_EQ(first.time, Second(1));
    EXPECT_EQ(first.machineFlag, 1u);
    EXPECT_EQ(first.kind, engine::kStateRunning);
    EXPECT_EQ(call.listed[1].pid, 300u);
    EXPECT_EQ(call.listed[1].localTotal, 0u);
}

TEST_F(AlarmHandOverTest, MachineFiguresGoOutEvenWithoutAListedProcess) {
    stats_.SetThresholds(5000, 1000, 5, 5, 50, 1);
    Tunnel(0, 100);
    Count(200, 6000, 0, 9000);  // 9 KB/s: above the machine's threshold, not enough to be listed
    ASSERT_TRUE(AlarmedAt(1));
    EXPECT_EQ(alarms_.front().count, 0u);
    base::AutoLock hold(lock_);
    EXPECT_EQ(stats_.Batch().records[0].localTotal, 9100u);
    EXPECT_EQ(stats_.Batch().records[0].pid, engine::kNoPid);
}

TEST_F(AlarmHandOverTest, CallbackOnlyOnTicksThatCallForAnAlarm) {
    Tunnel(0, 100);
    Count(200, 6000, 0, 300000);
    EXPECT_TRUE(AlarmedAt(1));
    // Same share, but 50 KB/s: the browser is listed, the batch is not handed over and stays.
    Count(200, 6000, 0, 50000);
    EXPECT_FALSE(AlarmedAt(2));
    EXPECT_EQ(ListedPids(), std::vector<std::uint32_t>{200});
    Count(200, 6000, 0, 300000);
    EXPECT_TRUE(AlarmedAt(3));
    EXPECT_EQ(sink_.pushes.size(), 3u);
}

TEST_F(AlarmHandOverTest, NullCallbackLeavesTheRegisteredOne) {
    stats_.RegisterAlarmCallback(nullptr, nullptr);
    Tunnel(0, 100);
    Count(200, 6000, 0, 300000);
    ASSERT_TRUE(AlarmedAt(1));
    EXPECT_EQ(alarms_.front().context, static_cast<StatisticsScene*>(this));
}

TEST_F(AlarmHandOverTest, WithoutACallbackTheMachineFiguresAreStillWritten) {
    engine::TrafficStatistics bare{table_, registry_, adapter_, running_, startTime_};
    Tunnel(0, 100);
    Count(200, 6000, 0, 300000);
    clock_.time = Second(1);
    bare.UpdateStatistics();
    base::AutoLock hold(lock_);
    EXPECT_EQ(bare.Batch().records[0].localTotal, 300100u);
    EXPECT_EQ(bare.Batch().records[0].acceleratedTotal, 100u);
}

}  // namespace
