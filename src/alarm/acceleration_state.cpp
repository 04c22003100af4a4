#include "alarm/acceleration_state.h"

namespace alarming {

std::atomic<std::uint32_t> AccelerationState{0};

}  // namespace alarming
