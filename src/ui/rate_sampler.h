#pragma once

// The floating window's figures over the nine traffic quantities: rates since the last sample and
// volumes. Pure: the caller passes the engine's totals and the local time.

#include <array>
#include <cstdint>
#include <string>

#include "base/system_time.h"
#include "engine/traffic_snapshots.h"

namespace ui {

// Byte totals read from the engine (all 0 while there is none).
using engine::TrafficTotals;

// Quantity 1..9 as a signed value (7..9 are local minus accelerated and may be negative); *valid is
// cleared for an index outside 1..9.
std::int64_t TrafficQuantity(const TrafficTotals& totals, int index, bool* valid);

class RateSampler {
  public:
    explicit RateSampler(const base::SystemTime& constructed) : lastSampleTime_(constructed) {}

    // One sample time is shared by every index; the previous value is kept per index.
    std::u16string RateText(const TrafficTotals& totals, int index, const base::SystemTime& now);
    static std::u16string VolumeText(const TrafficTotals& totals, int index);

  private:
    base::SystemTime lastSampleTime_;
    std::array<std::uint64_t, 9> previous_{};
};

}  // namespace ui
