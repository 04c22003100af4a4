#include "engine/process_registry.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "statistics_fixture.h"
#include "support/log_capture.h"

namespace {

using engine::ProcessRecord;
using engine::TcpRow;
using engine::TcpState;
using engine_test::At;
using engine_test::Ip;

TcpRow Port(std::uint16_t port, std::uint32_t pid) {
    return {TcpState::kEstablished, Ip(127, 0, 0, 1), port, Ip(127, 0, 0, 1), 80, pid};
}

// The table, lists and registry of a statistics scene, with times of the day and the pass's hooks.
class ProcessRegistryTest : public ::testing::Test, protected engine_test::StatisticsScene {
protected:
    void Start(std::vector<TcpRow> rows, base::SystemTime at) {
        sockets_.tcp = std::move(rows);
        clock_.time = at;
        ASSERT_EQ(table_.InitProcessList(), 0u);
    }
    void Open(std::vector<TcpRow> rows, base::SystemTime at) {
        sockets_.tcp.insert(sockets_.tcp.end(), rows.begin(), rows.end());
        clock_.time = at;
        ASSERT_EQ(table_.RefreshProcessList(), 0u);
    }
    // The processes end, their sockets go, and the next status pass, at `at`, notices it.
    void End(std::initializer_list<std::uint32_t> pids, base::SystemTime at) {
        for (std::uint32_t pid : pids) {
            processes_.processes[pid].running = false;
            std::erase_if(sockets_.tcp, [pid](const TcpRow& row) { return row.pid == pid; });
        }
        clock_.time = at;
        EXPECT_TRUE(registry_.RefreshProcessStatus(u"host.exe", hooks_));
    }

