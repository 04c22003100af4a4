// The port-to-process table with 10 000 sockets open on loopback: 5 000 bound UDP sockets and 2 500
// TCP connections (both ends), on top of whatever the machine holds. Measures a refresh in which every
// socket is new (socket owners not known yet), one in which nothing changed, the /proc walk that finds
// socket owners, and the per-packet look-up.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <unordered_map>
#include <vector>

#include "engine/process_table.h"
#include "engine/socket_table_linux.h"

namespace {

constexpr int kUdpSockets = 5000;
constexpr int kTcpConnections = 2500;

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    return a;
}

std::uint16_t PortOf(int fd) {
    sockaddr_in a{};
    socklen_t length = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length);
    return ntohs(a.sin_port);
}

// The sockets live for the whole run; the process ends right after the benchmarks.
class LoopbackSockets {
  public:
    bool Open() {
        rlimit limit{};
        getrlimit(RLIMIT_NOFILE, &limit);
        const rlim_t wanted = kUdpSockets + 2 * kTcpConnections + 256;
        if (limit.rlim_cur < wanted) {
            limit.rlim_cur = std::min(wanted, limit.rlim_max);
            setrlimit(RLIMIT_NOFILE, &limit);
        }
        const sockaddr_in any = Loopback(0);
        for (int i = 0; i < kUdpSockets; ++i) {
            const int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
            if (s < 0 || bind(s, reinterpret_cast<const sockaddr*>(&any), sizeof any) != 0) {
                return Fail("udp");
            }
            fds_.push_back(s);
            ports_.push_back(PortOf(s));
        }
        const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (listener < 0 || bind(listener, reinterpret_cast<const sockaddr*>(&any), sizeof any) != 0 ||
            listen(listener, 128) != 0) {
            return Fail("listener");
        }
        fds_.push_back(listener);
        const sockaddr_in server = Loopback(PortOf(listener));
        for (int i = 0; i < kTcpConnections; ++i) {
            const int client = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (client < 0 ||
                connect(client, reinterpret_cast<const sockaddr*>(&server), sizeof server) != 0) {
                return Fail("connect");
            }
            const int accepted = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (accepted < 0) {
                return Fail("accept");
            }
            fds_.push_back(client);
            fds_.push_back(accepted);
            ports_.push_back(PortOf(client));
        }
        return true;
    }
    std::size_t Count() const { return fds_.size(); }
    const std::vector<std::uint16_t>& Ports() const { return ports_; }

  private:
    bool Fail(const char* what) {
        std::perror(what);
        return false;
    }
    std::vector<int> fds_;
    std::vector<std::uint16_t> ports_;
};

LoopbackSockets& Sockets() {
    static LoopbackSockets sockets;
    return sockets;
}

// A table and the system sources behind it.
struct Table {
    base::ReentrantLock lock;
    std::unique_ptr<engine::ISocketTableSource> sockets = engine::CreateSocketTableSource();
    std::unique_ptr<engine::IProcessSource> processes = engine::CreateProcessSource();
    engine::ProcessNames names{*processes};
    engine::SystemClock clock;
    engine::ProcessTable table{lock, *sockets, names, clock};
};

// Every socket new to the table, and no socket owner known to the source yet.
void BM_RefreshEverySocketNew(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto table = std::make_unique<Table>();
        state.ResumeTiming();
        if (table->table.RefreshProcessList() != 0) {
            state.SkipWithError("refresh failed");
        }
        state.PauseTiming();
        state.counters["ports"] = static_cast<double>(table->table.SnapshotPorts().size());
        table.reset();
        state.ResumeTiming();
    }
    state.counters["sockets"] = static_cast<double>(Sockets().Count());
}

// Every socket new to the table, but the source knows their owners from an earlier fetch: the cost of
// building the records alone.
void BM_RefreshEveryPortNewOwnersKnown(benchmark::State& state) {
    Table warm;
    warm.table.RefreshProcessList();
    for (auto _ : state) {
        state.PauseTiming();
        auto table = std::make_unique<engine::ProcessTable>(warm.lock, *warm.sockets, warm.names, warm.clock);
        state.ResumeTiming();
        benchmark::DoNotOptimize(table->RefreshProcessList());
        state.PauseTiming();
        table.reset();
        state.ResumeTiming();
    }
}

void BM_RefreshNothingChanged(benchmark::State& state) {
    Table table;
    if (table.table.InitProcessList() != 0) {
        state.SkipWithError("init failed");
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(table.table.RefreshProcessList());
    }
    state.counters["ports"] = static_cast<double>(table.table.SnapshotPorts().size());
}

void BM_SocketOwnerScan(benchmark::State& state) {
    engine::OwnerScanStats stats;
    for (auto _ : state) {
        std::unordered_map<std::uint64_t, std::uint32_t> owners;
        owners.reserve(16384);
        stats = engine::ScanSocketOwners(owners);
        benchmark::DoNotOptimize(owners.size());
    }
    state.counters["processes"] = static_cast<double>(stats.processes);
    state.counters["descriptors"] = static_cast<double>(stats.descriptors);
}

void BM_FetchTables(benchmark::State& state) {
    const auto source = engine::CreateSocketTableSource();
    std::vector<engine::TcpRow> tcp;
    std::vector<engine::UdpRow> udp;
    for (auto _ : state) {
        benchmark::DoNotOptimize(source->FetchTcpTable(tcp) + source->FetchUdpTable(udp));
    }
    state.counters["rows"] = static_cast<double>(tcp.size() + udp.size());
}

// The decoder's look-up of one packet's port, under the engine lock.
void BM_FindPortRecord(benchmark::State& state) {
    Table table;
    if (table.table.InitProcessList() != 0) {
        state.SkipWithError("InitProcessList failed");
        return;
    }
    const std::vector<std::uint16_t>& ports = Sockets().Ports();
    std::size_t i = 0;
    for (auto _ : state) {
        base::AutoLock hold(table.lock);
        engine::ConnectionRecord* record = table.table.FindPortRecord(ports[i++ % ports.size()]);
        if (record != nullptr) {
            record->bytesDown += 1;
        }
        benchmark::DoNotOptimize(record);
    }
}

BENCHMARK(BM_RefreshEverySocketNew)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_RefreshEveryPortNewOwnersKnown)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_RefreshNothingChanged)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_SocketOwnerScan)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FetchTables)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FindPortRecord);

}  // namespace

int main(int argc, char** argv) {
    if (!Sockets().Open()) {
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
