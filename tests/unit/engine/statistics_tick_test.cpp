#include <gtest/gtest.h>

#include "statistics_fixture.h"

namespace {

using engine::kStateExited;
using engine::kStateRunning;
using engine_test::Pushed;
using engine_test::StatisticsTest;

TEST_F(StatisticsTest, ProcessTotalsSumEveryConnectionClosedOnesIncluded) {
    AddProcess(100, u"browser.exe", {5000, 5001});
    AddProcess(200, u"mail.exe", {6000});
    Start();
    Count(100, 5000, 1000, 2000);
    Count(100, 5001, 30, 40);
    Count(200, 6000, 5, 7);
    TickAt(1);
    ClosePort(5000, 2);
    Count(100, 5001, 100, 100);
    TickAt(3);

    base::AutoLock hold(lock_);
    EXPECT_EQ(Process(100)->bytesUp, 1130u);
    EXPECT_EQ(Process(100)->bytesDown, 2140u);
    EXPECT_EQ(Process(100)->previousUp, 1130u);
    EXPECT_EQ(Process(200)->bytesDown, 7u);
    EXPECT_EQ(stats_.GetLocalUpReflux(), 1135u);
    EXPECT_EQ(stats_.GetLocalDownReflux(), 2147u);
    EXPECT_EQ(stats_.GetLocalTotalReflux(), 1135u + 2147u);
}

TEST_F(StatisticsTest, AcceleratedProcessesStayOutOfTheLocalTotals) {
    struct Case {
        std::uint32_t pid;
        std::u16string_view name;
        bool exits;
        bool local;
    };
    const Case cases[] = {
        {100, u"game.exe", false, false},
        {101, u"GAME.EXE", false, false},        // letters compare without case
        {102, u"game.exe", true, false},         // exited: the closed marker is tried too
        {103, u"game.exe.bak", false, true},     // a longer name is another program
        {104, u"xyd_client.exe", false, false},  // contains the unclear alias
        {105, u"XYD_client.exe", false, true},   // aliases keep their case
        {106, u"browser.exe", true, true},
    };
    std::uint16_t port = 5000;
    for (const Case& c : cases) {
        AddProcess(c.pid, c.name, {port++});
    }
    Start();
    Accelerate(u"game.exe;");
    Unclear(u"侠义道online;");
    for (const Case& c : cases) {
        if (c.exits) {
            End(c.pid, 1);
        }
    }
    std::uint64_t expectedUp = 0;
    port = 5000;
    for (const Case& c : cases) {
        const std::uint64_t up = std::uint64_t{1} << (c.pid - 100);  // one bit per process
        Count(c.pid, port++, up, 0);
        expectedUp += c.local ? up : 0;
    }
    TickAt(2);
    EXPECT_EQ(stats_.GetLocalUpReflux(), expectedUp);
    base::AutoLock hold(lock_);
    for (const Case& c : cases) {
        // Every process keeps its own totals, whichever side it is on.
        EXPECT_EQ(Process(c.pid)->bytesUp, std::uint64_t{1} << (c.pid - 100)) << c.pid;
    }
}

TEST_F(StatisticsTest, TunnelCountersAreTheAcceleratedTotalsAndPartOfTheLocalOnes) {
    AddProcess(100, u"browser.exe", {5000});
    Start();
    Count(100, 5000, 1000, 2000);
    Tunnel(300, 400);
    TickAt(1);
    EXPECT_EQ(stats_.GetAccelerateUpReflux(), 300u);
    EXPECT_EQ(stats_.GetAccelerateDownReflux(), 400u);
    EXPECT_EQ(stats_.GetAccelerateTotalReflux(), 700u);
    EXPECT_EQ(stats_.GetLocalUpReflux(), 1300u);
    EXPECT_EQ(stats_.GetLocalDownReflux(), 2400u);
    // Recomputed, not accumulated, on the next tick; a port no process owns counts for the machine.
    Tunnel(0, 100);
    {
        base::AutoLock hold(lock_);
        table_.CountPortBytes(9999, false, 7);
    }
    TickAt(2);
    EXPECT_EQ(stats_.GetAccelerateDownReflux(), 500u);
    EXPECT_EQ(stats_.GetLocalDownReflux(), 2507u);
    EXPECT_EQ(stats_.GetUnattributedReflux(), (engine::ByteTotals{0, 7}));
}

TEST_F(StatisticsTest, TunnelFiguresStandWhileTheInterfaceCannotBeRead) {
    AddProcess(100, u"browser.exe", {5000});
    Start();
    TunnelInterface(5000, 2000);
    Count(100, 5000, 10, 20);
    TickAt(1);
    ASSERT_EQ(stats_.GetAccelerateDownReflux(), 5000u);
    ASSERT_EQ(stats_.GetAccelerateUpReflux(), 2000u);

    interfaces_.rows[0].inOctets = 9000;
    interfaces_.gone = true;
    Count(100, 5000, 1, 1);
    TickAt(2);
    EXPECT_EQ(stats_.GetAccelerateDownReflux(), 5000u);
    EXPECT_EQ(stats_.GetAccelerateUpReflux(), 2000u);
    EXPECT_EQ(stats_.GetLocalDownReflux(), 5021u);

    interfaces_.gone = false;
    TickAt(3);
    EXPECT_EQ(stats_.GetAccelerateDownReflux(), 9000u);
    EXPECT_EQ(stats_.GetLocalDownReflux(), 9021u);
}

TEST_F(StatisticsTest, ListsProcessesAboveTenKilobytesPerSecond) {
    struct Case {
        std::int64_t seconds;  // since the previous tick
        std::uint64_t up;
        std::uint64_t down;
        bool listed;
        std::u16string_view upText;
        std::u16string_view downText;
    };
    const Case cases[] = {
        {1, 10000, 10000, false, u"", u""},  // exactly 10.0 KB/s
        {1, 10010, 0, true, u"10.01KB/S", u"0.00KB/S"},
        {1, 0, 10010, true, u"0.00KB/S", u"10.01KB/S"},
        {2, 20000, 0, false, u"", u""},
        {2, 20040, 0, true, u"10.02KB/S", u"0.00KB/S"},
        {0, 10010, 0, true, u"10.01KB/S", u"0.00KB/S"},  // same second: counted as one
        {1, 2500000, 1500000000, true, u"2.50MB/S", u"1.50GB/S"},
    };
    AddProcess(100, u"browser.exe", {5000});
    Start();
    std::int64_t now = 0;
    for (const Case& c : cases) {
        Count(100, 5000, c.up, c.down);
        now += c.seconds;
        TickAt(now);
        base::AutoLock hold(lock_);
        ASSERT_EQ(stats_.Batch().count, c.listed ? 1u : 0u) << now;
        if (c.listed) {
            const engine::SpeedAlarmRecord& record = stats_.Batch().records[0];
            EXPECT_EQ(record.upSpeedText, c.upText) << now;
            EXPECT_EQ(record.downSpeedText, c.downText) << now;
        }
    }
}

TEST_F(StatisticsTest, FirstTickMeasuresFromTheEngineStart) {
    AddProcess(100, u"browser.exe", {5000});
    Start();
    Count(100, 5000, 40010, 0);  // 10.0025 KB/s over 4 s, 40 KB/s if taken over 1 s
    TickAt(4);
    ASSERT_EQ(ListedPids(), std::vector<std::uint32_t>{100});
    base::AutoLock hold(lock_);
    EXPECT_EQ(stats_.Batch().records[0].upSpeedText, u"10.00KB/S");
}

TEST_F(StatisticsTest, ListedRecordCarriesTheProcessFigures) {
    AddProcess(100, u"browser.exe", {5000});
    Start();
    Count(100, 5000, 7, 9);
    TickAt(1);
    Count(100, 5000, 0, 30000);
    TickAt(3);
    base::AutoLock hold(lock_);
    ASSERT_EQ(stats_.Batch().count, 1u);
    const engine::SpeedAlarmRecord& record = stats_.Batch().records[0];
    EXPECT_EQ(record.pid, 100u);
    EXPECT_EQ(record.name, u"browser.exe");
    EXPECT_EQ(record.path, engine_test::PathOf(u"browser.exe"));
    EXPECT_EQ(record.upBytes, 7u);
    EXPECT_EQ(record.downBytes, 30009u);
    EXPECT_EQ(record.time, Second(3));
    EXPECT_EQ(record.downSpeedText, u"15.00KB/S");
    EXPECT_EQ(record.kind, kStateRunning);
    EXPECT_EQ(record.handlingState, engine::kAlarmUnhandled);
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
    // Every process still counts in the totals.
    EXPECT_EQ(stats_.GetLocalUpReflux(), 17u * 20000u);
}

TEST_F(StatisticsTest, ExitedAndAcceleratedProcessesAreNeverListed) {
    AddProcess(100, u"browser.exe", {5000});
    AddProcess(200, u"game.exe", {6000});
    AddProcess(300, u"mail.exe", {7000});
    Start();
    Accelerate(u"game.exe;");
    End(100, 0);
    Count(100, 5000, 50000, 0);
    Count(200, 6000, 50000, 0);
    Count(300, 7000, 50000, 0);
    TickAt(1);
    EXPECT_EQ(ListedPids(), std::vector<std::uint32_t>{300});
    EXPECT_EQ(stats_.GetLocalUpReflux(), 100000u);  // the exited process counts, the game does not
}

TEST_F(StatisticsTest, NothingIsListedWhileAlarmingIsStopped) {
    AddProcess(100, u"browser.exe", {5000});
    Start();
    Count(100, 5000, 50000, 0);
    TickAt(1);
    ASSERT_EQ(ListedPids().size(), 1u);
    registry_.StopAlarm(1);
    Count(100, 5000, 50000, 0);
    TickAt(2);
    EXPECT_TRUE(ListedPids().empty());
    EXPECT_EQ(stats_.GetLocalUpReflux(), 100000u);
    registry_.StopAlarm(0);
    Count(100, 5000, 50000, 0);
    TickAt(3);
    EXPECT_EQ(ListedPids().size(), 1u);
}

TEST_F(StatisticsTest, PushesTheFourTotalsAtTheEndOfEveryTick) {
    AddProcess(100, u"browser.exe", {5000});
    Start();
    Count(100, 5000, 1000, 2000);
    Tunnel(30, 40);
    TickAt(1);
    Count(100, 5000, 1, 2);
    TickAt(2);
    TickAt(3);
    const std::vector<Pushed> expected = {
        {2040, 1030, 40, 30},
        {2042, 1031, 40, 30},
        {2042, 1031, 40, 30},
    };
    EXPECT_EQ(sink_.pushes, expected);
}

TEST_F(StatisticsTest, StoppedEngineTicksDoNothing) {
    AddProcess(100, u"browser.exe", {5000});
    Start();
    Count(100, 5000, 1000, 50000);
    running_ = 0;
    TickAt(1);
    EXPECT_TRUE(sink_.pushes.empty());
    EXPECT_EQ(stats_.GetLocalDownReflux(), 0u);
    base::AutoLock hold(lock_);
    EXPECT_EQ(Process(100)->bytesDown, 0u);
}

}  // namespace
