#include "engine/process_table.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "engine_fakes.h"
#include "support/log_capture.h"

namespace {

using engine::ConnectionRecord;
using engine::ProcessRecord;
using engine::TcpRow;
using engine::TcpState;
using engine::UdpRow;
using engine_test::At;
using engine_test::Ip;

constexpr std::uint32_t kGame = 100;
constexpr std::uint32_t kBrowser = 200;
constexpr std::uint32_t kUpdater = 300;

TcpRow Listener(std::uint32_t address, std::uint16_t port, std::uint32_t pid) {
    return {TcpState::kListen, address, port, 0, 0, pid};
}

TcpRow Connection(std::uint16_t localPort, std::uint16_t remotePort, std::uint32_t pid) {
    return {TcpState::kEstablished, Ip(127, 0, 0, 1), localPort, Ip(127, 0, 0, 1), remotePort, pid};
}

class ProcessTableTest : public ::testing::Test {
  protected:
    ProcessTableTest() {
        processes_.Add(kGame, u"game.exe", 11);
        processes_.Add(kBrowser, u"browser.exe", 22);
        processes_.Add(kUpdater, u"updater.exe", 33);
    }

    // The port's record, looked up as the decoder does; the clock moves past any miss window first, so
    // that an earlier miss does not hide it.
    ConnectionRecord* Find(std::uint16_t port) {
        clock_.tick += engine::kMissCacheWindowMs + 1;
        base::AutoLock hold(lock_);
        return table_.FindPortRecord(port);
    }

    std::vector<const ProcessRecord*> RecordsOf(std::uint32_t pid) {
        std::vector<const ProcessRecord*> found;
        for (const ProcessRecord& p : table_.Processes()) {
            if (p.pid == pid) {
                found.push_back(&p);
            }
        }
        return found;
    }

    const ProcessRecord& OnlyRecordOf(std::uint32_t pid) {
        const auto records = RecordsOf(pid);
        EXPECT_EQ(records.size(), 1u) << "pid " << pid;
        return *records.at(0);
    }

