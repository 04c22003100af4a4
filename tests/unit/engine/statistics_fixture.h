#pragma once

// The engine's model on fake seams: port-to-process table, registry, tunnel counters and statistics,
// with ticks whose times lie whole seconds after the engine's start.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <future>
#include <initializer_list>
#include <string>
#include <vector>

#include "base/text.h"
#include "engine/traffic_statistics.h"
#include "engine_fakes.h"

namespace engine_test {

// An established TCP connection from 127.0.0.1:`port` of `pid`.
inline engine::TcpRow Tcp(std::uint16_t port, std::uint32_t pid, std::uint16_t remotePort = 80) {
    return {engine::TcpState::kEstablished, Ip(127, 0, 0, 1), port, Ip(127, 0, 0, 1), remotePort, pid};
}

// The table in one line, records joined by " | ": "pid name[ exited]:" then per connection its port,
// "u" for UDP, "-" once closed and "=up/down" when it has counted bytes.
inline std::string Describe(const engine::ProcessList& list) {
    std::string out;
    for (const engine::ProcessRecord& p : list) {
        out += (out.empty() ? "" : " | ") + std::to_string(p.pid) + " " + base::Utf16ToUtf8(p.name) +
               (p.state == engine::kStateRunning ? ":" : " exited:");
        for (const engine::ConnectionRecord& c : p.connections) {
            out += " " + std::to_string(c.localPort) + (c.protocol == engine::kProtocolUdp ? "u" : "") +
                   (c.state == engine::kStateOpen ? "" : "-");
            if (c.bytesUp + c.bytesDown != 0) {
                out += "=" + std::to_string(c.bytesUp) + "/" + std::to_string(c.bytesDown);
            }
        }
    }
    return out;
}

// Whether another thread can take the lock right now.
inline bool FreeForOthers(base::ReentrantLock& lock) {
    return std::async(std::launch::async, [&lock] { return lock.try_lock() && (lock.unlock(), true); }).get();
}

// Local down, local up, accelerated down, accelerated up.
using Pushed = std::array<std::uint64_t, 4>;

// A plugin channel; one whose pipe is full would block a push, so the engine lock must be free by then.
class RecordingSink final : public engine::ITotalsSink {
  public:
    explicit RecordingSink(base::ReentrantLock& engineLock) : lock(engineLock) {}
    void PushTotals(std::uint64_t localDown, std::uint64_t localUp, std::uint64_t accelerateDown,
                    std::uint64_t accelerateUp) override {
        pushes.push_back({localDown, localUp, accelerateDown, accelerateUp});
        lockFree = lockFree && FreeForOthers(lock);
    }
    base::ReentrantLock& lock;
    std::vector<Pushed> pushes;
    bool lockFree = true;
};

// What the alarm callback saw on one call.
struct AlarmCall {
    const engine::SpeedAlarmRecord* records = nullptr;
    const std::uint32_t* countAddress = nullptr;
    void* context = nullptr;
    std::size_t pushesBefore = 0;  // pushes made before the call
    std::vector<engine::SpeedAlarmRecord> listed;
};

// Everything a model test works on; a table-driven test may build one per row.
struct StatisticsScene {
    static constexpr std::uint32_t kTunnelIndex = 7;

    StatisticsScene() {
        stats_.SetTotalsSink(&sink_);
        stats_.RegisterAlarmCallback(&StatisticsScene::OnAlarm, this);
    }
    StatisticsScene(const StatisticsScene&) = delete;
    StatisticsScene& operator=(const StatisticsScene&) = delete;

    // `n` whole seconds after the engine's start.
    static base::SystemTime Second(std::int64_t n) {
        return base::CalendarSecondsToLocal(base::LocalToCalendarSeconds(At(10, 0, 0)) + n);
    }

    // A running process owning one TCP port per entry of `ports`; it enters the table at the next
    // Start or Refresh.
    void AddProcess(std::uint32_t pid, std::u16string_view name, std::initializer_list<std::uint16_t> ports) {
        processes_.Add(pid, name);
        for (std::uint16_t port : ports) {
            sockets_.tcp.push_back(Tcp(port, pid));
        }
    }
    // The engine starts at second 0 with the processes added so far.
    void Start() {
        clock_.time = startTime_ = Second(0);
        ASSERT_EQ(table_.InitProcessList(), 0u);
    }
    // New processes enter the table, at second `n`.
    void Refresh(std::int64_t n) {
        clock_.time = Second(n);
        ASSERT_EQ(table_.RefreshProcessList(), 0u);
    }
    // The process ends; the status pass at second `n` marks it exited.
    void End(std::uint32_t pid, std::int64_t n) {
        processes_.processes[pid].running = false;
        std::erase_if(sockets_.tcp, [pid](const engine::TcpRow& row) { return row.pid == pid; });
        clock_.time = Second(n);
        ASSERT_TRUE(registry_.RefreshProcessStatus(u"host.exe", hooks_));
    }