    std::vector<std::pair<std::uint32_t, std::u16string>> exited_;
    int exitRequests_ = 0;
    engine::ProcessStatusHooks hooks_{
        [this](std::uint32_t pid, const std::u16string& name) { exited_.emplace_back(pid, name); },
        [this] { ++exitRequests_; }};
};

TEST_F(ProcessRegistryTest, StatusPassMarksAnEndedProcessOnce) {
    processes_.Add(100, u"game.exe");
    processes_.Add(200, u"browser.exe");
    Start({Port(5000, 100), Port(6000, 200)}, At(10, 0, 0));
    End({100}, At(10, 10, 0));

    const ProcessRecord* game = Process(100);
    EXPECT_EQ(game->state, engine::kStateExited);
    EXPECT_EQ(game->name, u"game.exe(已关闭)");
    EXPECT_EQ(game->exitTime, At(10, 10, 0));
    EXPECT_EQ(game->connections.at(0).state, engine::kStateClosed);
    EXPECT_EQ(game->connections.at(0).endTime, At(10, 10, 0));
    EXPECT_EQ(table_.SnapshotPorts(), std::vector<std::uint16_t>{6000});
    EXPECT_EQ(Process(200)->state, engine::kStateRunning);
    ASSERT_EQ(exited_.size(), 1u);
    EXPECT_EQ(exited_[0], std::make_pair(100u, std::u16string(u"game.exe(已关闭)")));

    const int asked = processes_.runningQueries[100];
    End({}, At(10, 15, 0));
    EXPECT_EQ(exited_.size(), 1u);
    EXPECT_EQ(processes_.runningQueries[100], asked) << "an exited record is not asked about again";
}

TEST_F(ProcessRegistryTest, EndOfTheHostProcessRequestsExitAndChangesNothingMore) {
    processes_.Add(300, u"updater.exe");
    processes_.Add(200, u"host.exe");
    processes_.Add(100, u"game.exe");
    Start({Port(5000, 300), Port(6000, 200), Port(7000, 100)}, At(10, 0, 0));
    for (std::uint32_t pid : {300u, 200u, 100u}) {
        processes_.processes[pid].running = false;
    }
    EXPECT_FALSE(registry_.RefreshProcessStatus(u"host.exe", hooks_));

    EXPECT_EQ(exitRequests_, 1);
    EXPECT_EQ(Process(300)->state, engine::kStateExited);
    EXPECT_EQ(Process(200)->state, engine::kStateRunning);
    EXPECT_EQ(Process(200)->name, u"host.exe");
    EXPECT_EQ(Process(100)->state, engine::kStateRunning) << "the pass ends at the host";
}

TEST_F(ProcessRegistryTest, IdleAndSystemProcessesAreNeverTestedForExit) {
    processes_.Add(100, u"game.exe");
    Start({Port(5000, 0), Port(5001, 4), Port(5002, 100)}, At(10, 0, 0));
    End({100}, At(10, 1, 0));
    EXPECT_FALSE(processes_.runningQueries.contains(0));
    EXPECT_FALSE(processes_.runningQueries.contains(4));
    EXPECT_EQ(Process(0)->state, engine::kStateRunning);
    EXPECT_EQ(Process(4)->state, engine::kStateRunning);
}

TEST_F(ProcessRegistryTest, PidReusedAfterAnExitGetsANewRecordAndTheOldStaysExited) {
    processes_.Add(100, u"game.exe", 1);
    Start({Port(5000, 100)}, At(10, 0, 0));
    End({100}, At(10, 5, 0));
    processes_.Add(100, u"player.exe", 2);
    Open({Port(6000, 100)}, At(10, 6, 0));
    End({}, At(10, 7, 0));

    ASSERT_EQ(table_.Processes().Count(), 2u);
    auto record = table_.Processes().begin();
    EXPECT_EQ(record->pid, 100u);
    EXPECT_EQ(record->name, u"game.exe(已关闭)");
    EXPECT_EQ(record->state, engine::kStateExited);
    ++record;
    EXPECT_EQ(record->pid, 100u);
    EXPECT_EQ(record->name, u"player.exe");
    EXPECT_EQ(record->state, engine::kStateRunning);
}

// game.exe (pid 100) ran 10:00-10:20, a second game.exe (pid 101) from 10:30; browser.exe since 10:00.
class ProcessQueriesTest : public ProcessRegistryTest {
protected:
    void SetUp() override {
        processes_.Add(100, u"game.exe");
        processes_.Add(200, u"browser.exe");
        processes_.Add(101, u"game.exe");
        Start({Port(5000, 100), Port(6000, 200)}, At(10, 0, 0));
        End({100}, At(10, 20, 0));
        Open({Port(7000, 101)}, At(10, 30, 0));
        clock_.time = At(11, 0, 0);
    }
    base::SystemTime time_;
};

TEST_F(ProcessQueriesTest, StartTimes) {
    EXPECT_EQ(registry_.GetStartTimeByPid(101, time_), engine::kTimeFound);
    EXPECT_EQ(time_, At(10, 30, 0));
    EXPECT_EQ(registry_.GetStartTimeByPid(100, time_), engine::kTimeNone) << "exited";
    EXPECT_EQ(time_, base::SystemTime{});
    EXPECT_EQ(registry_.GetStartTimeByName(u"GAME.EXE", time_), engine::kTimeFound);
    EXPECT_EQ(time_, At(10, 30, 0)) << "the exited record's name carries the marker";
    EXPECT_EQ(registry_.GetStartTimeByName(u"game.exe(已关闭)", time_), engine::kTimeFound);
    EXPECT_EQ(time_, At(10, 0, 0));
    EXPECT_EQ(registry_.GetStartTimeByName(u"a.ex", time_), engine::kTimeNone) << "names need 5 characters";
}

TEST_F(ProcessQueriesTest, ExitTimes) {
    EXPECT_EQ(registry_.GetExitTimeByName(u"game.exe(已关闭)", time_), engine::kTimeFound);
    EXPECT_EQ(time_, At(10, 20, 0));
    EXPECT_EQ(registry_.GetExitTimeByName(u"game.exe", time_), engine::kTimeRunning);
    EXPECT_EQ(registry_.GetExitTimeByName(u"absent.exe", time_), engine::kTimeNone);
    EXPECT_EQ(registry_.GetExitTimeByPid(101, time_), engine::kTimeRunning);
    EXPECT_EQ(registry_.GetExitTimeByPid(100, time_), engine::kTimeNone);
}

TEST_F(ProcessQueriesTest, TotalTimeSumsEveryRecordOfTheName) {
    EXPECT_EQ(registry_.GetTotalTimeByName(u"browser.exe"), 3600u);
    EXPECT_EQ(registry_.GetTotalTimeByName(u"game.exe(已关闭)"), 1200u);
    EXPECT_EQ(registry_.GetTotalTimeByName(u"GAME.exe"), 1800u);
    EXPECT_EQ(registry_.GetTotalTimeByName(u"abc"), 0u);
    clock_.time = At(9, 0, 0);  // a running record would have started in the future
    EXPECT_EQ(registry_.GetTotalTimeByName(u"browser.exe"), 0u);
}

TEST_F(ProcessQueriesTest, FirstAccelerateStartPrefersRunningRecords) {
    EXPECT_EQ(registry_.GetFirstAccelerateStartTime(time_), engine::kTimeNone);
    Accelerate(u"game.exe;");
    EXPECT_EQ(registry_.GetFirstAccelerateStartTime(time_), engine::kTimeRunning);
    EXPECT_EQ(time_, At(10, 30, 0)) << "the earlier record has exited";
    End({101}, At(11, 10, 0));
    EXPECT_EQ(registry_.GetFirstAccelerateStartTime(time_), engine::kTimeFound);
    EXPECT_EQ(time_, At(10, 0, 0));
}

TEST_F(ProcessQueriesTest, LastAccelerateExitIsNowWhileOneRuns) {
    EXPECT_EQ(registry_.GetLastAccelerateExitTime(time_), engine::kTimeNone);
    Accelerate(u"game.exe;");
    EXPECT_EQ(registry_.GetLastAccelerateExitTime(time_), engine::kTimeRunning);
    EXPECT_EQ(time_, At(11, 0, 0));
    End({101}, At(11, 10, 0));
    clock_.time = At(12, 0, 0);
    EXPECT_EQ(registry_.GetLastAccelerateExitTime(time_), engine::kTimeFound);
    EXPECT_EQ(time_, At(11, 10, 0));
}

TEST_F(ProcessRegistryTest, AccelerationIsActiveWhileANamedProcessRuns) {
    processes_.Add(100, u"Game.exe");
    processes_.Add(200, u"kvtmon.exe");
    Start({Port(5000, 100), Port(6000, 200)}, At(10, 0, 0));
    EXPECT_EQ(registry_.IsAccelerationActive(), 0u);

    lists_.ResetToOwnName();
    EXPECT_EQ(registry_.IsAccelerationActive(), 0u) << "the monitor's own name does not count";

    Accelerate(u"GAME.EXE;");
    EXPECT_EQ(registry_.IsAccelerationActive(), 1u);
    std::u16string name, path;
    registry_.GetAcceleratedProcess(name, path);
    EXPECT_EQ(name, u"Game.exe");
    EXPECT_EQ(path, engine_test::PathOf(u"Game.exe"));

    End({100}, At(10, 5, 0));
    EXPECT_EQ(registry_.IsAccelerationActive(), 0u);
    registry_.GetAcceleratedProcess(name, path);
    EXPECT_TRUE(name.empty()) << "the exited record's name carries the marker";
}

TEST_F(ProcessRegistryTest, TheMonitorsOwnNameIsExcludedExactlyFromActivityButWithoutCaseFromTheName) {
    processes_.Add(200, u"KVTMON.exe");
    Start({Port(5000, 200)}, At(10, 0, 0));
    Accelerate(u"kvtmon.exe;");
    EXPECT_EQ(registry_.IsAccelerationActive(), 1u);
    std::u16string name, path;
    registry_.GetAcceleratedProcess(name, path);
    EXPECT_TRUE(name.empty());
}

TEST_F(ProcessRegistryTest, AnUnclearAliasCountsEvenForAnExitedRecord) {
    processes_.Add(100, u"xydclient.exe");
    Start({Port(6000, 100)}, At(10, 0, 0));
    End({100}, At(10, 5, 0));
    Accelerate(u"game.exe;");
    EXPECT_EQ(registry_.IsAccelerationActive(), 0u);

    Unclear(u"侠义道.exe;");
    EXPECT_EQ(registry_.IsAccelerationActive(), 1u);
    std::u16string name, path;
    registry_.GetAcceleratedProcess(name, path);
    EXPECT_EQ(name, u"xydclient.exe(已关闭)");
    EXPECT_EQ(path, engine_test::PathOf(u"xydclient.exe"));
}

TEST_F(ProcessRegistryTest, StopAlarmResetsTheAcceleratedSideUnderTheEngineLock) {
    testing_support::LogCapture log;
    Accelerate(u"game.exe;");
    int resets = 0;
    registry_.SetAcceleratedStatisticsReset([&] {
        ++resets;
        auto tryLock = std::async(std::launch::async, [&] {
            const bool locked = lock_.try_lock();
            if (locked) {
                lock_.unlock();
            }
            return locked;
        });
        EXPECT_FALSE(tryLock.get());
    });

    registry_.StopAlarm(1);
    EXPECT_EQ(registry_.AlarmStopped(), 1u);
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(lists_.AccelerateNames(), std::vector<std::u16string>{u"kvtmon.exe"});
    EXPECT_EQ(log.CountStartingWith("停止报警 bStop = 1，"), 1);
}

TEST_F(ProcessRegistryTest, ResumedAccelerationLooksForTheTunnelAgain) {
    Accelerate(u"game.exe;");
    interfaces_.rows = {{7, u"PPP adapter", 0, 0}};
    interfaces_.adapters = {{u"ppp adapter", {"172.16.0.9"}}};
    const int listings = interfaces_.interfaceListings;
    bool reset = false;
    registry_.SetAcceleratedStatisticsReset([&] { reset = true; });

    registry_.StopAlarm(0);
    EXPECT_EQ(registry_.AlarmStopped(), 0u);
    EXPECT_EQ(interfaces_.interfaceListings, listings + 1);
    EXPECT_EQ(adapter_.InterfaceIndex(), 7u);
    EXPECT_FALSE(reset);
    EXPECT_EQ(lists_.AccelerateNames(), std::vector<std::u16string>{u"game.exe"});
}

}  // namespace
