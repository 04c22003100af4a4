// One scrape of the metrics endpoint with 1 000 processes: the rows summed by name and the exposition
// text built, the work a scrape does after the engine lock is let go.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "engine/process_records.h"
#include "metrics/exposition.h"
#include "metrics/metrics_snapshot.h"

namespace {

std::vector<engine::ProcessRow> Rows(int count) {
    std::vector<engine::ProcessRow> rows(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        engine::ProcessRow& row = rows[static_cast<std::size_t>(i)];
        row.pid = static_cast<std::uint32_t>(1000 + i);
        row.name = u"进程-" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) + u"-" +
                   std::u16string(1, static_cast<char16_t>(u'0' + i / 26 % 10)) +
                   std::u16string(i / 260 + 1, u'x') + u".exe";
        row.state = i % 10 == 0 ? engine::kStateExited : engine::kStateRunning;
        row.bytesUp = 1234567ull * static_cast<std::uint64_t>(i);
        row.bytesDown = 7654321ull * static_cast<std::uint64_t>(i);
        row.connectionCount = static_cast<std::uint32_t>(i % 7);
    }
    return rows;
}

metrics::MetricsSnapshot Snapshot(const std::vector<engine::ProcessRow>& rows) {
    metrics::MetricsSnapshot snapshot;
    snapshot.processes = metrics::FiguresByName(rows);
    snapshot.drops = {{"eth0", 0}, {"ppp0", 0}};
    snapshot.version = "1.0.0";
    return snapshot;
}

void BM_ExpositionOf1000Processes(benchmark::State& state) {
    const std::vector<engine::ProcessRow> rows = Rows(1000);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = metrics::ExpositionText(Snapshot(rows));
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["text_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ExpositionOf1000Processes)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
