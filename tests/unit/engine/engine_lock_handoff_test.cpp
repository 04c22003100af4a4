// The engine lock under a flood: the decoder takes it packet after packet and steps aside between
// batches (see DealWithRecvData's test), so a plugin request or the statistics tick waiting for it gets
// it before the decoder takes it again. Portable: the Windows lock is checked under Wine too.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "base/lock.h"
#include "base/worker_thread.h"

namespace {

// Without the hand-off the releasing thread usually takes the lock again before the woken thread runs;
// twenty rounds make that all but certain to show.
TEST(EngineLockHandOff, AThreadBlockedOnTheLockGetsItBeforeTheYieldingThreadTakesItAgain) {
    for (int round = 0; round < 20; ++round) {
        base::ReentrantLock lock;
        std::atomic<bool> waiterHadIt{false};
        lock.lock();
        lock.lock();  // re-entrant
        lock.unlock();
        base::WorkerThread waiter;
        ASSERT_TRUE(waiter.Start([&] {
            base::AutoLock hold(lock);
            waiterHadIt = true;
        }));
        while (lock.Waiting() != 1) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_FALSE(waiterHadIt);
        lock.unlock();
        lock.YieldToWaiters();
        lock.lock();
        EXPECT_TRUE(waiterHadIt) << "round " << round;
        EXPECT_EQ(lock.Waiting(), 0u);
        lock.unlock();
        ASSERT_TRUE(waiter.Join(10000));
    }
}

}  // namespace
