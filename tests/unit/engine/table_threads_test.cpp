#include "engine/table_threads.h"

#include <gtest/gtest.h>

#include <chrono>
#include <new>

#include "base/worker_thread.h"
#include "engine/accelerate_adapter.h"
#include "engine/name_lists.h"
#include "engine/process_names.h"
#include "engine_fakes.h"
#include "support/log_capture.h"

namespace {

using engine::TcpRow;
using engine::TcpState;
using engine_test::Ip;

TcpRow Port(std::uint16_t port, std::uint32_t pid) {
    return {TcpState::kEstablished, Ip(127, 0, 0, 1), port, Ip(127, 0, 0, 1), 80, pid};
}

// A socket table whose first fetches throw, as an allocation failure inside a pass would.
class ThrowingSocketTable final : public engine::ISocketTableSource {
  public:
    std::uint32_t FetchTcpTable(std::vector<TcpRow>& rows) override {
        if (throwsLeft > 0) {
            --throwsLeft;
            throw std::bad_alloc();
        }
        return inner.FetchTcpTable(rows);
    }
    std::uint32_t FetchUdpTable(std::vector<engine::UdpRow>& rows) override {
        return inner.FetchUdpTable(rows);
    }
    engine_test::FakeSocketTable inner;
    int throwsLeft = 0;
};

class TableThreadsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        processes_.Add(100, u"game.exe");
        processes_.Add(200, u"host.exe");
        sockets_.inner.tcp = {Port(5000, 100), Port(6000, 200)};
        ASSERT_EQ(table_.InitProcessList(), 0u);
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

    std::atomic<std::uint32_t> running_{1};
    std::atomic<std::uint8_t> refreshRequested_{1};
    base::Event quit_{base::EventReset::kManual, false};
    base::ReentrantLock lock_;
    ThrowingSocketTable sockets_;
    engine_test::FakeProcessSource processes_;
    engine_test::FakeClock clock_;
    engine_test::FakeInterfaceTable interfaces_;
    engine::ProcessNames names_{processes_};
    engine::ProcessTable table_{lock_, sockets_, names_, clock_};
    engine::NameLists lists_{u"kvtmon.exe"};
    engine::AccelerateAdapter adapter_{interfaces_};
    engine::ProcessRegistry registry_{table_, names_, lists_, adapter_};
    std::vector<std::uint32_t> exited_;
    int exitRequests_ = 0;
};

// With the quit event already signalled, a loop makes exactly one pass and returns on the same thread.
TEST_F(TableThreadsTest, ARaisedFlagRefreshesTheTableAndIsCleared) {
    sockets_.inner.tcp.push_back(Port(7000, 100));
    quit_.Set();
    engine::RefreshProcessPort(PortLinks());
    EXPECT_TRUE(Indexed(7000));
    EXPECT_EQ(refreshRequested_.load(), 0u);
}

TEST_F(TableThreadsTest, NoRefreshWithoutTheFlagOrOnceStopped) {
    sockets_.inner.tcp.push_back(Port(7000, 100));
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
    sockets_.inner.tcp.push_back(Port(7000, 100));
    sockets_.throwsLeft = 2;
    quit_.Set();
    engine::RefreshProcessPort(PortLinks());
    EXPECT_TRUE(Indexed(7000));
    EXPECT_EQ(refreshRequested_.load(), 0u);
    EXPECT_EQ(log.CountStartingWith("catch some execptions in RefreshProcessPort Thread"), 1)
        << "the message has no line end, so both land on one line";
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
