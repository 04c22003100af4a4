#include "engine/traffic_monitor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <vector>

#include "base/os_error.h"
#include "engine/process_list_push.h"
#include "engine_fakes.h"
#include "support/log_capture.h"

namespace {

using engine_test::FakeClock;
using engine_test::FakeInterfaceTable;
using engine_test::FakePrivilegeOps;
using engine_test::FakeProcessSource;
using engine_test::FakeSocketTable;

class RecordingChannel final : public engine::IPluginChannel {
  public:
    void PushTotals(std::uint64_t localDown, std::uint64_t localUp, std::uint64_t accelerateDown,
                    std::uint64_t accelerateUp) override {
        std::lock_guard<std::mutex> guard(lock);
        totals.push_back({localDown, localUp, accelerateDown, accelerateUp});
    }
    bool PostProcessListEntry(const engine::ProcessListEntry& entry) override {
        std::lock_guard<std::mutex> guard(lock);
        entries.push_back(entry);
        return true;
    }
    void PostStartResult(std::uint8_t result) override { startResults.push_back(result); }

    std::mutex lock;
    std::vector<std::vector<std::uint64_t>> totals;
    std::vector<engine::ProcessListEntry> entries;
    std::vector<std::uint8_t> startResults;
};

// An engine on fake seams; the raw pointers stay valid while the engine lives.
struct EngineOnFakes {
    EngineOnFakes() {
        engine::EngineSeams seams;
        seams.sockets = std::make_unique<FakeSocketTable>();
        sockets = static_cast<FakeSocketTable*>(seams.sockets.get());
        seams.processes = std::make_unique<FakeProcessSource>();
        processes = static_cast<FakeProcessSource*>(seams.processes.get());
        seams.interfaces = std::make_unique<FakeInterfaceTable>();
        seams.privileges = std::make_unique<FakePrivilegeOps>();
        privileges = static_cast<FakePrivilegeOps*>(seams.privileges.get());
        seams.clock = std::make_unique<FakeClock>();
        seams.getAdapterInfo = [this](engine::AdapterInfo& info) {
            info.hostName = u"testhost";
            if (adapterError != 0 && adapterOsError != 0) {
                base::SetLastOsError(adapterOsError);
            }
            return adapterError;
        };
        seams.startNetworkLibrary = [this] {
            ++networkStarts;
            return 0u;
        };
        seams.stopNetworkLibrary = [this] { ++networkStops; };
        monitor = std::make_unique<engine::TrafficMonitor>(
            std::move(seams), quit,
            [this](std::u16string_view pipe) -> std::unique_ptr<engine::IPluginChannel> {
                openedPipe = pipe;
                if (!channelOpens) {
                    return nullptr;
                }
                auto owned = std::make_unique<RecordingChannel>();
                channel = owned.get();
                return owned;
            },
            [this] { ++exitRequests; });
    }

