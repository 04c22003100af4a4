#pragma once

// The figures a scrape shows, copied out of the running engine under one hold of its lock; everything
// else (summing by name, converting text) happens after the lock is let go.

#include <string_view>
#include <vector>

#include "engine/traffic_snapshots.h"
#include "metrics/exposition.h"

namespace metrics {

// Every record summed by process name (the closed marker taken off, so a game that exited and
// started again stays one series), sorted by name. Connections count only running records.
std::vector<ProcessFigures> FiguresByName(const std::vector<engine::ProcessRow>& rows);

// The current engine's figures and the alarm's; without an engine the byte figures are zeros.
MetricsSnapshot ReadMetricsSnapshot(std::string_view version);

}  // namespace metrics