    base::ReentrantLock lock_;
    engine_test::FakeSocketTable sockets_;
    engine_test::FakeProcessSource processes_;
    engine_test::FakeClock clock_;
    engine::ProcessNames names_{processes_};
    engine::ProcessTable table_{lock_, sockets_, names_, clock_};
};

TEST_F(ProcessTableTest, InitFillsTheHeadFirstThenAppendsOneRecordPerProcess) {
    sockets_.tcp = {Listener(Ip(127, 0, 0, 1), 5000, kGame),
                    {TcpState::kEstablished, Ip(10, 0, 0, 2), 6000, Ip(1, 2, 3, 4), 80, kBrowser}};
    sockets_.udp = {{0, 53, kGame}};
    clock_.time = At(9, 30, 0);
    ASSERT_EQ(table_.InitProcessList(), 0u);

    ASSERT_EQ(table_.Processes().Count(), 2u);
    const ProcessRecord& head = table_.Processes().Head();
    EXPECT_EQ(head.pid, kGame);
    EXPECT_EQ(head.name, u"game.exe");
    EXPECT_EQ(head.path, engine_test::PathOf(u"game.exe"));
    EXPECT_EQ(head.state, engine::kStateRunning);
    EXPECT_EQ(head.startTime, At(9, 30, 0));
    EXPECT_EQ(head.startStamp, 11u);
    ASSERT_EQ(head.connections.size(), 2u);
    EXPECT_EQ(head.portCount, 2u);

    const ConnectionRecord& tcp = head.connections[0];
    EXPECT_EQ(tcp.protocol, engine::kProtocolTcp);
    EXPECT_EQ(tcp.localAddress, Ip(127, 0, 0, 1));
    EXPECT_EQ(tcp.localPort, 5000u);
    EXPECT_EQ(tcp.state, engine::kStateOpen);
    const ConnectionRecord& udp = head.connections[1];
    EXPECT_EQ(udp.protocol, engine::kProtocolUdp);
    EXPECT_EQ(udp.localPort, 53u);
    EXPECT_EQ(udp.localAddress, 0u);

    const ProcessRecord& browser = OnlyRecordOf(kBrowser);
    EXPECT_EQ(browser.name, u"browser.exe");
    EXPECT_EQ(browser.portCount, 1u);
    EXPECT_EQ(browser.connections.at(0).remoteAddress, Ip(1, 2, 3, 4));
    EXPECT_EQ(browser.connections.at(0).remotePort, 80u);
    EXPECT_EQ(Find(6000), &browser.connections.at(0));
}

TEST_F(ProcessTableTest, TcpAndUdpOnOneNumberShareOneEntryAndTheFirstWins) {
    sockets_.tcp = {Listener(0, 5000, kGame)};
    sockets_.udp = {{0, 5000, kGame}, {Ip(127, 0, 0, 1), 5000, kBrowser}};
    ASSERT_EQ(table_.InitProcessList(), 0u);

    const ProcessRecord& game = OnlyRecordOf(kGame);
    ASSERT_EQ(game.connections.size(), 1u);
    EXPECT_EQ(game.connections[0].protocol, engine::kProtocolTcp);
    EXPECT_EQ(Find(5000), &game.connections[0]);
    // The UDP owner is known as a process, but its port counts to the TCP owner.
    EXPECT_TRUE(OnlyRecordOf(kBrowser).connections.empty());
}

TEST_F(ProcessTableTest, ListenerAndAcceptedConnectionYieldOneRecordFromTheFirstSortedRow) {
    std::vector<TcpRow> rows = {Connection(8080, 50000, kGame), Connection(50000, 8080, kBrowser),
                                Listener(Ip(127, 0, 0, 1), 8080, kGame)};
    engine::SortTcpRows(rows);
    sockets_.tcp = rows;
    ASSERT_EQ(table_.InitProcessList(), 0u);

    const ProcessRecord& server = OnlyRecordOf(kGame);
    ASSERT_EQ(server.connections.size(), 1u);
    EXPECT_EQ(server.connections[0].remotePort, 0u) << "the listener sorts before the accepted connection";
    EXPECT_EQ(Find(50000)->remotePort, 8080u);
}

TEST_F(ProcessTableTest, RefreshClosesVanishedPortsAndKeepsTheirRecordsAndCounters) {
    sockets_.tcp = {Connection(5000, 80, kGame), Connection(5001, 80, kGame)};
    ASSERT_EQ(table_.InitProcessList(), 0u);
    Find(5000)->bytesDown = 1234;

    sockets_.tcp = {Connection(5001, 80, kGame)};
    clock_.time = At(10, 5, 0);
    ASSERT_EQ(table_.RefreshProcessList(), 0u);

    const ProcessRecord& game = OnlyRecordOf(kGame);
    ASSERT_EQ(game.connections.size(), 2u);
    EXPECT_EQ(game.state, engine::kStateRunning);
    EXPECT_EQ(game.connections[0].state, engine::kStateClosed);
    EXPECT_EQ(game.connections[0].endTime, At(10, 5, 0));
    EXPECT_EQ(game.connections[0].bytesDown, 1234u);
    EXPECT_EQ(game.connections[1].state, engine::kStateOpen);
    EXPECT_EQ(table_.SnapshotPorts(), std::vector<std::uint16_t>{5001});
}

TEST_F(ProcessTableTest, PortReopenedByAnotherProcessGetsANewRecordAtTheNextListing) {
    sockets_.tcp = {Connection(5000, 80, kGame)};
    ASSERT_EQ(table_.InitProcessList(), 0u);
    sockets_.tcp = {};
    ASSERT_EQ(table_.RefreshProcessList(), 0u);
    sockets_.tcp = {Connection(5000, 443, kBrowser)};
    ASSERT_EQ(table_.RefreshProcessList(), 0u);

    const ProcessRecord& game = OnlyRecordOf(kGame);
    ASSERT_EQ(game.connections.size(), 1u);
    EXPECT_EQ(game.connections[0].state, engine::kStateClosed);
    const ProcessRecord& browser = OnlyRecordOf(kBrowser);
    ASSERT_EQ(browser.connections.size(), 1u);
    EXPECT_EQ(Find(5000), &browser.connections[0]);
    EXPECT_EQ(Find(5000)->remotePort, 443u);
}

TEST_F(ProcessTableTest, PortTakenOverBeforeAnyRefreshSawItMissingKeepsCountingToTheOldRecord) {
    sockets_.tcp = {Connection(5000, 80, kGame)};
    ASSERT_EQ(table_.InitProcessList(), 0u);
    sockets_.tcp = {Connection(5000, 443, kBrowser)};
    ASSERT_EQ(table_.RefreshProcessList(), 0u);

    EXPECT_EQ(Find(5000), &OnlyRecordOf(kGame).connections.at(0));
    EXPECT_TRUE(RecordsOf(kBrowser).empty());
}

TEST_F(ProcessTableTest, UnchangedRefreshTouchesNothingAndResolvesNoName) {
    sockets_.tcp = {Listener(0, 8080, kGame), Connection(8080, 50000, kGame), Connection(6000, 80, kBrowser)};
    sockets_.udp = {{0, 53, kUpdater}};
    ASSERT_EQ(table_.InitProcessList(), 0u);
    Find(8080)->bytesUp = 77;
    const auto queriesBefore = processes_.imageQueries;

    clock_.time = At(11, 0, 0);
    ASSERT_EQ(table_.RefreshProcessList(), 0u);

    EXPECT_EQ(processes_.imageQueries, queriesBefore);
    EXPECT_EQ(table_.Processes().Count(), 3u);
    for (const ProcessRecord& p : table_.Processes()) {
        for (const ConnectionRecord& c : p.connections) {
            EXPECT_EQ(c.state, engine::kStateOpen);
            EXPECT_EQ(c.endTime, At(10, 0, 0));
        }
    }
    EXPECT_EQ(Find(8080)->bytesUp, 77u);
}

TEST_F(ProcessTableTest, NewPortsJoinTheRunningRecordOfTheirProcessWithOneNameLookupPerPass) {
    sockets_.tcp = {Connection(5000, 80, kGame)};
    ASSERT_EQ(table_.InitProcessList(), 0u);
    sockets_.tcp = {Connection(5000, 80, kGame), Connection(5001, 80, kGame), Connection(5002, 80, kGame)};
    sockets_.udp = {{0, 5003, kGame}};
    processes_.imageQueries.clear();

    ASSERT_EQ(table_.RefreshProcessList(), 0u);

    const ProcessRecord& game = OnlyRecordOf(kGame);
    EXPECT_EQ(game.connections.size(), 4u);
    EXPECT_EQ(game.portCount, 4u);
    EXPECT_EQ(processes_.imageQueries[kGame], 1);
    EXPECT_EQ(table_.SnapshotPorts(), (std::vector<std::uint16_t>{5000, 5001, 5002, 5003}));
}

TEST_F(ProcessTableTest, WithoutKeepingTheMissCacheHoldsOffLookUpsForTwoSecondsAfterTheFirstMiss) {
    table_.SetKeepMissedBytes(false);
    ASSERT_EQ(table_.InitProcessList(), 0u);
    base::AutoLock hold(lock_);
    clock_.tick = 0xFFFFF000;  // across the wrap of the tick counter
    EXPECT_EQ(table_.FindPortRecord(9000), nullptr);
    EXPECT_EQ(table_.MissCache().at(9000).firstMissTick, 0xFFFFF000u);
    sockets_.tcp = {Connection(9000, 80, kGame)};
    ASSERT_EQ(table_.RefreshProcessList(), 0u);
    clock_.tick = 0xFFFFF000 + 2000;  // within the window: not looked up, not counted
    EXPECT_EQ(table_.FindPortRecord(9000), nullptr);
    EXPECT_EQ(table_.MissCache().at(9000).misses, 1u);
    clock_.tick = 0xFFFFF000 + 2001;
    EXPECT_NE(table_.FindPortRecord(9000), nullptr);
    EXPECT_FALSE(table_.MissCache().contains(9000));

    // After the window every packet of a port still missing looks again and counts its miss.
    clock_.tick = 1000;
    EXPECT_EQ(table_.FindPortRecord(9500), nullptr);
    clock_.tick = 3001;
    EXPECT_EQ(table_.FindPortRecord(9500), nullptr);
    EXPECT_EQ(table_.FindPortRecord(9500), nullptr);
    EXPECT_EQ(table_.MissCache().at(9500).misses, 3u);
    EXPECT_EQ(table_.MissCache().at(9500).firstMissTick, 1000u);
}

// A missed port's payload waits in its entry: a refresh that lists the port hands it to the new record,
// one that does not list it gives it up to the unattributed totals, so that a later socket on the same
// number starts from zero. Without keeping, nothing is held.
TEST_F(ProcessTableTest, MissedBytesGoToTheOwnerARefreshFindsOrAreGivenUp) {
    ASSERT_EQ(table_.InitProcessList(), 0u);
    const auto countAndRefresh = [&](bool listed) {
        {
            base::AutoLock hold(lock_);
            EXPECT_FALSE(table_.CountPortBytes(9000, true, 300));
            EXPECT_FALSE(table_.CountPortBytes(9000, false, 40));
            EXPECT_EQ(table_.Unattributed().up, listed ? 600u : 300u) << "the given-up bytes stay";
        }
        sockets_.tcp = listed ? std::vector<TcpRow>{Connection(9000, 80, kGame)} : std::vector<TcpRow>{};
        ASSERT_EQ(table_.RefreshProcessList(), 0u);
    };

    countAndRefresh(false);
    EXPECT_TRUE(table_.MissCache().contains(9000)) << "too young to give up: its close may still come";
    clock_.tick += engine::kMissGiveUpMs;
    ASSERT_EQ(table_.RefreshProcessList(), 0u);
    EXPECT_FALSE(table_.MissCache().contains(9000));
    EXPECT_EQ(table_.Unattributed(), (engine::ByteTotals{300, 40}));

    countAndRefresh(true);
    EXPECT_FALSE(table_.MissCache().contains(9000));
    EXPECT_EQ(table_.Unattributed(), (engine::ByteTotals{300, 40})) << "only the first socket's bytes";
    base::AutoLock hold(lock_);
    ConnectionRecord* record = table_.FindPortRecord(9000);
    ASSERT_NE(record, nullptr) << "found at once, inside the miss window";
    EXPECT_EQ(record->bytesUp, 300u);
    EXPECT_EQ(record->bytesDown, 40u);

    table_.SetKeepMissedBytes(false);
    EXPECT_FALSE(table_.CountPortBytes(9100, true, 500));
    EXPECT_EQ(table_.Unattributed(), (engine::ByteTotals{300, 40}));
}

// A socket that closed before any refresh listed it: its reported close names the owner, whether the
// close or the packets reach the table first; a close on another address's port claims nothing.
TEST_F(ProcessTableTest, AReportedCloseClaimsTheBytesOfItsPortForItsProcess) {
    ASSERT_EQ(table_.InitProcessList(), 0u);
    const auto count = [&](std::uint16_t port, std::uint64_t bytes) {
        base::AutoLock hold(lock_);
        EXPECT_FALSE(table_.CountPortBytes(port, false, bytes));
    };
    const auto close = [&](std::uint16_t port, std::uint32_t pid) {
        const engine::SocketCloseEvent event{6, Ip(10, 0, 0, 2), port, Ip(1, 2, 3, 4), 443, pid};
        table_.NoteClosedSockets(std::span(&event, 1));
    };
    count(9001, 1000);
    close(9001, kBrowser);  // packets first: claimed as the close arrives
    close(9002, kUpdater);
    count(9002, 2000);  // close first: claimed at the next refresh
    count(9003, 70);    // nobody closed it
    close(9004, kUpdater);
    count(9004, 300);  // still listed, lingering without an owner: listed under its closer
    sockets_.tcp = {{TcpState::kTimeWait, Ip(10, 0, 0, 2), 9004, Ip(1, 2, 3, 4), 443, 0}};
    clock_.tick += engine::kMissGiveUpMs;
    ASSERT_EQ(table_.RefreshProcessList(), 0u);
    count(9001, 5);  // a late packet of the closed connection joins its record

    ASSERT_EQ(table_.RefreshProcessList(), 0u);
    const ProcessRecord& browser = OnlyRecordOf(kBrowser);
    ASSERT_EQ(browser.connections.size(), 1u);
    EXPECT_EQ(browser.connections[0].bytesDown, 1005u);
    EXPECT_EQ(browser.connections[0].state, engine::kStateClosed);
    EXPECT_EQ(browser.connections[0].remotePort, 443u);
    const ProcessRecord& updater = OnlyRecordOf(kUpdater);
    ASSERT_EQ(updater.connections.size(), 2u);
    // The refresh lists new ports before it settles the misses.
    EXPECT_EQ(updater.connections[0].localPort, 9004u);
    EXPECT_EQ(updater.connections[0].bytesDown, 300u);
    EXPECT_EQ(updater.connections[1].bytesDown, 2000u);
    EXPECT_EQ(table_.Unattributed(), (engine::ByteTotals{0, 70}));
    EXPECT_EQ(table_.SnapshotPorts(), std::vector<std::uint16_t>{9004}) << "only the listed port is indexed";
}

TEST_F(ProcessTableTest, PidReusedByALaterProcessGetsARecordOfItsOwn) {
    sockets_.tcp = {Connection(5000, 80, kGame)};
    ASSERT_EQ(table_.InitProcessList(), 0u);

    // The game ended and its pid now belongs to another program, before any exit check ran.
    processes_.processes[kGame] = {engine_test::PathOf(u"player.exe"), u"player.exe", true, 99};
    sockets_.tcp = {Connection(5000, 80, kGame), Connection(7000, 80, kGame)};
    ASSERT_EQ(table_.RefreshProcessList(), 0u);

    const auto records = RecordsOf(kGame);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0]->name, u"game.exe");
    EXPECT_EQ(records[0]->connections.size(), 1u);
    EXPECT_EQ(records[1]->name, u"player.exe");
    EXPECT_EQ(records[1]->startStamp, 99u);
    EXPECT_EQ(Find(7000), &records[1]->connections.at(0));
}

