#include "base/worker_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>

#include "base/event.h"
#include "base/traffic_log.h"
#include "support/temp_dir.h"

namespace {

constexpr std::uint32_t kWait = base::WorkerThread::kShutdownWaitMs;

TEST(WorkerThread, RunsItsBodyOnceAndEndsOnItsQuitEvent) {
    base::Event quit(base::EventReset::kManual, false);
    base::Event running(base::EventReset::kManual, false);
    std::atomic<int> runs{0};
    base::WorkerThread t;
    EXPECT_FALSE(t.IsStarted());
    EXPECT_FALSE(t.Join(0)) << "a thread never started is not joined";
    ASSERT_TRUE(t.Start([&] {
        ++runs;
        running.Set();
        quit.Wait(base::Event::kInfinite);
    }));
    EXPECT_TRUE(t.IsStarted());
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
    testing_support::TempDir dir;
    const auto file = dir.File("traffic.log");
    ASSERT_TRUE(base::OpenTrafficLogAt(file.u16string()));
    base::WorkerThread throwing;
    ASSERT_TRUE(throwing.Start([] { throw std::runtime_error("lost"); }));
    EXPECT_TRUE(throwing.Join(kWait));
    base::WorkerThread unknown;
    ASSERT_TRUE(unknown.Start([] { throw 7; }));
    EXPECT_TRUE(unknown.Join(kWait));
    base::CloseTrafficLog();
    const std::string log = testing_support::ReadFileBytes(file);
    const std::string line = "catch some execptions in worker thread ";
    const auto first = log.find(line);
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_NE(log.find(line, first + line.size()), std::string::npos) << log;
}

}  // namespace
