#pragma once

// The accelerator's own report of its tunnel traffic, which a window receives and app hands on here:
// the bytes it sent and received since its last report go to the tunnel sums of the current engine,
// under its lock. Nothing happens without an engine.

#include <cstdint>

namespace engine {

void AddAcceleratorReport(std::uint32_t sent, std::uint32_t received);

}  // namespace engine
