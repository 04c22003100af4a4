// CCommIF on a real pipe (a named pipe on Windows, a socket on Linux) whose plugin end never reads: pushes
// come back at once, an answer after its bound, and both are counted as dropped.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "ipc/command_ids.h"
#include "unit/ipc/comm_if_test_util.h"

namespace {

using comm_if_test::Encode;
using comm_if_test::FakeRequests;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
}

// The plugin's end: accepts the monitor and never reads.
struct DeafPlugin : ::testing::Test {
    void SetUp() override {
        ASSERT_EQ(server.Create(name, 1, 4096, 4096, 1000), 1u);
        ASSERT_EQ(comm.Init(name), 1u);
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        static const std::uint8_t kNothing = 0;
        std::uint32_t written = 0;
        while (server.Write(&kNothing, 0, &written) != 1) {
            ASSERT_LT(Clock::now(), deadline) << "the server never took the connection";
            std::this_thread::sleep_for(milliseconds(5));
        }
    }
    bool Ask() {
        const auto request = Encode(ipc::cmd::kGetLocalDownReflux, ipc::NoArgs{});
        std::uint32_t written = 0;
        return server.Write(request.data(), static_cast<std::uint32_t>(request.size()), &written) == 1;
    }

    const std::u16string name = pipe_test::UniquePipeName();
    ipc::CNamedPipeSvcBlockMode server;
    FakeRequests requests;
    ipc::CCommIF comm{requests};
};

TEST_F(DeafPlugin, APushToTheFullPipeReturnsAtOnceAndIsCounted) {
    long long slowest = 0;
    for (int i = 0; i < 20000 && comm.DroppedPushes() == 0; ++i) {
        const auto start = Clock::now();
        comm.PushTotals(1, 2, 3, 4);
        slowest = std::max(slowest, MsSince(start));
    }
    EXPECT_GT(comm.DroppedPushes(), 0u);
    EXPECT_LT(slowest, 500);
    EXPECT_EQ(comm.DroppedAnswers(), 0u);
}

TEST_F(DeafPlugin, AnAnswerToTheFullPipeWaitsItsBoundThenTheStallWaitsNoMore) {
    constexpr int kRequests = 2000;
    std::thread plugin([&] {
        for (int i = 0; i < kRequests; ++i) {
            ASSERT_TRUE(Ask());
        }
    });
    // The reader asks the program once per request; it stops asking while an answer waits.
    std::size_t calls = 0;
    auto lastCall = Clock::now();
    long long held = -1;
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (Clock::now() < deadline && calls < kRequests) {
        // Looked at before the calls: those after the drop must not count as before it.
        if (held < 0 && comm.DroppedAnswers() > 0) {
            held = MsSince(lastCall);
        }
        const std::size_t more = requests.TakeCalls().size();
        if (more > 0) {
            calls += more;
            lastCall = Clock::now();
        }
        std::this_thread::sleep_for(milliseconds(2));
    }
    plugin.join();
    EXPECT_EQ(calls, static_cast<std::size_t>(kRequests));
    EXPECT_GE(held, 900);
    EXPECT_LT(held, 2500);
    // Every answer the pipe had no room for was dropped, and only the first one waited.
    EXPECT_GT(comm.DroppedAnswers(), 0u);
    EXPECT_LT(MsSince(lastCall), 3000);
}

}  // namespace
