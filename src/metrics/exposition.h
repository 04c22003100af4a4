#pragma once

// The monitor's figures in the Prometheus text exposition format (version 0.0.4): what a scrape of
// GET /metrics answers. The snapshot is plain values copied out of the engine first, so building the
// text never holds the engine lock.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace metrics {

struct ByteCounts {
    std::uint64_t up = 0;
    std::uint64_t down = 0;
};

// One series per process name: every record of that name, running or exited, summed.
struct ProcessFigures {
    std::string name;  // UTF-8, without the closed marker
    ByteCounts bytes;
    std::uint32_t connections = 0;  // of the running records
};

struct InterfaceDrops {
    std::string name;  // UTF-8
    std::uint64_t packets = 0;
};

struct MetricsSnapshot {
    ByteCounts machine;
    ByteCounts accelerated;
    ByteCounts unattributed;
    std::vector<ProcessFigures> processes;
    std::vector<InterfaceDrops> drops;
    bool alarmEnabled = false;
    // The alarm's thresholds: the share of traffic outside the accelerator (0.3 to 1.0) and the
    // machine's speeds in bytes per second, above which the alarm is raised.
    float shareThreshold = 0.5f;
    ByteCounts speedThreshold;
    std::uint64_t alarmsRaised = 0;
    std::string version;
};

// A label value with backslash, double quote and line feed escaped; other bytes (UTF-8) pass as they are.
std::string EscapeLabelValue(std::string_view value);

// The whole exposition: a HELP and a TYPE line for every metric, also when it has no series yet.
std::string ExpositionText(const MetricsSnapshot& snapshot);

}  // namespace metrics
