#include "base/worker_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>

#include "base/event.h"
#include "base/text.h"
#include "base/traffic_log.h"
#include "support/temp_dir.h"

namespace {

TEST(WorkerThread, RunsItsBodyAndJoins) {
    std::atomic<int> runs{0};
    base::WorkerThread t;
    EXPECT_FALSE(t.IsStarted());
    ASSERT_TRUE(t.Start([&] { ++runs; }));
    EXPECT_TRUE(t.IsStarted());
    EXPECT_TRUE(t.Join(2000));
    EXPECT_TRUE(t.HasEnded());
    EXPECT_EQ(runs.load(), 1);
    EXPECT_FALSE(t.Join(0)) << "a thread is joined once";
    EXPECT_FALSE(t.Start([] {})) << "and started once";
    EXPECT_NE(t.LastError(), 0u);

    base::WorkerThread never;
    EXPECT_FALSE(never.Join(10));
    EXPECT_FALSE(never.HasEnded());
}

TEST(WorkerThread, CooperativeEndThroughAQuitEvent) {
    base::Event quit(base::EventReset::kManual, false);
    std::atomic<int> rounds{0};
    base::WorkerThread t;
    ASSERT_TRUE(t.Start([&] {
        while (!quit.Wait(10)) {
            ++rounds;
        }
    }));
    quit.Set();
    EXPECT_TRUE(t.Join(base::WorkerThread::kShutdownWaitMs));
}

TEST(WorkerThread, AnEscapingExceptionIsLoggedAndEndsOnlyTheBody) {
    testing_support::TempDir dir;
    const auto file = dir.File("traffic.log");
    const auto u8 = file.u8string();
    ASSERT_TRUE(base::OpenTrafficLogAt(base::Utf8ToUtf16(std::string(u8.begin(), u8.end()))));
    base::WorkerThread throwing;
    ASSERT_TRUE(throwing.Start([] { throw std::runtime_error("lost"); }));
    EXPECT_TRUE(throwing.Join(base::WorkerThread::kShutdownWaitMs));
    base::WorkerThread unknown;
    ASSERT_TRUE(unknown.Start([] { throw 7; }));
    EXPECT_TRUE(unknown.Join(base::WorkerThread::kShutdownWaitMs));
    base::CloseTrafficLog();
    const std::string log = testing_support::ReadFileBytes(file);
    const std::string line = "catch some execptions in worker thread ";
    const auto first = log.find(line);
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_NE(log.find(line, first + line.size()), std::string::npos) << log;
}

}  // namespace
