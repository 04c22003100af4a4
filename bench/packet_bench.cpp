// Packets per second on one core through the decoder's path: push into the queue, take, decode and count
// against the port-to-process table holding 10 000 ports, under the engine lock for each packet; one
// packet at a time, and in batches as the capture and decoder threads move them.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

#include "base/lock.h"
#include "engine/adapter_info.h"
#include "engine/capture_threads.h"
#include "engine/packet_counter.h"
#include "engine/packet_decoder.h"
#include "engine/packet_queue.h"
#include "engine/port_table_counter.h"
#include "engine/process_names.h"
#include "engine/process_table.h"
#include "support/ipv4_packets.h"
#include "unit/engine/engine_fakes.h"

namespace {

using testing_support::Packet;

constexpr std::uint32_t kLocal = engine::MakeIpv4(192, 168, 1, 10);
constexpr std::uint32_t kLocal2 = engine::MakeIpv4(10, 8, 0, 2);
constexpr std::uint32_t kRemote = engine::MakeIpv4(203, 0, 113, 7);
constexpr std::uint32_t kTunnelSide = engine::MakeIpv4(172, 16, 0, 2);
const std::vector<std::uint32_t> kLocals{kLocal2, kLocal};
constexpr int kPorts = 10000;
constexpr std::uint16_t kFirstPort = 20000;
constexpr std::size_t kRing = 4096;
// What the Linux capture keeps of a packet (snapshot 256 minus an Ethernet header).
constexpr std::size_t kLinuxCapturedBytes = 242;

// The real port-to-process table with 10 000 ports of one process (half TCP, half UDP), filled from a
// fake socket table; counting goes through the engine lock as in the decoder thread.
class BenchPortTable {
  public:
    BenchPortTable() {
        processes_.Add(100, u"GameClient.exe");
        for (int i = 0; i < kPorts; ++i) {
            const auto port = static_cast<std::uint16_t>(kFirstPort + i);
            if (i % 2 == 0) {
                sockets_.tcp.push_back(
                    engine::TcpRow{engine::TcpState::kEstablished, kLocal, port, kRemote, 443, 100});
            } else {
                sockets_.udp.push_back(engine::UdpRow{kLocal, port, 100});
            }
        }
        // A table that could not be filled would measure nothing.
        if (table_.InitProcessList() != 0) {
            std::abort();
        }
    }
    engine::IPacketCounter& Counter() { return counter_; }

  private:
    base::ReentrantLock lock_;
    engine_test::FakeSocketTable sockets_;
    engine_test::FakeProcessSource processes_;
    engine::ProcessNames names_{processes_};
    engine_test::FakeClock clock_;
    engine::ProcessTable table_{lock_, sockets_, names_, clock_};
    engine::PortTableCounter counter_{table_};
};

enum Kind { kTcp, kUdp, kL2tp, kGre };

// Half uploads, half downloads, local ports spread over the table; cut to what a capture keeps.
std::vector<Packet> Traffic(Kind kind, std::size_t captured) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> port(kFirstPort, kFirstPort + kPorts - 1);
    std::vector<Packet> packets;
    for (std::size_t i = 0; i < kRing; ++i) {
        const bool up = i % 2 == 0;
        const auto local = static_cast<std::uint16_t>(port(random));
        const std::uint32_t src = up ? kLocal : kRemote;
        const std::uint32_t dst = up ? kRemote : kLocal;
        const std::uint16_t srcPort = up ? local : 443;
        const std::uint16_t dstPort = up ? 443 : local;
        Packet p;
        switch (kind) {
            case kTcp:
                p = testing_support::TransportPacket(6, src, dst, srcPort, dstPort, 1500);
                break;
            case kUdp:
                p = testing_support::TransportPacket(17, src, dst, srcPort, dstPort, 1200);
                break;
            case kL2tp: {
                const Packet inner = testing_support::TransportPacket(
                    6, up ? kTunnelSide : kRemote, up ? kRemote : kTunnelSide, srcPort, dstPort, 1400);
                p = up ? testing_support::L2tpUpload(src, dst, inner)
                       : testing_support::L2tpDownload(src, dst, inner);
                break;
            }
            case kGre: {
                const Packet inner =
                    testing_support::TransportPacket(17, kTunnelSide, kRemote, srcPort, dstPort, 1200);
                p = testing_support::GrePacket(src, dst, 16, inner);
                break;
            }
        }
        p.resize(std::min(p.size(), captured));
        packets.push_back(std::move(p));
    }
    return packets;
}

