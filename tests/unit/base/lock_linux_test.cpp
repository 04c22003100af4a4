#include "base/lock.h"

#include <gtest/gtest.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

TEST(EngineLock, AThreadSteppingAsideSleepsUntilTheWaiterIsServed) {
    // The holder keeps the waiter out for 300 ms; the thread stepping aside meanwhile must not spin.
    base::ReentrantLock lock;
    lock.lock();
    std::thread waiter([&] { base::AutoLock hold(lock); });
    while (lock.Waiting() == 0) {
        std::this_thread::yield();
    }
    std::atomic<double> yieldCpuMs{-1};
    std::thread yielder([&] {
        const double before = ThreadCpuMs();
        lock.YieldToWaiters();
        yieldCpuMs = ThreadCpuMs() - before;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    lock.unlock();
    yielder.join();
    waiter.join();
    EXPECT_LT(yieldCpuMs.load(), 50.0);
}

}  // namespace
