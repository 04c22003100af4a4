#include "engine/engine_clock.h"

#include <chrono>

namespace engine {

std::uint32_t SystemClock::TickCount() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

base::SystemTime SystemClock::LocalTime() {
    return base::LocalNow();
}

}  // namespace engine