TEST_F(ProcessTableTest, MarkExitedClosesConnectionsAndFreesOnlyThePortsStillItsOwn) {
    sockets_.tcp = {Connection(5000, 80, kGame), Connection(5001, 80, kGame)};
    ASSERT_EQ(table_.InitProcessList(), 0u);
    sockets_.tcp = {Connection(5001, 80, kGame)};
    ASSERT_EQ(table_.RefreshProcessList(), 0u);
    sockets_.tcp = {Connection(5001, 80, kGame), Connection(5000, 443, kBrowser)};
    ASSERT_EQ(table_.RefreshProcessList(), 0u);

    {
        base::AutoLock hold(lock_);
        table_.MarkExited(table_.Processes().Head(), At(12, 0, 0));
    }
    const ProcessRecord& game = OnlyRecordOf(kGame);
    EXPECT_EQ(game.state, engine::kStateExited);
    EXPECT_EQ(game.name, u"game.exe(已关闭)");
    EXPECT_EQ(game.exitTime, At(12, 0, 0));
    for (const ConnectionRecord& c : game.connections) {
        EXPECT_EQ(c.state, engine::kStateClosed);
        EXPECT_EQ(c.endTime, At(12, 0, 0));
    }
    EXPECT_EQ(Find(5000), &OnlyRecordOf(kBrowser).connections.at(0));
    EXPECT_EQ(Find(5001), nullptr);
}

