#pragma once

// The texts of every figure the user sees: volumes, rates, byte speeds, dates and clock times.
// Unit prefixes are decimal (k = 1000); lower-case suffixes count bits, upper-case ones bytes.
// The rung is chosen on the exact value; the printed figure is rounded to a float first, and no text is
// longer than 31 characters.

#include <cstdint>
#include <string>
#include <string_view>

#include "base/system_time.h"

namespace format {

// "992b", "1.00kb", "10.00mb", "1.00gb".
std::u16string FormatVolume(std::uint64_t bytes);
// As FormatVolume, with "1.00Tb" from 10^12 bits.
std::u16string FormatVolumeTb(std::uint64_t bytes);
// "800b", "1kb", "12.5mb", "1tb": zeros after the point are dropped.
std::u16string FormatVolumeTrimmed(std::uint64_t bytes);

// Rates over the whole seconds between two local stamps (the newer one empty = now; the same second
// counts as one second). A delta <= 0 or an empty older stamp gives "0bps". *kbps receives the kilobits
// per second when given.
std::u16string FormatRate(std::int64_t deltaBytes, const base::SystemTime& older,
                          const base::SystemTime& newer, float* kbps = nullptr);
std::u16string FormatRateSeconds(std::int64_t deltaBytes, std::int64_t seconds, float* kbps = nullptr);
// The floating window's short form: "992bps", "8.0kbps", "16kbps", "1.0mbps", "10mbps", "1.5gbps", "12gbps".
std::u16string FormatRateCompact(std::int64_t deltaBytes, const base::SystemTime& older,
                                 const base::SystemTime& newer);

// The statistics tick's byte speed: text such as "12.50KB/S"; returns KB/s (K = 1000), a float on which
// the text's unit is also chosen.
float ComputeSpeed(std::u16string& text, const base::SystemTime& from, const base::SystemTime& to,
                   std::int64_t difference);

// Bytes (not bits) with trimmed zeros: "1KB" at least, "1.5KB", "2MB", "3.25GB".
std::u16string FormatBytesKB(std::uint64_t bytes);
// Bytes with two decimals, nothing trimmed: "0.00KB", "1.50KB", "2.00MB", "3.25GB".
std::u16string FormatBytes(std::uint64_t bytes);
// A byte speed such as "128KB/S" in bits: "1.02mbps". The decimals of the figure are dropped; a unit
// other than KB/S, MB/S or GB/S gives an empty text, a text shorter than 4 characters is kept.
std::u16string ConvertSpeedText(std::u16string_view speedText);

// "2014-3-5 09:07:02", "09:07:02" and "9 时7 分2 秒".
std::u16string FormatDateTime(const base::SystemTime& time);
std::u16string FormatClock(const base::SystemTime& time);
std::u16string FormatClockCn(const base::SystemTime& time);

}  // namespace format
