#pragma once

#include <cstdint>

namespace engine {

// Where the statistics tick sends the machine totals at its end, once a second: the plugin channel
// pushes them in this order (local down, local up, accelerated down, accelerated up). Called without
// the engine lock, and must not wait long: a plugin that stops reading may leave its pipe full.
class ITotalsSink {
public:
    virtual ~ITotalsSink() = default;
    virtual void PushTotals(std::uint64_t localDown, std::uint64_t localUp, std::uint64_t accelerateDown,
                            std::uint64_t accelerateUp) = 0;
};

}  // namespace engine