TEST_F(ProcessTableTest, OwnersWithoutANameStillGetRecords) {
    sockets_.tcp = {{TcpState::kTimeWait, Ip(127, 0, 0, 1), 5000, Ip(127, 0, 0, 1), 80, 0},
                    Connection(5001, 80, 4),
                    Connection(5002, 80, 777)};
    ASSERT_EQ(table_.InitProcessList(), 0u);
    EXPECT_EQ(OnlyRecordOf(0).name, u"System Idle Process");
    EXPECT_EQ(OnlyRecordOf(4).name, u"System");
    EXPECT_EQ(OnlyRecordOf(777).name, u"");
    EXPECT_EQ(OnlyRecordOf(777).connections.size(), 1u);
}

TEST_F(ProcessTableTest, FailedTableCallsChangeNothing) {
    testing_support::LogCapture log;
    sockets_.tcp = {Connection(5000, 80, kGame)};
    ASSERT_EQ(table_.InitProcessList(), 0u);

    sockets_.tcp = {Connection(6000, 80, kGame)};
    sockets_.tcpError = 5;
    EXPECT_EQ(table_.RefreshProcessList(), 5u);
    EXPECT_EQ(log.CountStartingWith("获取TCP连接失败 in RefreshProcessList，error no = 5 "), 1);
    EXPECT_EQ(table_.SnapshotPorts(), std::vector<std::uint16_t>{5000});

    sockets_.tcpError = 0;
    sockets_.udpError = 31;
    EXPECT_EQ(table_.RefreshProcessList(), 31u);
    EXPECT_EQ(table_.SnapshotPorts(), std::vector<std::uint16_t>{5000});
    EXPECT_EQ(log.CountStartingWith("获取UDP连接失败"), 0);
}