    base::Event quit{base::EventReset::kManual, false};
    FakeSocketTable* sockets = nullptr;
    FakeProcessSource* processes = nullptr;
    FakePrivilegeOps* privileges = nullptr;
    RecordingChannel* channel = nullptr;
    std::uint32_t adapterError = 0;
    std::uint32_t adapterOsError = 0;
    bool channelOpens = true;
    int networkStarts = 0;
    int networkStops = 0;
    int exitRequests = 0;
    std::u16string openedPipe;
    std::unique_ptr<engine::TrafficMonitor> monitor;
};

constexpr std::u16string_view kPipe = u"\\\\.\\pipe\\kvt-test";

struct FailedStartCase {
    const char* what;
    void (*arrange)(EngineOnFakes&);
    std::u16string_view pipe;
    const char* message;  // nullptr: nothing is logged
};

TEST(TrafficMonitorStart, EachFailingStepEndsTheStartWithItsMessage) {
    const FailedStartCase cases[] = {
        {"empty pipe name", [](EngineOnFakes&) {}, u"", nullptr},
        {"channel", [](EngineOnFakes& e) { e.channelOpens = false; }, kPipe, "Init failed，error no = "},
        {"adapters", [](EngineOnFakes& e) { e.adapterError = 1; }, kPipe, "获取网卡信息失败，error no = "},
        {"privileges", [](EngineOnFakes& e) { e.privileges->privilegeResult = 5; }, kPipe,
         "InitPrivileges failed，error no = "},
        {"process table", [](EngineOnFakes& e) { e.sockets->tcpError = 87; }, kPipe,
         "InitProcessList failed，error no = "},
    };
    for (const FailedStartCase& c : cases) {
        SCOPED_TRACE(c.what);
        testing_support::LogCapture log;
        EngineOnFakes fakes;
        c.arrange(fakes);
        EXPECT_EQ(fakes.monitor->Start(u"host.exe", c.pipe), 0u);
        EXPECT_EQ(fakes.monitor->RunningFlag(), 0u);
        if (c.message != nullptr) {
            EXPECT_EQ(log.CountStartingWith(c.message), 1) << testing::PrintToString(log.Messages());
        } else {
            EXPECT_TRUE(log.Messages().empty());
        }
        EXPECT_EQ(log.CountStartingWith("启动流量监控成功"), 0);
    }
}

// "error no" is the OS error of the failure, not the step's result code: an allocation failure in the
// adapter query answers 1, the privilege and table steps answer 8 for out of memory.
TEST(TrafficMonitorStart, AFailedStepLogsTheOsErrorItLeftNotItsResult) {
    const FailedStartCase cases[] = {
        {"adapters",
         [](EngineOnFakes& e) {
             e.adapterError = 1;
             e.adapterOsError = 1117;
         },
         kPipe, "获取网卡信息失败，error no = 1117 "},
        {"privileges",
         [](EngineOnFakes& e) {
             e.privileges->privilegeResult = 8;
             e.privileges->osError = 1300;
         },
         kPipe, "InitPrivileges failed，error no = 1300 "},
        {"process table",
         [](EngineOnFakes& e) {
             e.sockets->tcpError = engine::kOutOfMemory;
             e.sockets->osError = 1455;
         },
         kPipe, "InitProcessList failed，error no = 1455 "},
    };
    for (const FailedStartCase& c : cases) {
        SCOPED_TRACE(c.what);
        testing_support::LogCapture log;
        EngineOnFakes fakes;
        c.arrange(fakes);
        base::SetLastOsError(0);
        EXPECT_EQ(fakes.monitor->Start(u"host.exe", c.pipe), 0u);
        EXPECT_EQ(log.CountStartingWith(c.message), 1) << testing::PrintToString(log.Messages());
    }
}

TEST(TrafficMonitorStart, WithoutAdaptersStartsWithoutCaptures) {
    testing_support::LogCapture log;
    EngineOnFakes fakes;
    ASSERT_EQ(fakes.monitor->Start(u"host.exe", kPipe), 1u);
    EXPECT_EQ(fakes.openedPipe, kPipe);
    EXPECT_EQ(fakes.monitor->HostProcessName(), u"host.exe");
    EXPECT_EQ(fakes.monitor->HostName(), u"testhost");
    EXPECT_EQ(fakes.monitor->RunningFlag(), 1u);
    EXPECT_EQ(fakes.networkStarts, 1);
    ASSERT_NE(fakes.monitor->Captures(), nullptr);
    EXPECT_TRUE(fakes.monitor->Captures()->Contexts().empty());
    EXPECT_FALSE(fakes.monitor->Captures()->DecoderStarted());
    EXPECT_EQ(log.CountStartingWith("启动流量监控成功"), 1);
}

TEST(TrafficMonitorLifecycle, PauseResumeStopAndDestruction) {
    testing_support::LogCapture log;
    EngineOnFakes fakes;
    ASSERT_EQ(fakes.monitor->Start(u"host.exe", kPipe), 1u);

    fakes.monitor->Pause();
    EXPECT_EQ(fakes.monitor->MonitorState(), engine::kMonitorPaused);
    fakes.monitor->Resume();
    EXPECT_EQ(fakes.monitor->MonitorState(), engine::kMonitorRunning);
    fakes.monitor->Stop();
    EXPECT_EQ(fakes.monitor->RunningFlag(), 0u);

    // The workers end on the quit event well within their bounded waits.
    fakes.quit.Set();
    const auto before = std::chrono::steady_clock::now();
    fakes.monitor.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(1500));
    EXPECT_EQ(fakes.networkStops, 1);
    const std::vector<std::string> messages = log.Messages();
    const std::vector<std::string> tail(messages.end() - 3, messages.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"暂停流量监控", "恢复流量监控", "销毁流量监控实例"}));
}

TEST(TrafficMonitorLifecycle, StatisticsTickPushesTotalsThroughTheChannel) {
    testing_support::LogCapture log;
    EngineOnFakes fakes;
    ASSERT_EQ(fakes.monitor->Start(u"host.exe", kPipe), 1u);
    fakes.monitor->Statistics().UpdateStatistics();
    ASSERT_NE(fakes.channel, nullptr);
    EXPECT_EQ(fakes.channel->totals.size(), 1u);

    // A stopped engine pushes nothing more.
    fakes.monitor->Stop();
    fakes.monitor->Statistics().UpdateStatistics();
    EXPECT_EQ(fakes.channel->totals.size(), 1u);
    fakes.quit.Set();
}

}  // namespace
