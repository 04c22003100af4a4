#include "ui/rate_sampler.h"

#include "format/value_format.h"

namespace ui {

std::int64_t TrafficQuantity(const TrafficTotals& t, int index, bool* valid) {
    *valid = true;
    const auto s = [](std::uint64_t v) { return static_cast<std::int64_t>(v); };
    const std::uint64_t localTotal = t.localUp + t.localDown;
    const std::uint64_t accelTotal = t.accelerateUp + t.accelerateDown;
    switch (index) {
        case 1:
            return s(localTotal);
        case 2:
            return s(t.localDown);
        case 3:
            return s(t.localUp);
        case 4:
            return s(accelTotal);
        case 5:
            return s(t.accelerateDown);
        case 6:
            return s(t.accelerateUp);
        case 7:
            return s(localTotal) - s(accelTotal);
        case 8:
            return s(t.localDown) - s(t.accelerateDown);
        case 9:
            return s(t.localUp) - s(t.accelerateUp);
        default:
            *valid = false;
            return 0;
    }
}

std::u16string RateSampler::RateText(const TrafficTotals& totals, int index, const base::SystemTime& now) {
    std::u16string text = u"0bps";
    bool valid = false;
    const std::int64_t v = TrafficQuantity(totals, index, &valid);
    if (valid) {
        std::uint64_t& previous = previous_[index - 1];
        // A negative sample is still remembered (as its unsigned bits); the next delta wraps back.
        if (v >= 0) {
            const auto delta = static_cast<std::int64_t>(static_cast<std::uint64_t>(v) - previous);
            text = format::FormatRateCompact(delta, lastSampleTime_, now);
        }
        previous = static_cast<std::uint64_t>(v);
    }
    lastSampleTime_ = now;
    return text;
}

std::u16string RateSampler::VolumeText(const TrafficTotals& totals, int index) {
    bool valid = false;
    const std::int64_t v = TrafficQuantity(totals, index, &valid);
    if (!valid || v < 0)
        return u"0b";
    return format::FormatVolumeTrimmed(static_cast<std::uint64_t>(v));
}

}  // namespace ui
