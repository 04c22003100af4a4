#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>

namespace base {

// The engine lock is re-entrant: an engine operation may call another one that takes the same lock.
// The mutex underneath is not fair: a thread that releases it and takes it again at once (the packet
// decoder under a flood) nearly always wins against a thread that has been waiting, which may then
// wait for as long as the flood lasts. So the lock counts the threads blocked on it, and a busy thread
// can step aside between two holds (YieldToWaiters) until those threads have had their turn.
class ReentrantLock {
  public:
    // Longest a YieldToWaiters waits: a waiter that has not got the lock by then is not waited for.
    static constexpr std::chrono::milliseconds kYieldLimit{1000};

    void lock() {
        if (mutex_.try_lock()) {
            return;
        }
        waiting_.fetch_add(1, std::memory_order_relaxed);
        mutex_.lock();
        waiting_.fetch_sub(1, std::memory_order_relaxed);
        servedWaiters_.fetch_add(1, std::memory_order_release);
    }
    bool try_lock() { return mutex_.try_lock(); }
    void unlock() { mutex_.unlock(); }

    // Threads blocked in lock() right now.
    std::uint32_t Waiting() const { return waiting_.load(std::memory_order_relaxed); }

    // Called without holding the lock: returns once every thread that was blocked on the lock when it
    // was called has got it (or after kYieldLimit). Free when nobody waits.
    void YieldToWaiters() {
        // Served first: every waiter counted below is served after this reading, so the target is
        // always reached (reading the other way round, a waiter served in between would be waited for
        // twice, and the caller would spin out the whole limit).
        const std::uint64_t served = servedWaiters_.load(std::memory_order_acquire);
        const std::uint32_t waiting = waiting_.load(std::memory_order_relaxed);
        if (waiting == 0) {
            return;
        }
        const std::uint64_t target = served + waiting;
        const auto deadline = std::chrono::steady_clock::now() + kYieldLimit;
        while (servedWaiters_.load(std::memory_order_acquire) < target &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::yield();
        }
    }

  private:
    std::recursive_mutex mutex_;
    std::atomic<std::uint32_t> waiting_{0};
    std::atomic<std::uint64_t> servedWaiters_{0};
};

using AutoLock = std::lock_guard<ReentrantLock>;

}  // namespace base
