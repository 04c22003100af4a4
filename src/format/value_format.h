#pragma once

// The texts of every figure the user sees: volumes, rates, byte speeds, dates and clock times.
// Unit prefixes are decimal (k = 1000); lower-case suffixes count bits, upper-case ones bytes.

#include <cstdint>
#include <string>
#include <string_view>

#include "base/system_time.h"

std::u16string FormatVolume(std::uint64_t bytes);
std::u16string FormatVolumeTb(std::uint64_t bytes);
std::u16string FormatVolumeTrimmed(std::uint64_t bytes);

// Rates over the time between two local stamps (the newer one empty = now). *kbps receives the
// kilobits per second when given.
std::u16string FormatRate(std::int64_t deltaBytes, const base::SystemTime& older, const base::SystemTime& newer,
                          float* kbps = nullptr);
std::u16string FormatRateSeconds(std::int64_t deltaBytes, std::int64_t seconds, float* kbps = nullptr);
std::u16string FormatRateCompact(std::int64_t deltaBytes, const base::SystemTime& older,
                                 const base::SystemTime& newer);

// The statistics tick's byte speed: text such as "12.50KB/S"; returns KB/s (K = 1000).
float ComputeSpeed(std::u16string& text, const base::SystemTime& from, const base::SystemTime& to,
                   std::int64_t difference);

std::u16string FormatBytesKB(std::uint64_t bytes);
std::u16string ConvertSpeedText(std::u16string_view speedText);

std::u16string FormatDateTime(const base::SystemTime& time);
std::u16string FormatClock(const base::SystemTime& time);
std::u16string FormatClockCn(const base::SystemTime& time);
