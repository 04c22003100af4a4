// Rates: a byte delta over the whole seconds between two local time stamps.

#include "format/number_text.h"
#include "format/value_format.h"

namespace format {

using format::detail::PrintText;
using format::detail::Single;

namespace {

constexpr char16_t kZeroRate[] = u"0bps";

// Whole seconds from `older` to `newer` (now when empty); two stamps within the same second count as one
// second so that a rate is always defined.
std::int64_t ElapsedSeconds(const base::SystemTime& older, const base::SystemTime& newer) {
    const std::int64_t from = base::LocalToCalendarSeconds(older);
    const std::int64_t to = base::LocalToCalendarSeconds(newer.IsEmpty() ? base::LocalNow() : newer);
    const std::int64_t seconds = to - from;
    return seconds == 0 ? 1 : seconds;
}

std::u16string RateText(std::int64_t deltaBytes, std::int64_t seconds, float* kbps) {
    const double k = 8.0 * static_cast<double>(deltaBytes) / (static_cast<double>(seconds) * 1000.0);
    if (kbps != nullptr) {
        *kbps = static_cast<float>(k);
    }
    if (k < 1.0) {
        return PrintText("%.0fbps", Single(k * 1000.0));
    }
    if (k < 1000.0) {
        return PrintText("%.2fkbps", Single(k));
    }
    if (k < 1e6) {
        return PrintText("%.2fmbps", Single(k / 1000.0));
    }
    return PrintText("%.2fgbps", Single(k / 1e6));
}

std::u16string ZeroRate(float* kbps) {
    if (kbps != nullptr) {
        *kbps = 0.0f;
    }
    return kZeroRate;
}

}  // namespace

std::u16string FormatRate(std::int64_t deltaBytes, const base::SystemTime& older,
                          const base::SystemTime& newer, float* kbps) {
    if (deltaBytes <= 0 || older.IsEmpty()) {
        return ZeroRate(kbps);
    }
    return RateText(deltaBytes, ElapsedSeconds(older, newer), kbps);
}

std::u16string FormatRateSeconds(std::int64_t deltaBytes, std::int64_t seconds, float* kbps) {
    if (deltaBytes <= 0) {
        return ZeroRate(kbps);
    }
    return RateText(deltaBytes, seconds == 0 ? 1 : seconds, kbps);
}

std::u16string FormatRateCompact(std::int64_t deltaBytes, const base::SystemTime& older,
                                 const base::SystemTime& newer) {
    if (deltaBytes <= 0 || older.IsEmpty()) {
        return kZeroRate;
    }
    const std::int64_t s = ElapsedSeconds(older, newer);
    // The rung is picked on whole kilobits per second in unsigned arithmetic; the figure is printed from
    // the exact quotient.
    const std::uint64_t n = static_cast<std::uint64_t>(deltaBytes) * 8u;
    const std::uint64_t q = n / (static_cast<std::uint64_t>(s) * 1000u);
    const double bits = static_cast<double>(n);
    const double seconds = static_cast<double>(s);
    if (q == 0) {
        return PrintText("%.0fbps", Single(bits / seconds));
    }
    if (q < 10) {
        return PrintText("%.1fkbps", Single(bits / (seconds * 1e3)));
    }
    if (q < 1000) {
        return PrintText("%.0fkbps", Single(bits / (seconds * 1e3)));
    }
    if (q < 10'000) {
        return PrintText("%.1fmbps", Single(bits / (seconds * 1e6)));
    }
    if (q < 1'000'000) {
        return PrintText("%.0fmbps", Single(bits / (seconds * 1e6)));
    }
    if (q < 10'000'000) {
        return PrintText("%.1fgbps", Single(bits / (seconds * 1e9)));
    }
    return PrintText("%.0fgbps", Single(bits / (seconds * 1e9)));
}

float ComputeSpeed(std::u16string& text, const base::SystemTime& from, const base::SystemTime& to,
                   std::int64_t difference) {
    if (difference <= 0 || from.IsEmpty()) {
        text = u"0.00KB/S";
        return 0.0f;
    }
    const std::int64_t seconds = ElapsedSeconds(from, to);
    // The speed is kept as a float: the rung and the printed figure both come from that value.
    const float speed = static_cast<float>(static_cast<double>(difference) * 1.0 / (seconds * 1000.0));
    if (speed < 1000.0f) {
        text = PrintText("%.2fKB/S", static_cast<double>(speed));
    } else if (speed < 1000000.0f) {
        text = PrintText("%.2fMB/S", static_cast<double>(speed / 1000.0f));
    } else {
        text = PrintText("%.2fGB/S", static_cast<double>(speed / 1000000.0f));
    }
    return speed;
}

}  // namespace format
