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
// can step aside between two holds (YieldToWaiters), asleep until those threads have had their turn.
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
        {
            std::lock_guard<std::mutex> hold(servedMutex_);
            ++servedWaiters_;
        }
        served_.notify_all();
    }
    bool try_lock() { return mutex_.try_lock(); }
    void unlock() { mutex_.unlock(); }

    // Threads blocked in lock() right now.
    std::uint32_t Waiting() const { return waiting_.load(std::memory_order_relaxed); }

    // Called without holding the lock: returns once every thread that was blocked on the lock when it
    // was called has got it (or after kYieldLimit). Free when nobody waits; otherwise the caller sleeps
    // until the last of those threads is served.
    void YieldToWaiters() {
        if (waiting_.load(std::memory_order_relaxed) == 0) {
            return;
        }
        std::unique_lock<std::mutex> hold(servedMutex_);
        // Served first: every waiter counted below is served after this reading, since serving needs
        // servedMutex_, so the target is always reached (reading the other way round, a waiter served in
        // between would be waited for twice, and the caller would sleep out the whole limit).
        const std::uint64_t target = servedWaiters_ + waiting_.load(std::memory_order_relaxed);
        served_.wait_for(hold, kYieldLimit, [&] { return servedWaiters_ >= target; });
    }

  private:
    std::recursive_mutex mutex_;
    std::atomic<std::uint32_t> waiting_{0};
    // Counts the waiters that got the lock; the condition wakes a yielding thread.
    std::mutex servedMutex_;
    std::condition_variable served_;
    std::uint64_t servedWaiters_ = 0;
};

using AutoLock = std::lock_guard<ReentrantLock>;

}  // namespace base
