#pragma once

#include <cstdint>

#include "base/system_time.h"

namespace engine {

// The engine's two clocks, behind an interface so that tests can steer time.
class IClock {
public:
    virtual ~IClock() = default;
    // Milliseconds of a monotonic clock, wrapping at 2^32 like GetTickCount; only differences count.
    virtual std::uint32_t TickCount() = 0;
    // The local wall-clock time.
    virtual base::SystemTime LocalTime() = 0;
};

class SystemClock final : public IClock {
public:
    std::uint32_t TickCount() override;
    base::SystemTime LocalTime() override;
};

}  // namespace engine
