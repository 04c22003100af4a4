#include "base/lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

TEST(EngineLock, AThreadSteppingAsideReturnsOnlyOnceTheWaiterIsServed) {
    base::ReentrantLock lock;
    lock.lock();
    std::thread waiter([&] { base::AutoLock hold(lock); });
    while (lock.Waiting() == 0) {
        std::this_thread::yield();
    }
    std::atomic<bool> released{false};
    std::atomic<bool> sawRelease{false};
    std::thread yielder([&] {
        lock.YieldToWaiters();
        // The waiter is served only after the release below, which the flag precedes.
        sawRelease = released.load();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // most likely, the yielder sleeps now
    released = true;
    lock.unlock();
    yielder.join();
    waiter.join();
    EXPECT_TRUE(sawRelease.load());
}

}  // namespace
