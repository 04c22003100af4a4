#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace base {

// The engine lock is re-entrant: an engine operation may call another one that takes the same lock.
// The mutex underneath is not fair: a thread that releases it and takes it again at once (the packet
// decoder under a flood) nearly always wins against a thread that has been waiting, which may then
// wait for as long as the flood lasts. So the lock counts the threads blocked on it, and a busy thread
// can step aside between two holds (YieldToWaiters), blocked until those threads have had their turn.
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
        {
            // Both counts change together, so that a yielding thread reads a consistent pair.
            std::lock_guard<std::mutex> handOff(handOffMutex_);
            waiting_.fetch_sub(1, std::memory_order_relaxed);
            ++servedWaiters_;
        }
        served_.notify_all();
    }
    bool try_lock() { return mutex_.try_lock(); }
    void unlock() { mutex_.unlock(); }

    // Threads blocked in lock() right now.
    std::uint32_t Waiting() const { return waiting_.load(std::memory_order_relaxed); }

    // Called without holding the lock: blocks until every thread that was blocked on the lock when it
    // was called has got it (or for kYieldLimit at most). Free when nobody waits.
    void YieldToWaiters() {
        std::unique_lock<std::mutex> handOff(handOffMutex_);
        // Read under the hand-off mutex: every waiter counted here is served after this reading, so the
        // target is always reached.
        const std::uint32_t waiting = waiting_.load(std::memory_order_relaxed);
        if (waiting == 0) {
            return;
        }
        const std::uint64_t target = servedWaiters_ + waiting;
        served_.wait_for(handOff, kYieldLimit, [&] { return servedWaiters_ >= target; });
    }

  private:
    std::recursive_mutex mutex_;
    std::atomic<std::uint32_t> waiting_{0};
    // Guards servedWaiters_ and the change of waiting_ from blocked to served.
    std::mutex handOffMutex_;
    std::condition_variable served_;
    std::uint64_t servedWaiters_ = 0;
};

using AutoLock = std::lock_guard<ReentrantLock>;

}  // namespace base
