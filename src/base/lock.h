#pragma once

#include <mutex>

namespace base {

// The engine lock is re-entrant: an engine operation may call another one that takes the same lock.
using ReentrantLock = std::recursive_mutex;
using AutoLock = std::lock_guard<ReentrantLock>;

}  // namespace base
