// The engine lock's hand-off blocks: a thread stepping aside for waiters sleeps until they have had the
// lock, rather than spinning on the processor the waiters need.

#include <gtest/gtest.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "base/event.h"
#include "base/lock.h"
#include "base/worker_thread.h"

namespace {

using Clock = std::chrono::steady_clock;

std::chrono::nanoseconds ThreadCpuTime() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
}

TEST(ReentrantLockHandOff, TheYieldingThreadSleepsWhileTheWaiterIsHeldUp) {
    base::ReentrantLock lock;
    base::Event holding(base::EventReset::kManual, false);
    base::Event release(base::EventReset::kManual, false);
    std::atomic<bool> waiterHadIt{false};
    // A third thread holds the lock for a while, so that the waiter cannot be served at once.
    base::WorkerThread holder;
    ASSERT_TRUE(holder.Start([&] {
        base::AutoLock hold(lock);
        holding.Set();
        release.Wait(base::Event::kInfinite);
    }));
    ASSERT_TRUE(holding.Wait(10000));
    base::WorkerThread waiter;
    ASSERT_TRUE(waiter.Start([&] {
        base::AutoLock hold(lock);
        waiterHadIt = true;
    }));
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (lock.Waiting() != 1 && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(lock.Waiting(), 1u);

    base::WorkerThread releaser;
    ASSERT_TRUE(releaser.Start([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        release.Set();
    }));
    const auto cpuBefore = ThreadCpuTime();
    const auto before = Clock::now();
    lock.YieldToWaiters();
    const auto waited = Clock::now() - before;
    const auto cpu = ThreadCpuTime() - cpuBefore;
    EXPECT_TRUE(waiterHadIt);
    EXPECT_GE(waited, std::chrono::milliseconds(200));
    EXPECT_LT(cpu, std::chrono::milliseconds(50)) << "the yielding thread spun";
    EXPECT_TRUE(releaser.Join(10000));
    EXPECT_TRUE(holder.Join(10000));
    EXPECT_TRUE(waiter.Join(10000));
}

TEST(ReentrantLockHandOff, GivesUpAfterTheLimitWhenTheWaiterNeverGetsIt) {
    base::ReentrantLock lock;
    base::Event holding(base::EventReset::kManual, false);
    base::Event release(base::EventReset::kManual, false);
    base::WorkerThread holder;
    ASSERT_TRUE(holder.Start([&] {
        base::AutoLock hold(lock);
        holding.Set();
        release.Wait(base::Event::kInfinite);
    }));
    ASSERT_TRUE(holding.Wait(10000));
    base::WorkerThread waiter;
    ASSERT_TRUE(waiter.Start([&] { base::AutoLock hold(lock); }));
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (lock.Waiting() != 1 && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const auto before = Clock::now();
    lock.YieldToWaiters();
    const auto waited = Clock::now() - before;
    EXPECT_GE(waited, base::ReentrantLock::kYieldLimit - std::chrono::milliseconds(10));
    EXPECT_LT(waited, base::ReentrantLock::kYieldLimit * 3);
    release.Set();
    EXPECT_TRUE(holder.Join(10000));
    EXPECT_TRUE(waiter.Join(10000));
}

}  // namespace
