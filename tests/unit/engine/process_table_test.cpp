#include "engine/process_table.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "engine/port_table_counter.h"
#include "statistics_fixture.h"

namespace {

using engine::TcpRow;
using engine::TcpState;
using engine_test::At;
using engine_test::Ip;
using engine_test::Tcp;

constexpr std::uint32_t kGame = 100;
constexpr std::uint32_t kBrowser = 200;
constexpr std::uint32_t kUpdater = 300;

TcpRow Listener(std::uint32_t address, std::uint16_t port, std::uint32_t pid) {
    return {TcpState::kListen, address, port, 0, 0, pid};
}

class ProcessTableTest : public ::testing::Test, protected engine_test::StatisticsScene {
  protected:
    ProcessTableTest() {
        processes_.Add(kGame, u"game.exe", 11);
        processes_.Add(kBrowser, u"browser.exe", 22);
        processes_.Add(kUpdater, u"updater.exe", 33);
    }
    // The port's record, looked up as the decoder does, past the miss window of any earlier miss.
    engine::ConnectionRecord* Find(std::uint16_t port) {
        clock_.tick += engine::kMissCacheWindowMs + 1;
        base::AutoLock hold(lock_);
        return table_.FindPortRecord(port);
    }
    void Init(std::vector<TcpRow> tcp) {
        sockets_.tcp = std::move(tcp);
        ASSERT_EQ(table_.InitProcessList(), 0u);
    }
    void List(std::vector<TcpRow> tcp) {
        sockets_.tcp = std::move(tcp);
        ASSERT_EQ(table_.RefreshProcessList(), 0u);
    }
};

TEST_F(ProcessTableTest, InitFillsTheHeadFirstThenAppendsOneRecordPerProcess) {
    sockets_.udp = {{0, 53, kGame}};
    clock_.time = At(9, 30, 0);
    // An owner without a name (pid 777) still gets a record.
    Init({Listener(Ip(127, 0, 0, 1), 5000, kGame),
          {TcpState::kEstablished, Ip(10, 0, 0, 2), 6000, Ip(1, 2, 3, 4), 80, kBrowser},
          Tcp(5002, 777)});
    EXPECT_EQ(Table(), "100 game.exe: 5000 53u | 200 browser.exe: 6000 | 777 : 5002");
    const engine::ProcessRecord& head = table_.Processes().Head();
    EXPECT_EQ(head.path, engine_test::PathOf(u"game.exe"));
    EXPECT_EQ(head.startTime, At(9, 30, 0));
    EXPECT_EQ(head.startStamp, 11u);
    EXPECT_EQ(head.connections[0].localAddress, Ip(127, 0, 0, 1));
    EXPECT_EQ(head.connections[1].localAddress, 0u);
    const engine::ConnectionRecord* browser = Find(6000);
    EXPECT_EQ(browser, &Process(kBrowser)->connections.at(0));
    EXPECT_EQ(browser->remoteAddress, Ip(1, 2, 3, 4));
    EXPECT_EQ(browser->remotePort, 80u);
}

TEST_F(ProcessTableTest, OneEntryPerPortNumberAndTheFirstRowWins) {
    sockets_.udp = {{0, 5000, kGame}, {Ip(127, 0, 0, 1), 5000, kBrowser}};
    Init({Listener(0, 5000, kGame)});
    // The UDP owner is known as a process, but its port counts to the TCP owner.
    EXPECT_EQ(Table(), "100 game.exe: 5000 | 200 browser.exe:");
    EXPECT_EQ(Find(5000), &Process(kGame)->connections[0]);

    // A listener and the connection it accepted: the listener sorts first.
    std::vector<TcpRow> rows = {Tcp(8080, kGame, 50000), Tcp(50000, kBrowser, 8080),
                                Listener(Ip(127, 0, 0, 1), 8080, kGame)};
    engine::SortTcpRows(rows);
    sockets_.udp.clear();
    Init(rows);
    EXPECT_EQ(Table(), "100 game.exe: 8080 | 200 browser.exe: 50000");
    EXPECT_EQ(Find(8080)->remotePort, 0u);
    EXPECT_EQ(Find(50000)->remotePort, 8080u);
}

// A port that vanished is closed and keeps its counters; its number goes to a new record of the next
// owner once a refresh saw it missing, and stays with the old record when none did.
TEST_F(ProcessTableTest, RefreshClosesVanishedPortsAndHandsTheirNumbersOn) {
    Init({Tcp(5000, kGame), Tcp(5001, kGame)});
    Find(5000)->bytesDown = 1234;
    const auto queries = processes_.imageQueries;
    clock_.time = At(10, 5, 0);
    List({Tcp(5001, kGame)});
    EXPECT_EQ(Table(), "100 game.exe: 5000-=0/1234 5001");
    EXPECT_EQ(Process(kGame)->connections[0].endTime, At(10, 5, 0));
    EXPECT_EQ(Process(kGame)->connections[1].endTime, At(10, 0, 0));
    EXPECT_EQ(table_.SnapshotPorts(), std::vector<std::uint16_t>{5001});
    EXPECT_EQ(processes_.imageQueries, queries) << "no new port, no name lookup";

    List({Tcp(5001, kGame), Tcp(5000, kBrowser, 443)});
    List({Tcp(5000, kBrowser, 443), Tcp(5001, kUpdater, 443)});
    EXPECT_EQ(Table(), "100 game.exe: 5000-=0/1234 5001 | 200 browser.exe: 5000");
    EXPECT_EQ(Find(5000)->remotePort, 443u);
    EXPECT_EQ(Find(5001), &Process(kGame)->connections[1]);
}

TEST_F(ProcessTableTest, NewPortsJoinTheRunningRecordOfTheirProcessWithOneNameLookupPerPass) {
    Init({Tcp(5000, kGame)});
    processes_.imageQueries.clear();
    sockets_.udp = {{0, 5003, kGame}};
    List({Tcp(5000, kGame), Tcp(5001, kGame), Tcp(5002, kGame)});
    EXPECT_EQ(Table(), "100 game.exe: 5000 5001 5002 5003u");
    EXPECT_EQ(Process(kGame)->portCount, 4u);
    EXPECT_EQ(processes_.imageQueries[kGame], 1);
}

TEST_F(ProcessTableTest, PidReusedByALaterProcessGetsARecordOfItsOwn) {
    Init({Tcp(5000, kGame)});
    // The game ended and its pid now belongs to another program, before any exit check ran.
    processes_.processes[kGame] = {engine_test::PathOf(u"player.exe"), u"player.exe", true, 99};
    List({Tcp(5000, kGame), Tcp(7000, kGame)});
    EXPECT_EQ(Table(), "100 game.exe: 5000 | 100 player.exe: 7000");
    EXPECT_EQ(Find(7000)->localPort, 7000u);
    EXPECT_EQ(std::next(table_.Processes().begin())->startStamp, 99u);
}

TEST_F(ProcessTableTest, MarkExitedClosesConnectionsAndFreesOnlyThePortsStillItsOwn) {
    Init({Tcp(5000, kGame), Tcp(5001, kGame)});
    List({Tcp(5001, kGame)});
    List({Tcp(5001, kGame), Tcp(5000, kBrowser, 443)});
    {
        base::AutoLock hold(lock_);
        table_.MarkExited(table_.Processes().Head(), At(12, 0, 0));
    }
    EXPECT_EQ(Table(), "100 game.exe(已关闭) exited: 5000- 5001- | 200 browser.exe: 5000");
    EXPECT_EQ(Process(kGame)->exitTime, At(12, 0, 0));
    EXPECT_EQ(Process(kGame)->connections[1].endTime, At(12, 0, 0));
    EXPECT_EQ(Find(5000), &Process(kBrowser)->connections.at(0));
    EXPECT_EQ(Find(5001), nullptr);
}

TEST_F(ProcessTableTest, WithoutKeepingTheMissCacheHoldsOffLookUpsForTwoSecondsAfterTheFirstMiss) {
    table_.SetKeepMissedBytes(false);
    ASSERT_EQ(table_.InitProcessList(), 0u);
    base::AutoLock hold(lock_);
    clock_.tick = 0xFFFFF000;  // across the wrap of the tick counter
    EXPECT_EQ(table_.FindPortRecord(9000), nullptr);
    EXPECT_EQ(table_.MissCache().at(9000).firstMissTick, 0xFFFFF000u);
    List({Tcp(9000, kGame)});
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
        List(listed ? std::vector<TcpRow>{Tcp(9000, kGame)} : std::vector<TcpRow>{});
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
    ASSERT_NE(table_.FindPortRecord(9000), nullptr) << "found at once, inside the miss window";
    EXPECT_EQ(engine_test::Describe(table_.Processes()), "100 game.exe: 9000=300/40");

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
    clock_.tick += engine::kMissGiveUpMs;
    List({{TcpState::kTimeWait, Ip(10, 0, 0, 2), 9004, Ip(1, 2, 3, 4), 443, 0}});
    count(9001, 5);  // a late packet of the closed connection joins its record

    ASSERT_EQ(table_.RefreshProcessList(), 0u);
    // The refresh lists new ports before it settles the misses.
    EXPECT_EQ(Table(), "200 browser.exe: 9001-=0/1005 | 300 updater.exe: 9004=0/300 9002-=0/2000");
    EXPECT_EQ(Process(kBrowser)->connections[0].remotePort, 443u);
    EXPECT_EQ(table_.Unattributed(), (engine::ByteTotals{0, 70}));
    EXPECT_EQ(table_.SnapshotPorts(), std::vector<std::uint16_t>{9004}) << "only the listed port is indexed";
}

// A failed table call ends the pass with its error before the table changes.
TEST_F(ProcessTableTest, FailedTableCallsChangeNothing) {
    const std::pair<std::uint32_t, std::uint32_t> errors[] = {
        {1168, 0}, {engine::kOutOfMemory, 0}, {0, 50}, {0, engine::kOutOfMemory}};
    for (const auto& [tcp, udp] : errors) {
        Init({Tcp(5000, kGame)});
        sockets_.tcp = {Tcp(6000, kGame)};
        sockets_.tcpError = tcp, sockets_.udpError = udp;
        EXPECT_EQ(table_.RefreshProcessList(), tcp + udp);
        EXPECT_EQ(table_.SnapshotPorts(), std::vector<std::uint16_t>{5000});
        EXPECT_EQ(table_.InitProcessList(), tcp + udp);
        EXPECT_EQ(table_.Processes().Count(), 0u);
        sockets_.tcpError = sockets_.udpError = 0;
    }
}

// The decoder counts under the engine lock while the refresh thread changes the table.
TEST_F(ProcessTableTest, CountingAndRefreshingRunSideBySide) {
    Init({Tcp(5000, kGame)});
    std::atomic<bool> done{false};
    std::thread decoder([&] {
        for (int i = 0; i < 20000 && !done; ++i) {
            base::AutoLock hold(lock_);
            if (engine::ConnectionRecord* record =
                    table_.FindPortRecord(static_cast<std::uint16_t>(5000 + i % 4))) {
                record->bytesDown += 1;
            }
        }
    });
    // Ports 5001 and 5003 come and go on every other round.
    for (int round = 0; round < 50; ++round) {
        List(round % 2 ? std::vector<TcpRow>{Tcp(5000, kGame), Tcp(5001, kBrowser), Tcp(5003, kBrowser)}
                       : std::vector<TcpRow>{Tcp(5000, kGame), Tcp(5002, kBrowser)});
    }
    done = true;
    decoder.join();
    base::AutoLock hold(lock_);
    EXPECT_EQ(table_.Processes().Count(), 2u);
}

// The decoder's counter: each direction to its own counter, UDP ports as TCP ones.
TEST_F(ProcessTableTest, PortTableCounterAddsEachDirectionToItsOwnCounter) {
    using enum engine::CountProtocol;
    using enum engine::CountDirection;
    engine::PortTableCounter counter(table_);
    sockets_.udp = {{Ip(192, 168, 1, 10), 6000, kGame}};
    Init({Tcp(5000, kGame)});
    EXPECT_TRUE(counter.CountPacket({kTcp, kUpload, 5000, 1460}));
    EXPECT_TRUE(counter.CountPacket({kTcp, kDownload, 5000, 100}));
    EXPECT_TRUE(counter.CountPacket({kTcp, kUpload, 5000, 40}));
    EXPECT_TRUE(counter.CountPacket({kUdp, kDownload, 6000, 1200}));
    EXPECT_FALSE(counter.CountPacket({kUdp, kUpload, 7000, 500}));
    EXPECT_EQ(Table(), "100 game.exe: 5000=1500/100 6000u=0/1200");
}

}  // namespace