void DecodeAndCount(benchmark::State& state, Kind kind) {
    const auto packets = Traffic(kind, kLinuxCapturedBytes);
    BenchPortTable table;
    engine::IPacketCounter& counter = table.Counter();
    std::size_t i = 0;
    std::uint64_t found = 0;
    for (auto _ : state) {
        const Packet& p = packets[i++ % kRing];
        const auto count = engine::DecodePacket(p, kLocals);
        if (count && counter.CountPacket(*count)) {
            ++found;
        }
    }
    benchmark::DoNotOptimize(found);
    if (found != static_cast<std::uint64_t>(state.iterations())) {
        state.SkipWithError("a packet was not counted");
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

void PushTakeRelease(benchmark::State& state) {
    const Packet p = testing_support::TransportPacket(6, kLocal, kRemote, kFirstPort, 443,
                                                      static_cast<std::uint16_t>(state.range(0)));
    engine::PacketQueue queue;
    for (auto _ : state) {
        queue.Push(p.data(), static_cast<std::int32_t>(p.size()));
        engine::PacketBuffer* b = nullptr;
        queue.Take(b);
        queue.Release(b);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * p.size()));
}

// The whole path of one packet on one core: the sniffer's push, then the decoder's take, decode, count
// and release, as a batch of one.
void Pipeline(benchmark::State& state, Kind kind) {
    const auto packets = Traffic(kind, static_cast<std::size_t>(state.range(0)));
    engine::PacketQueue queue;
    BenchPortTable table;
    engine::IPacketCounter& counter = table.Counter();
    std::size_t i = 0;
    std::uint64_t counted = 0;
    for (auto _ : state) {
        const Packet& p = packets[i++ % kRing];
        queue.Push(p.data(), static_cast<std::int32_t>(p.size()));
        counted += engine::DealWithPacketBatch(queue, kLocals, counter).counted;
    }
    if (counted != static_cast<std::uint64_t>(state.iterations())) {
        state.SkipWithError("a packet was not counted");
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

// The same path as the threads run it: the sniffer queues what one receive delivered (kBatch packets)
// with one hold of the queue's lock, the decoder takes, counts and releases kDecoderBatch at a time.
void BatchPipeline(benchmark::State& state, Kind kind) {
    constexpr std::size_t kBatch = 256;
    const auto packets = Traffic(kind, static_cast<std::size_t>(state.range(0)));
    std::vector<std::uint8_t> bytes;
    std::vector<std::int32_t> lengths;
    for (std::size_t i = 0; i < kBatch; ++i) {
        bytes.insert(bytes.end(), packets[i].begin(), packets[i].end());
        lengths.push_back(static_cast<std::int32_t>(packets[i].size()));
    }
    engine::PacketQueue queue;
    BenchPortTable table;
    engine::IPacketCounter& counter = table.Counter();
    std::uint64_t counted = 0;
    for (auto _ : state) {
        queue.PushBatch(bytes.data(), lengths);
        for (std::size_t left = kBatch; left > 0;) {
            const engine::BatchOutcome outcome = engine::DealWithPacketBatch(queue, kLocals, counter);
            counted += outcome.counted;
            left -= outcome.taken;
        }
    }
    if (counted != static_cast<std::uint64_t>(state.iterations()) * kBatch) {
        state.SkipWithError("a packet was not counted");
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kBatch));
}

BENCHMARK_CAPTURE(DecodeAndCount, tcp, kTcp);
BENCHMARK_CAPTURE(DecodeAndCount, udp, kUdp);
BENCHMARK_CAPTURE(DecodeAndCount, l2tp, kL2tp);
BENCHMARK_CAPTURE(DecodeAndCount, gre, kGre);
BENCHMARK(PushTakeRelease)->Arg(64)->Arg(242)->Arg(1500);
BENCHMARK_CAPTURE(Pipeline, tcp, kTcp)->Arg(kLinuxCapturedBytes)->Arg(1500);
BENCHMARK_CAPTURE(Pipeline, udp, kUdp)->Arg(kLinuxCapturedBytes)->Arg(1500);
BENCHMARK_CAPTURE(Pipeline, l2tp, kL2tp)->Arg(kLinuxCapturedBytes)->Arg(1500);
BENCHMARK_CAPTURE(BatchPipeline, tcp, kTcp)->Arg(kLinuxCapturedBytes);
BENCHMARK_CAPTURE(BatchPipeline, udp, kUdp)->Arg(kLinuxCapturedBytes);

}  // namespace

BENCHMARK_MAIN();
