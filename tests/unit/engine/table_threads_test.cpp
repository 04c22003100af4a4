#include "engine/table_threads.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "base/worker_thread.h"
#include "statistics_fixture.h"
#include "support/log_capture.h"

namespace {

using engine::TcpRow;
using engine::TcpState;
using engine_test::Ip;

TcpRow Port(std::uint16_t port, std::uint32_t pid) {
    return {TcpState::kEstablished, Ip(127, 0, 0, 1), port, Ip(127, 0, 0, 1), 80, pid};
}

// The table and registry of a statistics scene, and the links of the two table threads.
class TableThreadsTest : public ::testing::Test, protected engine_test::StatisticsScene {
  protected:
    void SetUp() override {
        AddProcess(100, u"game.exe", {5000});
        AddProcess(200, u"host.exe", {6000});
        Start();
    }

    engine::RefreshPortLinks PortLinks() { return {running_, refreshRequested_, quit_, table_, 10}; }
    engine::RefreshStatusLinks StatusLinks() {
        return {running_,
                quit_,
                registry_,
                u"host.exe",
                engine::ProcessStatusHooks{
                    [this](std::uint32_t pid, const std::u16string&) { exited_.push_back(pid); },
                    [this] { ++exitRequests_; }},
                10};
    }
    bool Indexed(std::uint16_t port) {
        const auto ports = table_.SnapshotPorts();
        return std::find(ports.begin(), ports.end(), port) != ports.end();
    }

    std::atomic<std::uint8_t> refreshRequested_{1};
    base::Event quit_{base::EventReset::kManual, false};
    std::vector<std::uint32_t> exited_;
    int exitRequests_ = 0;
};

// With the quit event already signalled, a loop makes exactly one pass and returns on the same thread.
TEST_F(TableThreadsTest, ARaisedFlagRefreshesTheTableAndIsCleared) {
    sockets_.tcp.push_back(Port(7000, 100));
    quit_.Set();
    engine::RefreshProcessPort(PortLinks());
    EXPECT_TRUE(Indexed(7000));
    EXPECT_EQ(refreshRequested_.load(), 0u);
}

TEST_F(TableThreadsTest, NoRefreshWithoutTheFlagOrOnceStopped) {
    sockets_.tcp.push_back(Port(7000, 100));
    quit_.Set();
    refreshRequested_ = 0;
    engine::RefreshProcessPort(PortLinks());
    EXPECT_FALSE(Indexed(7000));

    refreshRequested_ = 1;
    running_ = 0;
    engine::RefreshProcessPort(PortLinks());
    EXPECT_FALSE(Indexed(7000));
    EXPECT_EQ(refreshRequested_.load(), 1u);
}

TEST_F(TableThreadsTest, AFailedPassIsLoggedAndTriedAgainAtOnce) {
    testing_support::LogCapture log;
    sockets_.tcp.push_back(Port(7000, 100));
    sockets_.throwsLeft = 2;
    quit_.Set();
    engine::RefreshProcessPort(PortLinks());
    EXPECT_TRUE(Indexed(7000));
    EXPECT_EQ(refreshRequested_.load(), 0u);
    EXPECT_EQ(log.CountStartingWith("catch some execptions in RefreshProcessPort Thread"), 1)
        << "the message has no line end, so both land on one line";
}

TEST_F(TableThreadsTest, APortsFirstMissWakesTheRefreshBeforeItsPeriod) {
    refreshRequested_ = 0;
    sockets_.tcp.push_back(Port(7000, 100));
    auto links = PortLinks();
    links.periodMs = 600000;
    base::WorkerThread port;
    ASSERT_TRUE(port.Start([&] { engine::RefreshProcessPort(links); }));
    {
        base::AutoLock hold(table_.EngineLock());
        EXPECT_EQ(table_.FindPortRecord(7000), nullptr);
    }
    for (int i = 0; i < 500 && !Indexed(7000); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(Indexed(7000));
    quit_.Set();
    EXPECT_TRUE(port.Join(2000));
}

TEST_F(TableThreadsTest, TheQuitEventEndsBothLoops) {
    refreshRequested_ = 0;
    base::WorkerThread port;
    base::WorkerThread status;
    const auto portLinks = PortLinks();
    const auto statusLinks = StatusLinks();
    ASSERT_TRUE(port.Start([&] { engine::RefreshProcessPort(portLinks); }));
    ASSERT_TRUE(status.Start([&] { engine::RefreshProcessStatus(statusLinks); }));
    quit_.Set();
    EXPECT_TRUE(port.Join(2000));
    EXPECT_TRUE(status.Join(2000));
}

TEST_F(TableThreadsTest, StatusPassesRunUntilTheHostProcessEnds) {
    processes_.processes[100].running = false;
    processes_.processes[200].running = false;
    base::WorkerThread status;
    const auto links = StatusLinks();
    ASSERT_TRUE(status.Start([&] { engine::RefreshProcessStatus(links); }));
    // The loop ends by itself once it finds the host gone; the quit event is never signalled.
    EXPECT_TRUE(status.Join(5000));
    EXPECT_EQ(exitRequests_, 1);
    EXPECT_EQ(exited_, std::vector<std::uint32_t>{100});
}

}  // namespace
