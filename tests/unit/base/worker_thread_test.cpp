#include "base/worker_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "base/event.h"
#include "support/log_capture.h"

namespace {

constexpr std::uint32_t kWait = base::WorkerThread::kShutdownWaitMs;

TEST(WorkerThread, RunsItsBodyOnceAndEndsOnItsQuitEvent) {
    base::Event quit(base::EventReset::kManual, false);
    base::Event running(base::EventReset::kManual, false);
    std::atomic<int> runs{0};
    base::WorkerThread t;
    EXPECT_FALSE(t.Join(0)) << "a thread never started is not joined";
    ASSERT_TRUE(t.Start([&] {
        ++runs;
        running.Set();
        quit.Wait(base::Event::kInfinite);
    }));
    ASSERT_TRUE(running.Wait(kWait));
    EXPECT_FALSE(t.HasEnded());
    quit.Set();
    EXPECT_TRUE(t.Join(kWait));
    EXPECT_TRUE(t.HasEnded());
    EXPECT_EQ(runs.load(), 1);
    EXPECT_FALSE(t.Join(0)) << "a thread is joined once";
    EXPECT_FALSE(t.Start([] {})) << "and started once";
    EXPECT_NE(t.LastError(), 0u);
}

TEST(WorkerThread, AnEscapingExceptionIsLoggedAndEndsOnlyTheBody) {
    testing_support::LogCapture log;
    base::WorkerThread throwing;
    ASSERT_TRUE(throwing.Start([] { throw std::runtime_error("lost"); }));
    EXPECT_TRUE(throwing.Join(kWait));
    EXPECT_EQ(log.CountStartingWith("catch some execptions in worker thread "), 1);
}

}  // namespace