    engine::ProcessRecord* Process(std::uint32_t pid) {
        for (engine::ProcessRecord& p : table_.Processes()) {
            if (p.pid == pid) {
                return &p;
            }
        }
        ADD_FAILURE() << "no record of pid " << pid;
        return nullptr;
    }
    std::string Table() {
        base::AutoLock hold(lock_);
        return Describe(table_.Processes());
    }
    // Bytes as the decoder adds them, to the record of `port` (open or closed).
    void Count(std::uint32_t pid, std::uint16_t port, std::uint64_t up, std::uint64_t down) {
        base::AutoLock hold(lock_);
        for (engine::ConnectionRecord& c : Process(pid)->connections) {
            if (c.localPort == port) {
                c.bytesUp += up;
                c.bytesDown += down;
                return;
            }
        }
        ADD_FAILURE() << "pid " << pid << " has no port " << port;
    }

    void Accelerate(std::u16string_view names) {
        ASSERT_EQ(lists_.SetAccelerateProcess(names.data(), static_cast<std::int32_t>(names.size()), u";", 1),
                  1);
    }
    void Unclear(std::u16string_view names) {
        ASSERT_EQ(
            lists_.SetUnclearProcessName(names.data(), static_cast<std::int32_t>(names.size()), u";", 1), 1);
    }
    // The accelerator reports bytes through its tunnel (sums mode).
    void Tunnel(std::uint32_t sent, std::uint32_t received) {
        base::AutoLock hold(lock_);
        adapter_.AddReportedCounters(sent, received);
    }
    // A tunnel interface with its own counters (interface mode).
    void TunnelInterface(std::uint32_t inOctets, std::uint32_t outOctets) {
        interfaces_.rows = {{kTunnelIndex, u"WAN Miniport (PPP)", inOctets, outOctets}};
        interfaces_.adapters = {{u"WAN Miniport (PPP)", {"172.16.5.9"}}};
        base::AutoLock hold(lock_);
        adapter_.ScanTunnelInterface();
        ASSERT_EQ(adapter_.InterfaceIndex(), kTunnelIndex);
    }

    void TickAt(std::int64_t n) {
        clock_.time = Second(n);
        stats_.UpdateStatistics();
    }
    // Whether the tick at second `n` handed the batch to the alarm callback.
    bool AlarmedAt(std::int64_t n) {
        const std::size_t before = alarms_.size();
        TickAt(n);
        EXPECT_LE(alarms_.size(), before + 1);
        return alarms_.size() > before;
    }
    std::vector<std::uint32_t> ListedPids() {
        base::AutoLock hold(lock_);
        std::vector<std::uint32_t> pids;
        for (std::uint32_t i = 0; i < stats_.Batch().count; ++i) {
            pids.push_back(stats_.Batch().records[i].pid);
        }
        return pids;
    }

    static void OnAlarm(engine::SpeedAlarmRecord* records, std::uint32_t* count, void* context) {
        auto* self = static_cast<StatisticsScene*>(context);
        self->alarms_.push_back(
            {records, count, context, self->sink_.pushes.size(), {records, records + *count}});
    }

    base::ReentrantLock lock_;
    FakeSocketTable sockets_;
    FakeProcessSource processes_;
    FakeClock clock_;
    FakeInterfaceTable interfaces_;
    engine::ProcessNames names_{processes_};
    engine::ProcessTable table_{lock_, sockets_, names_, clock_};
    engine::NameLists lists_{u"kvtmon.exe"};
    engine::AccelerateAdapter adapter_{interfaces_};
    engine::ProcessRegistry registry_{table_, names_, lists_, adapter_};
    std::atomic<std::uint32_t> running_{1};
    base::SystemTime startTime_ = Second(0);
    engine::TrafficStatistics stats_{table_, registry_, adapter_, running_, startTime_};
    RecordingSink sink_{lock_};
    std::vector<AlarmCall> alarms_;
    // What the status passes reported: the exited records, and the host's end.
    std::vector<std::pair<std::uint32_t, std::u16string>> exited_;
    int exitRequests_ = 0;
    engine::ProcessStatusHooks hooks_{
        [this](std::uint32_t pid, const std::u16string& name) { exited_.emplace_back(pid, name); },
        [this] { ++exitRequests_; }};
};

class StatisticsTest : public ::testing::Test, protected StatisticsScene {};

}  // namespace engine_test
