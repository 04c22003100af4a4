#include "engine/traffic_snapshots.h"

#include <gtest/gtest.h>

#include "statistics_fixture.h"

namespace {

using engine::kStateExited;
using engine::kStateRunning;
using engine_test::PathOf;

// Three processes after one tick at second 3: a browser with two ports, the accelerated game, and a
// mail client that ended at second 2; the accelerator reported 300 bytes sent and 400 received.
class TrafficSnapshotsTest : public engine_test::StatisticsTest {
  protected:
    void SetUp() override {
        AddProcess(100, u"browser.exe", {5000, 5001});
        AddProcess(200, u"game.exe", {6000});
        AddProcess(300, u"mail.exe", {7000});
        Start();
        Accelerate(u"game.exe;");
        Count(100, 5000, 1000, 2000);
        Count(100, 5001, 30, 40);
        Count(200, 6000, 5, 7);
        Count(300, 7000, 9, 11);
        End(300, 2);
        Tunnel(300, 400);
        TickAt(3);
    }
    engine::SnapshotSource Source() {
        return {table_, stats_, lists_, u"desk-7", u"192.168.1.20", Second(0)};
    }
    // A TCP connection from 127.0.0.1:`port` to 127.0.0.1:80, opened at the start.
    static engine::ConnectionRow Tcp(std::uint32_t port, std::uint32_t state, std::uint64_t up,
                                     std::uint64_t down, std::int64_t end) {
        const std::uint32_t local = engine_test::Ip(127, 0, 0, 1);
        return {engine::kProtocolTcp, local, port, local, 80, state, up, down, Second(0), Second(end)};
    }
};

// Totals and machine figures are the last tick's; the rows copy every record in list order.
TEST_F(TrafficSnapshotsTest, SnapshotsCopyTheLastTickAndEveryRecordInListOrder) {
    const std::uint64_t up = 1000 + 30 + 9 + 300;
    const std::uint64_t down = 2000 + 40 + 11 + 400;
    EXPECT_EQ(engine::ReadTrafficTotals(Source()), (engine::TrafficTotals{up, down, 300, 400}));
    EXPECT_EQ(engine::ReadMachineFigures(Source()),
              (engine::MachineFigures{u"desk-7", u"192.168.1.20", Second(0), up, down}));
    const std::vector<engine::ProcessRow> rows = {
        {0, 100, u"browser.exe", PathOf(u"browser.exe"), kStateRunning, Second(0), Second(0), 1030, 2040, 2,
         false},
        {1, 200, u"game.exe", PathOf(u"game.exe"), kStateRunning, Second(0), Second(0), 5, 7, 1, true},
        {2, 300, u"mail.exe(已关闭)", PathOf(u"mail.exe"), kStateExited, Second(0), Second(2), 9, 11, 1,
         false},
    };
    const std::vector<engine::ProcessDetail> details = {
        {rows[0], {Tcp(5000, engine::kStateOpen, 1000, 2000, 0), Tcp(5001, engine::kStateOpen, 30, 40, 0)}},
        {rows[1], {Tcp(6000, engine::kStateOpen, 5, 7, 0)}},
        {rows[2], {Tcp(7000, engine::kStateClosed, 9, 11, 2)}},
    };
    EXPECT_EQ(engine::ReadProcessRows(Source()), rows);
    EXPECT_EQ(engine::ReadAllProcessDetails(Source()), details);
    EXPECT_EQ(engine::ReadProcessDetail(Source(), 2), details[2]);
    EXPECT_EQ(engine::ReadProcessDetail(Source(), 3), std::nullopt);
}

}  // namespace
