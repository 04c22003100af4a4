// The process traffic page's once-a-second work without the list view: a refresh of 1 000 processes
// holding 10 000 connections in all (the rows carry the counts), the first refresh that adds every row,
// and the connection dialog's rows for the 10 000 connections.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/system_time.h"
#include "engine/traffic_snapshots.h"
#include "ui/process_list_model.h"

namespace {

constexpr std::size_t kProcesses = 1000;
constexpr std::uint32_t kConnectionsEach = 10;

const base::SystemTime kStart{2026, 12, 1, 7, 10, 0, 0, 0};
const base::SystemTime kNow{2026, 12, 1, 7, 11, 0, 0, 0};

// Distinct stamps, as real processes and connections have: each one is converted on its own.
base::SystemTime Second(std::size_t offset) {
    return base::CalendarSecondsToLocal(base::LocalToCalendarSeconds(kStart) +
                                        static_cast<std::int64_t>(offset));
}

// Every record listable, with totals spread over the volume and rate rungs; `tick` moves them on.
std::vector<engine::ProcessRow> Rows(std::uint64_t tick) {
    std::vector<engine::ProcessRow> rows(kProcesses);
    for (std::size_t i = 0; i < kProcesses; ++i) {
        engine::ProcessRow& r = rows[i];
        r.record = i;
        r.pid = static_cast<std::uint32_t>(1000 + 4 * i);
        r.name = u"process-" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) + u".exe";
        r.path = u"C:\\Program Files\\Vendor\\" + r.name;
        r.state = 2;
        r.startTime = Second(i);
        const std::uint64_t scale = std::uint64_t{1} << (i % 40);
        r.bytesDown = scale * (tick + 1);
        r.bytesUp = scale / 3 * (tick + 1);
        r.connectionCount = kConnectionsEach;
    }
    return rows;
}

std::vector<engine::ProcessDetail> Details() {
    std::vector<engine::ProcessDetail> details;
    for (const engine::ProcessRow& row : Rows(0)) {
        engine::ProcessDetail& d = details.emplace_back();
        d.process = row;
        for (std::uint32_t c = 0; c < kConnectionsEach; ++c) {
            engine::ConnectionRow& connection = d.connections.emplace_back();
            connection.protocol = c % 2 == 0 ? 6 : 17;
            connection.localAddress = 0x0A01A8C0;
            connection.localPort = 20000 + c;
            connection.remoteAddress = c % 2 == 0 ? 0x07007ACB : 0;
            connection.remotePort = c % 2 == 0 ? 443 : 0;
            connection.state = c % 3 == 0 ? 1 : 2;
            connection.bytesDown = row.bytesDown / kConnectionsEach;
            connection.bytesUp = row.bytesUp / kConnectionsEach;
            connection.startTime = Second(row.record + c * 60);
            connection.endTime = connection.state == 1 ? kNow : base::SystemTime{};
        }
    }
    return details;
}

// The steady state: every row exists and is updated.
void BM_RefreshUpdate(benchmark::State& state) {
    const std::vector<engine::ProcessRow> ticks[2] = {Rows(1), Rows(2)};
    ui::ProcessListModel model;
    model.Refresh(Rows(0), 1, kNow);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(model.Refresh(ticks[i++ % 2], 1, kNow));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kProcesses));
}
BENCHMARK(BM_RefreshUpdate)->Unit(benchmark::kMillisecond);

// The page's first refresh: every record is new.
void BM_RefreshAddAll(benchmark::State& state) {
    const std::vector<engine::ProcessRow> rows = Rows(0);
    for (auto _ : state) {
        ui::ProcessListModel model;
        benchmark::DoNotOptimize(model.Refresh(rows, 1, kNow));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kProcesses));
}
BENCHMARK(BM_RefreshAddAll)->Unit(benchmark::kMillisecond);

void BM_ConnectionListRows(benchmark::State& state) {
    const std::vector<engine::ProcessDetail> details = Details();
    for (auto _ : state) {
        benchmark::DoNotOptimize(ui::ConnectionListRows(details, kNow));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kProcesses * kConnectionsEach));
}
BENCHMARK(BM_ConnectionListRows)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
