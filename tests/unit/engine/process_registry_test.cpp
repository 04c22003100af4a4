#include "engine/process_registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "base/worker_thread.h"
#include "engine/process_list_push.h"
#include "engine/table_threads.h"
#include "statistics_fixture.h"
#include "support/log_capture.h"

namespace {

using engine_test::FreeForOthers;
using engine_test::StatisticsScene;
using engine_test::Tcp;
using ProcessRegistryTest = engine_test::StatisticsTest;

TEST_F(ProcessRegistryTest, StatusPassMarksAnEndedProcessOnceAndNeverAsksAboutIdleOrSystem) {
    AddProcess(100, u"game.exe", {5000});
    AddProcess(200, u"browser.exe", {6000});
    sockets_.tcp.push_back(Tcp(5001, 0));
    sockets_.tcp.push_back(Tcp(5002, 4));
    Start();
    End(100, 600);
    EXPECT_EQ(Table(),
              "100 game.exe(已关闭) exited: 5000- | 200 browser.exe: 6000 | 0 System Idle Process: 5001 | "
              "4 System: 5002");
    EXPECT_EQ(Process(100)->exitTime, Second(600));
    EXPECT_EQ(exited_, (decltype(exited_){{100, u"game.exe(已关闭)"}}));
    EXPECT_FALSE(processes_.runningQueries.contains(0));
    EXPECT_FALSE(processes_.runningQueries.contains(4));

    const int asked = processes_.runningQueries[100];
    EXPECT_TRUE(registry_.RefreshProcessStatus(u"host.exe", hooks_));
    EXPECT_EQ(exited_.size(), 1u);
    EXPECT_EQ(processes_.runningQueries[100], asked) << "an exited record is not asked about again";
}

TEST_F(ProcessRegistryTest, EndOfTheHostProcessRequestsExitAndEndsThePass) {
    AddProcess(300, u"updater.exe", {5000});
    AddProcess(200, u"host.exe", {6000});
    AddProcess(100, u"game.exe", {7000});
    Start();
    for (std::uint32_t pid : {300u, 200u, 100u}) {
        processes_.processes[pid].running = false;
    }
    EXPECT_FALSE(registry_.RefreshProcessStatus(u"host.exe", hooks_));
    EXPECT_EQ(exitRequests_, 1);
    EXPECT_EQ(Table(), "300 updater.exe(已关闭) exited: 5000- | 200 host.exe: 6000 | 100 game.exe: 7000");
}

TEST_F(ProcessRegistryTest, PidReusedAfterAnExitGetsANewRecordAndTheOldStaysExited) {
    processes_.Add(100, u"game.exe", 1);
    sockets_.tcp = {Tcp(5000, 100)};
    Start();
    End(100, 300);
    processes_.Add(100, u"player.exe", 2);
    sockets_.tcp = {Tcp(6000, 100)};
    Refresh(360);
    EXPECT_TRUE(registry_.RefreshProcessStatus(u"host.exe", hooks_));
    EXPECT_EQ(Table(), "100 game.exe(已关闭) exited: 5000- | 100 player.exe: 6000");
}

// game.exe (pid 100) ran from second 0 to 1200, a second game.exe (pid 101) from 1800; browser.exe since
// second 0. Now is second 3600.
class ProcessQueriesTest : public engine_test::StatisticsTest {
  protected:
    void SetUp() override {
        AddProcess(100, u"game.exe", {5000});
        AddProcess(200, u"browser.exe", {6000});
        Start();
        End(100, 1200);
        AddProcess(101, u"game.exe", {7000});
        Refresh(1800);
        clock_.time = Second(3600);
    }
    base::SystemTime time_;
};

TEST_F(ProcessQueriesTest, StartExitAndTotalTimes) {
    EXPECT_EQ(registry_.GetStartTimeByPid(101, time_), engine::kTimeFound);
    EXPECT_EQ(time_, Second(1800));
    EXPECT_EQ(registry_.GetStartTimeByPid(100, time_), engine::kTimeNone) << "exited";
    EXPECT_EQ(time_, base::SystemTime{});
    EXPECT_EQ(registry_.GetStartTimeByName(u"GAME.EXE", time_), engine::kTimeFound);
    EXPECT_EQ(time_, Second(1800)) << "the exited record's name carries the marker";
    EXPECT_EQ(registry_.GetStartTimeByName(u"game.exe(已关闭)", time_), engine::kTimeFound);
    EXPECT_EQ(time_, Second(0));
    EXPECT_EQ(registry_.GetStartTimeByName(u"a.ex", time_), engine::kTimeNone) << "names need 5 characters";

    EXPECT_EQ(registry_.GetExitTimeByName(u"game.exe(已关闭)", time_), engine::kTimeFound);
    EXPECT_EQ(time_, Second(1200));
    EXPECT_EQ(registry_.GetExitTimeByName(u"game.exe", time_), engine::kTimeRunning);
    EXPECT_EQ(registry_.GetExitTimeByName(u"absent.exe", time_), engine::kTimeNone);
    EXPECT_EQ(registry_.GetExitTimeByPid(101, time_), engine::kTimeRunning);
    EXPECT_EQ(registry_.GetExitTimeByPid(100, time_), engine::kTimeNone);

    // The total sums every record of the name.
    EXPECT_EQ(registry_.GetTotalTimeByName(u"browser.exe"), 3600u);
    EXPECT_EQ(registry_.GetTotalTimeByName(u"game.exe(已关闭)"), 1200u);
    EXPECT_EQ(registry_.GetTotalTimeByName(u"GAME.exe"), 1800u);
    EXPECT_EQ(registry_.GetTotalTimeByName(u"abc"), 0u);
    clock_.time = Second(-3600);  // a running record would have started in the future
    EXPECT_EQ(registry_.GetTotalTimeByName(u"browser.exe"), 0u);
}

// The first start prefers running records; the last exit is now while one runs.
TEST_F(ProcessQueriesTest, AcceleratedProcessTimes) {
    EXPECT_EQ(registry_.GetFirstAccelerateStartTime(time_), engine::kTimeNone);
    EXPECT_EQ(registry_.GetLastAccelerateExitTime(time_), engine::kTimeNone);
    Accelerate(u"game.exe;");
    EXPECT_EQ(registry_.GetFirstAccelerateStartTime(time_), engine::kTimeRunning);
    EXPECT_EQ(time_, Second(1800)) << "the earlier record has exited";
    EXPECT_EQ(registry_.GetLastAccelerateExitTime(time_), engine::kTimeRunning);
    EXPECT_EQ(time_, Second(3600));
    End(101, 4200);
    clock_.time = Second(7200);
    EXPECT_EQ(registry_.GetFirstAccelerateStartTime(time_), engine::kTimeFound);
    EXPECT_EQ(time_, Second(0));
    EXPECT_EQ(registry_.GetLastAccelerateExitTime(time_), engine::kTimeFound);
    EXPECT_EQ(time_, Second(4200));
}

TEST(AccelerationActivity, ANamedProcessOrUnclearAliasMakesItActive) {
    const struct {
        std::u16string_view process;
        std::u16string_view accelerated;
        std::u16string_view unclear;
        bool exits;
        std::uint32_t active;
        std::u16string_view name;  // what GetAcceleratedProcess answers
    } cases[] = {
        {u"Game.exe", u"other.exe;", u"", false, 0, u""},
        {u"Game.exe", u"GAME.EXE;", u"", false, 1, u"Game.exe"},
        {u"Game.exe", u"GAME.EXE;", u"", true, 0, u""},  // the exited record's name carries the marker
        // The monitor's own name is left out exactly from the activity, without case from the name.
        {u"kvtmon.exe", u"kvtmon.exe;", u"", false, 0, u""},
        {u"KVTMON.exe", u"kvtmon.exe;", u"", false, 1, u""},
        // An unclear alias counts even for an exited record.
        {u"xydclient.exe", u"game.exe;", u"", true, 0, u""},
        {u"xydclient.exe", u"game.exe;", u"侠义道.exe;", true, 1, u"xydclient.exe(已关闭)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(base::Utf16ToUtf8(c.process) + " " + base::Utf16ToUtf8(c.accelerated));
        StatisticsScene s;
        s.AddProcess(100, c.process, {5000});
        s.Start();
        s.Accelerate(c.accelerated);
        if (!c.unclear.empty()) {
            s.Unclear(c.unclear);
        }
        if (c.exits) {
            s.End(100, 10);
        }
        EXPECT_EQ(s.registry_.IsAccelerationActive(), c.active);
        std::u16string name, path;
        s.registry_.GetAcceleratedProcess(name, path);
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(path, c.name.empty() ? u"" : engine_test::PathOf(c.process));
    }
}

// A stop resets the accelerated side under the engine lock and forgets the names; a resume resets nothing
// and looks for the tunnel again.
TEST_F(ProcessRegistryTest, StopAlarmResetsTheAcceleratedSideAndResumeLooksForTheTunnel) {
    testing_support::LogCapture log;
    int resets = 0;
    registry_.SetAcceleratedStatisticsReset([&] { resets += FreeForOthers(lock_) ? 100 : 1; });
    Accelerate(u"game.exe;");
    interfaces_.rows = {{7, u"PPP adapter", 0, 0}};
    interfaces_.adapters = {{u"ppp adapter", {"172.16.0.9"}}};
    registry_.StopAlarm(0);
    EXPECT_EQ(adapter_.InterfaceIndex(), 7u);
    EXPECT_EQ(lists_.AccelerateNames(), std::vector<std::u16string>{u"game.exe"});
    registry_.StopAlarm(1);
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(lists_.AccelerateNames(), std::vector<std::u16string>{u"kvtmon.exe"});
    EXPECT_EQ(log.CountStartingWith("停止报警 bStop = 1，"), 1);
}

// The table threads on a scene with game.exe and host.exe.
struct ThreadScene : StatisticsScene {
    ThreadScene() {
        AddProcess(100, u"game.exe", {5000});
        AddProcess(200, u"host.exe", {6000});
        Start();
        sockets_.tcp.push_back(Tcp(7000, 100));
    }
    engine::RefreshPortLinks PortLinks() { return {running_, refreshRequested_, quit_, table_, 10}; }
    engine::RefreshStatusLinks StatusLinks() { return {running_, quit_, registry_, u"host.exe", hooks_, 10}; }
    bool Indexed(std::uint16_t port) { return std::ranges::count(table_.SnapshotPorts(), port) != 0; }
    std::atomic<std::uint8_t> refreshRequested_{1};
    base::Event quit_{base::EventReset::kManual, false};
};

// With the quit event already signalled, the loop makes one pass on this thread. A raised flag refreshes
// the table and is cleared; a failed pass is logged and tried again at once.
TEST(RefreshProcessPort, ARaisedFlagRefreshesWhileRunning) {
    const struct {
        std::uint8_t flag;
        std::uint32_t running;
        int throws;
        bool refreshed;
    } cases[] = {{1, 1, 0, true}, {0, 1, 0, false}, {1, 0, 0, false}, {1, 1, 2, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int{c.flag} << c.running << c.throws);
        testing_support::LogCapture log;
        ThreadScene s;
        s.refreshRequested_ = c.flag;
        s.running_ = c.running;
        s.sockets_.throwsLeft = c.throws;
        s.quit_.Set();
        engine::RefreshProcessPort(s.PortLinks());
        EXPECT_EQ(s.Indexed(7000), c.refreshed);
        EXPECT_EQ(s.refreshRequested_.load(), c.refreshed || c.flag == 0 ? 0u : 1u);
        // The message has no line end, so both land on one line.
        EXPECT_EQ(log.CountStartingWith("catch some execptions in RefreshProcessPort Thread"),
                  c.throws ? 1 : 0);
    }
}

TEST(RefreshProcessPort, APortsFirstMissWakesTheRefreshBeforeItsPeriodAndQuitEndsIt) {
    ThreadScene s;
    s.refreshRequested_ = 0;
    auto links = s.PortLinks();
    links.periodMs = 600000;
    base::WorkerThread port;
    ASSERT_TRUE(port.Start([&] { engine::RefreshProcessPort(links); }));
    {
        base::AutoLock hold(s.lock_);
        EXPECT_EQ(s.table_.FindPortRecord(7000), nullptr);
    }
    for (int i = 0; i < 1000 && !s.Indexed(7000); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(s.Indexed(7000));
    s.quit_.Set();
    EXPECT_TRUE(port.Join(10000));
}

// The loop ends by itself once it finds the host gone; the quit event is never signalled.
TEST(RefreshProcessStatus, PassesRunUntilTheHostProcessEnds) {
    ThreadScene ending;
    ending.processes_.processes[100].running = false;
    ending.processes_.processes[200].running = false;
    engine::RefreshProcessStatus(ending.StatusLinks());
    EXPECT_EQ(ending.exitRequests_, 1);
    EXPECT_EQ(ending.exited_.size(), 1u);
}

// One entry per record in list order, sent after the engine lock is released, so that a plugin that does
// not read holds up no request handler; a channel that is gone ends the round.
TEST_F(ProcessRegistryTest, ProcessListRoundIsSentInListOrderWithoutTheEngineLock) {
    AddProcess(10, u"a.exe", {5000});
    AddProcess(20, u"b.exe", {5001, 5002});
    AddProcess(30, u"c.exe", {5003});
    Start();
    std::vector<engine::ProcessListEntry> sent;
    bool lockFree = true;
    EXPECT_EQ(engine::PostProcessList(table_,
                                      [&](const engine::ProcessListEntry& entry) {
                                          lockFree = lockFree && FreeForOthers(lock_);
                                          sent.push_back(entry);
                                          return true;
                                      }),
              3u);
    EXPECT_TRUE(lockFree);
    ASSERT_EQ(sent.size(), 3u);
    for (std::uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(std::tie(sent[i].sequence, sent[i].index, sent[i].pid, sent[i].portCount, sent[i].name),
                  std::make_tuple(i == 0 ? 1u : 2u, i, 10 * (i + 1), i == 1 ? 2u : 1u,
                                  std::u16string(1, u'a' + i) + u".exe"))
            << i;
    }
    int calls = 0;
    EXPECT_EQ(
        engine::PostProcessList(table_, [&](const engine::ProcessListEntry&) { return ++calls, false; }), 0u);
    EXPECT_EQ(calls, 1);
}

TEST_F(ProcessRegistryTest, ProcessListThreadWaitsAFullPeriodBeforeItsFirstRoundAndEndsOnQuit) {
    AddProcess(10, u"a.exe", {5000});
    Start();
    base::Event quit(base::EventReset::kManual, false);
    base::Event firstRound(base::EventReset::kManual, false);
    engine::PostDataLinks links{running_, quit, table_, [&](const engine::ProcessListEntry&) {
                                    firstRound.Set();
                                    return true;
                                }};
    links.periodMs = 200;
    std::thread worker([&] { engine::PostData2Plugin(links); });
    EXPECT_FALSE(firstRound.Wait(100)) << "nothing before one period";
    EXPECT_TRUE(firstRound.Wait(10000));
    quit.Set();
    worker.join();
}

}  // namespace
