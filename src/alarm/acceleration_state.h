#pragma once

#include <atomic>
#include <cstdint>

namespace alarming {

// What the accelerator last reported of its state (1 while it accelerates); the acceleration-state
// window and the floating window read it. Read and written without a lock.
extern std::atomic<std::uint32_t> AccelerationState;

}  // namespace alarming
