#pragma once

// Where the metrics endpoint listens: "METRICS"/"LISTEN" in the settings file, for instance
// "127.0.0.1:9464" (a bare port means loopback). Missing or empty keeps the endpoint off.

#include <optional>
#include <string_view>

#include "alarm/program_directory.h"
#include "metrics/metrics_server.h"

namespace metrics {

inline constexpr std::u16string_view kMetricsSection = u"METRICS";
inline constexpr std::u16string_view kListenKey = u"LISTEN";

// Nothing when the endpoint is off or the value is not an address (that is logged).
std::optional<ListenAddress> ReadListenSetting(const alarming::ProgramDirectory& directory);

}  // namespace metrics