TEST_F(ProcessTableTest, FailedInitNamesTheTableThatFailed) {
    struct Case {
        std::uint32_t tcpError;
        std::uint32_t udpError;
        const char* message;
    };
    const Case cases[] = {
        {1168, 0, "获取TCP连接失败 in InitProcessList，error no = 1168 "},
        {0, 50, "获取UDP连接失败 in InitProcessList，error no = 50 "},
        {engine::kOutOfMemory, 0, "分配内存失败 in InitProcessList，error no = 8 "},
    };
    for (const Case& c : cases) {
        testing_support::LogCapture log;
        sockets_.tcpError = c.tcpError;
        sockets_.udpError = c.udpError;
        EXPECT_EQ(table_.InitProcessList(), c.tcpError + c.udpError);
        EXPECT_EQ(log.Messages(), std::vector<std::string>{c.message});
        EXPECT_EQ(table_.Processes().Count(), 0u);
    }
}

// The decoder counts under the engine lock while the refresh thread changes the table.
TEST_F(ProcessTableTest, CountingAndRefreshingRunSideBySide) {
    sockets_.tcp = {Connection(5000, 80, kGame)};
    ASSERT_EQ(table_.InitProcessList(), 0u);
    std::atomic<bool> done{false};
    std::thread decoder([&] {
        for (int i = 0; i < 20000 && !done.load(); ++i) {
            base::AutoLock hold(lock_);
            if (ConnectionRecord* record = table_.FindPortRecord(static_cast<std::uint16_t>(5000 + i % 4))) {
                record->bytesDown += 1;
            }
        }
    });
    for (int round = 0; round < 50; ++round) {
        sockets_.tcp = {Connection(5000, 80, kGame)};
        for (int p = 1; p < 4; ++p) {
            if ((round + p) % 2 == 0) {
                sockets_.tcp.push_back(Connection(static_cast<std::uint16_t>(5000 + p), 80, kBrowser));
            }
        }
        ASSERT_EQ(table_.RefreshProcessList(), 0u);
    }
    done = true;
    decoder.join();
    base::AutoLock hold(lock_);
    EXPECT_EQ(table_.Processes().Count(), 2u);
}

}  // namespace
