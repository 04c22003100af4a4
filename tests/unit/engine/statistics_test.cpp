#include "engine/traffic_statistics.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <thread>

#include "engine/port_table_counter.h"
#include "statistics_fixture.h"

namespace {

using engine::TotalDirection;
using engine_test::Pushed;
using engine_test::StatisticsScene;
using engine_test::StatisticsTest;

// Process totals sum every connection, closed ones included; the tunnel counters are the accelerated
// totals and part of the local ones, recomputed on each tick; a port no process owns counts for the
// machine. The four totals go out at the end of every tick, after the engine lock is released.
TEST_F(StatisticsTest, TicksSumTheConnectionsAndTheTunnelAndPushTheTotals) {
    AddProcess(100, u"browser.exe", {5000, 5001});
    AddProcess(200, u"mail.exe", {6000});
    Start();
    Count(100, 5000, 1000, 2000);
    Count(100, 5001, 30, 40);
    Count(200, 6000, 5, 7);
    Tunnel(300, 400);
    TickAt(1);
    sockets_.tcp.erase(sockets_.tcp.begin());  // port 5000: its record is closed and keeps its counters
    Refresh(2);
    Count(100, 5001, 100, 100);
    Tunnel(0, 100);
    {
        base::AutoLock hold(lock_);
        table_.CountPortBytes(9999, false, 7);
    }
    TickAt(3);
    EXPECT_EQ(sink_.pushes, (std::vector<Pushed>{{2447, 1335, 400, 300}, {2654, 1435, 500, 300}}));
    EXPECT_TRUE(sink_.lockFree);
    EXPECT_EQ(stats_.GetUnattributedReflux(), (engine::ByteTotals{0, 7}));
    base::AutoLock hold(lock_);
    EXPECT_EQ(std::tie(Process(100)->bytesUp, Process(100)->bytesDown, Process(100)->previousUp),
              std::make_tuple(1130u, 2140u, 1130u));
}

// The last figures stand, in the local totals too.
TEST_F(StatisticsTest, TunnelFiguresStandWhileTheInterfaceCannotBeRead) {
    Start();
    TunnelInterface(5000, 2000);
    TickAt(1);
    interfaces_.rows[0].inOctets = 9000;
    interfaces_.gone = true;
    TickAt(2);
    EXPECT_EQ(std::make_tuple(stats_.GetAccelerateDownReflux(), stats_.GetAccelerateUpReflux(),
                              stats_.GetLocalDownReflux()),
              std::make_tuple(5000u, 2000u, 5000u));
    interfaces_.gone = false;
    TickAt(3);
    EXPECT_EQ(stats_.GetLocalDownReflux(), 9000u);
}

// The first tick measures from the engine's start, later ones from the previous tick.
TEST_F(StatisticsTest, ListsProcessesAboveTenKilobytesPerSecond) {
    const struct {
        std::int64_t seconds;  // since the previous tick
        std::uint64_t up;
        std::uint64_t down;
        std::u16string_view upText;  // empty: not listed
        std::u16string_view downText;
    } cases[] = {
        {4, 40010, 0, u"10.00KB/S", u"0.00KB/S"},  // 40 KB/s if taken over 1 s
        {1, 10000, 10000, u"", u""},               // exactly 10.0 KB/s
        {1, 10010, 0, u"10.01KB/S", u"0.00KB/S"},
        {1, 0, 10010, u"0.00KB/S", u"10.01KB/S"},
        {0, 10010, 0, u"10.01KB/S", u"0.00KB/S"},  // same second: counted as one
        {1, 2500000, 1500000000, u"2.50MB/S", u"1.50GB/S"},
    };
    AddProcess(100, u"browser.exe", {5000});
    Start();
    std::int64_t now = 0;
    for (const auto& c : cases) {
        Count(100, 5000, c.up, c.down);
        TickAt(now += c.seconds);
        base::AutoLock hold(lock_);
        ASSERT_EQ(stats_.Batch().count, c.upText.empty() ? 0u : 1u) << now;
        if (!c.upText.empty()) {
            EXPECT_EQ(stats_.Batch().records[0].upSpeedText, c.upText) << now;
            EXPECT_EQ(stats_.Batch().records[0].downSpeedText, c.downText) << now;
        }
    }
}

TEST_F(StatisticsTest, BatchHoldsTheFirstSixteenFastProcesses) {
    for (std::uint32_t i = 0; i < 17; ++i) {
        AddProcess(100 + i, u"app.exe", {static_cast<std::uint16_t>(5000 + i)});
    }
    Start();
    std::vector<std::uint32_t> order;
    for (const engine::ProcessRecord& p : table_.Processes()) {
        order.push_back(p.pid);
        Count(p.pid, static_cast<std::uint16_t>(p.connections.front().localPort), 20000, 0);
    }
    TickAt(1);
    order.resize(16);
    EXPECT_EQ(ListedPids(), order);
    EXPECT_EQ(stats_.GetLocalUpReflux(), 17u * 20000u) << "every process still counts in the totals";
}

// Exited and accelerated processes are never listed, nor anything while alarming is stopped.
TEST_F(StatisticsTest, ListsOnlyRunningLocalProcessesWhileAlarming) {
    AddProcess(100, u"browser.exe", {5000});
    AddProcess(200, u"game.exe", {6000});
    AddProcess(300, u"mail.exe", {7000});
    Start();
    Accelerate(u"game.exe;");
    End(100, 0);
    const auto countAll = [&] {
        for (std::uint32_t pid : {100u, 200u, 300u}) {
            Count(pid, static_cast<std::uint16_t>(5000 + (pid - 100) * 10), 50000, 0);
        }
    };
    countAll();
    TickAt(1);
    EXPECT_EQ(ListedPids(), std::vector<std::uint32_t>{300});
    EXPECT_EQ(stats_.GetLocalUpReflux(), 100000u) << "the exited process counts, the game does not";
    registry_.StopAlarm(1);
    countAll();
    TickAt(2);
    EXPECT_TRUE(ListedPids().empty());
    EXPECT_EQ(stats_.GetLocalUpReflux(), 250000u) << "the game, reset by the stop, now counts";
}

// The decoder counts under the engine lock while the alarm thread ticks and a pipe request reads the
// totals and changes the thresholds; ThreadSanitizer watches the shared counters.
TEST_F(StatisticsTest, TicksRaceWithDecoderCountingAndReaders) {
    AddProcess(100, u"browser.exe", {5000});
    Start();
    engine::PortTableCounter counter(table_);
    constexpr int kPackets = 20000;
    std::thread decoder([&] {
        for (int i = 0; i < kPackets; ++i) {
            counter.CountPacket({engine::CountProtocol::kTcp, engine::CountDirection::kUpload, 5000, 3});
        }
    });
    std::thread window([&] {
        for (int i = 0; i < 3000; ++i) {
            EXPECT_EQ(stats_.GetLocalTotalReflux() % 3, 0u) << "a torn packet";
            stats_.SetThresholds(5000, 1000, 100 + i, 50, 30 + i % 70, 1);
            (void)stats_.GetProcessRefluxByPid(100, TotalDirection::kUp);
        }
    });
    for (int i = 0; i < 300; ++i) {
        stats_.UpdateStatistics();
    }
    decoder.join();
    window.join();
    stats_.UpdateStatistics();
    EXPECT_EQ(stats_.GetLocalUpReflux(), kPackets * 3u);
}

// A running game, named as the accelerated process, and a browser.
std::unique_ptr<StatisticsScene> GameAndBrowser(bool named = true) {
    auto s = std::make_unique<StatisticsScene>();
    s->AddProcess(100, u"game.exe", {5000});
    s->AddProcess(200, u"browser.exe", {6000});
    s->Start();
    if (named) {
        s->Accelerate(u"game.exe;");
    }
    return s;
}

// Default thresholds: more than 50 % outside the tunnel, and more than 100 KB/s down or 50 KB/s up; the
// tick comes 1 s after the start.
TEST(CheckUnacceleratedTraffic, EveryConditionMustHold) {
    const auto none = [](StatisticsScene&) {};
    const struct {
        const char* what;
        std::function<void(StatisticsScene&)> setUp;
        std::int32_t percentage;  // 0: the default thresholds
        std::uint32_t tunnelDown;
        std::uint64_t browserUp;
        std::uint64_t browserDown;
        bool alarmed;
    } cases[] = {
        // The stop forgot the names.
        {"alarming stopped", [](auto& s) { s.registry_.StopAlarm(1), s.Accelerate(u"game.exe;"); }, 0, 100, 0,
         200000, false},
        {"another game named", [](auto& s) { s.Accelerate(u"other.exe;"); }, 0, 100, 0, 200000, false},
        {"no tunnel traffic", none, 0, 0, 0, 200000, false},
        {"no traffic outside the tunnel", none, 0, 100, 0, 0, false},
        // The share must exceed the percentage, kept between 30 and 100 %.
        {"exactly 30 %", none, 30, 700000, 0, 300000, false},
        {"just above 30 %", none, 30, 700000, 0, 300001, true},
        {"10 % raised to 30 %", none, 10, 700000, 0, 300001, true},
        {"250 % lowered to 100 %", none, 250, 1, 0, 999999, false},
        // The download or the upload speed must exceed its threshold.
        {"100.0 KB/s down", none, 0, 100, 0, 99900, false},
        {"above 100 KB/s down", none, 0, 100, 0, 99901, true},
        {"50.0 KB/s up", none, 0, 100, 50000, 0, false},
        {"above 50 KB/s up", none, 0, 100, 50001, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto s = GameAndBrowser();
        c.setUp(*s);
        if (c.percentage != 0) {
            s->stats_.SetThresholds(5000, 1000, 100, 50, c.percentage, 1);
        }
        s->Tunnel(0, c.tunnelDown);
        s->Count(200, 6000, c.browserUp, c.browserDown);
        EXPECT_EQ(s->AlarmedAt(1), c.alarmed);
    }
}

// 1 000 000 bytes through the tunnel and 10 000 from the browser by second 1 (a share of 1 %), then
// 1 500 000 more from the browser by second 10 (60 %). Against 200 KB/s, the machine's download speed
// reads 251 KB/s over the 10 s since the start, 167 KB/s over the 9 s since second 1: a low share
// leaves the previous check where it was, a failed condition moves it.
TEST(CheckUnacceleratedTraffic, SpeedSpansTheTimeSinceTheShareWasLastHighOrAConditionFailed) {
    for (const bool namedAtFirstTick : {true, false}) {
        SCOPED_TRACE(namedAtFirstTick);
        auto s = GameAndBrowser(namedAtFirstTick);
        s->stats_.SetThresholds(5000, 1000, 200, 1000, 50, 1);
        s->Tunnel(0, 1000000);
        s->Count(200, 6000, 0, 10000);
        ASSERT_FALSE(s->AlarmedAt(1));
        s->Accelerate(u"game.exe;");
        s->Count(200, 6000, 0, 1500000);
        EXPECT_EQ(s->AlarmedAt(10), namedAtFirstTick);
    }
}

// The game, a browser and a mail client; the game is accelerated.
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

// The callback gets the batch, the machine figures in its first record, before the tick's push, and only
// on ticks that call for an alarm; a null callback leaves the registered one.
TEST_F(AlarmHandOverTest, CallbackGetsTheBatchWithTheMachineFiguresBeforeThePushes) {
    stats_.RegisterAlarmCallback(nullptr, nullptr);
    Tunnel(200, 300);
    Count(100, 5000, 0, 999);  // the game's own bytes count nowhere but in its record
    Count(200, 6000, 1000, 150000);
    Count(300, 7000, 20000, 0);
    ASSERT_TRUE(AlarmedAt(1));
    {
        const engine_test::AlarmCall& call = alarms_.front();
        base::AutoLock hold(lock_);
        EXPECT_EQ(call.records, stats_.Batch().records.data());
        EXPECT_EQ(call.countAddress, &stats_.Batch().count);
        EXPECT_EQ(call.context, static_cast<StatisticsScene*>(this));
        EXPECT_EQ(call.pushesBefore, 0u);
        ASSERT_EQ(call.listed.size(), 2u);
        const engine::SpeedAlarmRecord& first = call.listed[0];
        EXPECT_EQ(std::tie(first.pid, first.name, first.path),
                  std::make_tuple(200u, u"browser.exe", engine_test::PathOf(u"browser.exe")));
        EXPECT_EQ(std::tie(first.upBytes, first.downBytes), std::make_tuple(1000u, 150000u));
        EXPECT_EQ(first.upSpeedText + u" " + first.downSpeedText, u"1.00KB/S 150.00KB/S");
        EXPECT_EQ(
            std::tie(first.acceleratedTotal, first.localTotal, first.unacceleratedTotal, first.machineFlag),
            std::make_tuple(500u, 171500u, 171000u, 1u));
        EXPECT_EQ(std::tie(first.time, first.kind), std::make_tuple(Second(1), engine::kStateRunning));
        EXPECT_EQ(std::tie(call.listed[1].pid, call.listed[1].localTotal), std::make_tuple(300u, 0u));
    }
    // Same share, but 50 KB/s: the browser is listed, the batch is not handed over and stays.
    Count(200, 6000, 0, 50000);
    EXPECT_FALSE(AlarmedAt(2));
    EXPECT_EQ(ListedPids(), std::vector<std::uint32_t>{200});
}

// A stop zeroes the accelerated side (records, tunnel sums) and takes the last tick's local totals as
// the baseline, which holds the browser's 3000 bytes and the tunnel's 700. With 100 000 bytes through
// the tunnel since, X bytes more from the browser give a share of (X - 700) / (X + 99 300): exactly 50 %
// at X = 100 700.
TEST(ResetAcceleratedStatistics, ShareIsMeasuredFromTheBaseline) {
    for (const auto& [browserDown, alarmed] : {std::pair{100700u, false}, std::pair{100701u, true}}) {
        SCOPED_TRACE(browserDown);
        auto s = GameAndBrowser();
        s->Count(100, 5000, 5, 8);
        s->Count(200, 6000, 1000, 2000);
        s->Tunnel(300, 400);
        ASSERT_FALSE(s->AlarmedAt(1));
        s->registry_.StopAlarm(1);
        EXPECT_EQ(s->Table(), "100 game.exe: 5000 | 200 browser.exe: 6000=1000/2000");
        EXPECT_EQ(s->stats_.GetAccelerateTotalReflux(), 0u);
        s->registry_.StopAlarm(0);
        s->Accelerate(u"game.exe;");
        s->Tunnel(0, 100000);
        s->Count(200, 6000, 0, browserDown);
        EXPECT_EQ(s->AlarmedAt(2), alarmed);
    }
}

// Without a callback the machine figures are still written; gone statistics are no longer reset by a
// stop.
TEST(ResetAcceleratedStatistics, BareStatisticsWriteTheFiguresAndLeaveTheStopWhenGone) {
    auto s = GameAndBrowser();
    s->Tunnel(0, 100);
    s->Count(200, 6000, 0, 300000);
    {
        engine::TrafficStatistics bare{s->table_, s->registry_, s->adapter_, s->running_, s->startTime_};
        s->clock_.time = StatisticsScene::Second(1);
        bare.UpdateStatistics();
        base::AutoLock hold(s->lock_);
        EXPECT_EQ(bare.Batch().records[0].localTotal, 300100u);
    }
    s->registry_.StopAlarm(1);
    base::AutoLock hold(s->lock_);
    EXPECT_EQ(s->adapter_.GetCounters().received, 100u);
}

// pid 100 browser.exe from second 0, exited at 20; pid 300 Browser.EXE from 10. Down and up bytes are
// distinct powers of two, so every sum names its records.
class ProcessTotalsTest : public StatisticsTest {
  protected:
    void SetUp() override {
        AddProcess(100, u"browser.exe", {5000});
        Start();
        AddProcess(300, u"Browser.EXE", {5002});
        Refresh(10);
        End(100, 20);
        Count(100, 5000, 2, 1);
        Count(300, 5002, 32, 16);
        TickAt(21);
    }
    std::int64_t Down(std::u16string_view name) {
        return stats_.GetProcessRefluxByName(name, TotalDirection::kDown);
    }
};

TEST_F(ProcessTotalsTest, ByNameCountsEveryRecordOfTheNameAndByPidOnlyARunningProcess) {
    EXPECT_EQ(Down(u"BROWSER.exe"), 17);
    EXPECT_EQ(Down(u"browser.exe(已关闭)"), 1) << "only the record that carries the marker";
    EXPECT_EQ(Down(u"browser"), 0);
    EXPECT_EQ(Down(u"(已关闭)"), 0);
    EXPECT_EQ(stats_.GetProcessRefluxByName(u"browser.exe", TotalDirection::kUp), 34);
    EXPECT_EQ(stats_.GetProcessRefluxByPid(300, TotalDirection::kUp), 32);
    EXPECT_EQ(stats_.GetProcessRefluxByPid(100, TotalDirection::kDown), engine::kNoTotal);
    EXPECT_EQ(stats_.GetProcessRefluxByPid(999, TotalDirection::kUp), engine::kNoTotal);
}

// By name: the records started in the span; by id: a running process started since `from`.
TEST_F(ProcessTotalsTest, BetweenTimesCountRecordsStartedInTheSpan) {
    const struct {
        std::uint32_t pid;  // 0: browser.exe by name, downloads
        std::int64_t from;
        std::int64_t to;
        std::int64_t total;
    } cases[] = {
        {0, 0, 9, 1},
        {0, 10, 10, 16},
        {0, 30, 0, engine::kNoTotal},
        {300, 10, 11, 32},
        {300, 11, 30, 0},
        {300, 30, 0, engine::kNoTotal},
        {100, 0, 30, engine::kNoTotal},  // exited
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.pid == 0 ? stats_.GetRefluxBetweenTimeByName(u"browser.exe", Second(c.from), Second(c.to),
                                                                 TotalDirection::kDown)
                             : stats_.GetRefluxBetweenTimeById(c.pid, Second(c.from), Second(c.to),
                                                               TotalDirection::kUp),
                  c.total)
            << c.pid << " " << c.from << ".." << c.to;
    }
    // Milliseconds take no part.
    base::SystemTime lateInSecondTen = Second(10);
    lateInSecondTen.milliseconds = 999;
    EXPECT_EQ(
        stats_.GetRefluxBetweenTimeByName(u"browser.exe", lateInSecondTen, Second(10), TotalDirection::kUp),
        32);
}

}  // namespace
