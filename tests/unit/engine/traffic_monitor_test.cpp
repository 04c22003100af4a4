#include "engine/traffic_monitor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "base/os_error.h"
#include "engine/accelerator_report.h"
#include "engine/traffic_snapshots.h"
#include "engine_fakes.h"
#include "support/log_capture.h"

namespace {

using engine_test::FakePrivilegeOps;
using engine_test::FakeProcessSource;
using engine_test::FakeSocketTable;

class RecordingChannel final : public engine::IPluginChannel {
  public:
    void PushTotals(std::uint64_t, std::uint64_t, std::uint64_t, std::uint64_t) override { ++totals; }
    bool PostProcessListEntry(const engine::ProcessListEntry&) override { return true; }
    void PostStartResult(std::uint8_t) override {}
    std::atomic<int> totals{0};
};

// An engine on fake seams with browser.exe on TCP port 5000; the raw pointers stay valid while the
// engine lives.
struct EngineOnFakes {
    EngineOnFakes() {
        engine::EngineSeams seams;
        seams.sockets = std::make_unique<FakeSocketTable>();
        sockets = static_cast<FakeSocketTable*>(seams.sockets.get());
        sockets->tcp.push_back(
            {engine::TcpState::kEstablished, engine_test::Ip(127, 0, 0, 1), 5000, 0, 80, 100});
        seams.processes = std::make_unique<FakeProcessSource>();
        static_cast<FakeProcessSource*>(seams.processes.get())->Add(100, u"browser.exe");
        seams.interfaces = std::make_unique<engine_test::FakeInterfaceTable>();
        seams.privileges = std::make_unique<FakePrivilegeOps>();
        privileges = static_cast<FakePrivilegeOps*>(seams.privileges.get());
        seams.clock = std::make_unique<engine_test::FakeClock>();
        seams.getAdapterInfo = [this](engine::AdapterInfo& info) {
            info.hostName = u"testhost";
            if (adapterError != 0 && adapterOsError != 0) {
                base::SetLastOsError(adapterOsError);
            }
            return adapterError;
        };
        seams.startNetworkLibrary = [this] { return ++networkStarts, 0u; };
        seams.stopNetworkLibrary = [this] { ++networkStops; };
        monitor = std::make_unique<engine::TrafficMonitor>(
            std::move(seams), quit,
            [this](std::u16string_view pipe) -> std::unique_ptr<engine::IPluginChannel> {
                openedPipe = pipe;
                auto owned = channelOpens ? std::make_unique<RecordingChannel>() : nullptr;
                channel = owned.get();
                return owned;
            },
            [] {});
    }

    base::Event quit{base::EventReset::kManual, false};
    FakeSocketTable* sockets = nullptr;
    FakePrivilegeOps* privileges = nullptr;
    RecordingChannel* channel = nullptr;
    std::uint32_t adapterError = 0;
    std::uint32_t adapterOsError = 0;
    bool channelOpens = true;
    int networkStarts = 0;
    int networkStops = 0;
    std::u16string openedPipe;
    std::unique_ptr<engine::TrafficMonitor> monitor;
};

constexpr std::u16string_view kPipe = u"\\\\.\\pipe\\kvt-test";

// "error no" is the OS error of the failure, not the step's result code: an allocation failure in the
// adapter query answers 1, the privilege and table steps answer 8 for out of memory.
TEST(TrafficMonitorStart, EachFailingStepEndsTheStartWithItsMessage) {
    const struct {
        const char* what;
        void (*arrange)(EngineOnFakes&);
        std::u16string_view pipe;
        const char* message;  // nullptr: nothing is logged
    } cases[] = {
        {"empty pipe name", [](EngineOnFakes&) {}, u"", nullptr},
        {"channel", [](EngineOnFakes& e) { e.channelOpens = false; }, kPipe, "Init failed，error no = "},
        {"adapters' OS error", [](EngineOnFakes& e) { e.adapterError = 1, e.adapterOsError = 1117; }, kPipe,
         "获取网卡信息失败，error no = 1117 "},
        {"privileges' OS error",
         [](EngineOnFakes& e) { e.privileges->privilegeResult = 8, e.privileges->osError = 1300; }, kPipe,
         "InitPrivileges failed，error no = 1300 "},
        {"process table's OS error",
         [](EngineOnFakes& e) { e.sockets->tcpError = engine::kOutOfMemory, e.sockets->osError = 1455; },
         kPipe, "InitProcessList failed，error no = 1455 "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing_support::LogCapture log;
        EngineOnFakes fakes;
        c.arrange(fakes);
        base::SetLastOsError(0);
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

// Without adapters the engine starts without captures; a stopped engine's tick pushes nothing. The
// workers end on the quit event within the destructor's bounded joins, which log any overrun.
TEST(TrafficMonitorLifecycle, StartPauseResumeStopAndDestruction) {
    testing_support::LogCapture log;
    EngineOnFakes fakes;
    ASSERT_EQ(fakes.monitor->Start(u"host.exe", kPipe), 1u);
    EXPECT_EQ(fakes.openedPipe, kPipe);
    EXPECT_EQ(fakes.monitor->HostName(), u"testhost");
    EXPECT_EQ(fakes.monitor->RunningFlag(), 1u);
    EXPECT_EQ(fakes.networkStarts, 1);
    ASSERT_NE(fakes.monitor->Captures(), nullptr);
    EXPECT_TRUE(fakes.monitor->Captures()->Contexts().empty());
    EXPECT_FALSE(fakes.monitor->Captures()->DecoderStarted());
    EXPECT_EQ(log.CountStartingWith("启动流量监控成功"), 1);

    fakes.monitor->Statistics().UpdateStatistics();
    ASSERT_NE(fakes.channel, nullptr);
    EXPECT_EQ(fakes.channel->totals, 1);
    fakes.monitor->Pause();
    EXPECT_EQ(fakes.monitor->MonitorState(), engine::kMonitorPaused);
    fakes.monitor->Resume();
    EXPECT_EQ(fakes.monitor->MonitorState(), engine::kMonitorRunning);
    fakes.monitor->Stop();
    EXPECT_EQ(fakes.monitor->RunningFlag(), 0u);
    fakes.monitor->Statistics().UpdateStatistics();
    EXPECT_EQ(fakes.channel->totals, 1);

    fakes.quit.Set();
    fakes.monitor.reset();
    EXPECT_EQ(fakes.networkStops, 1);
    EXPECT_EQ(log.CountStartingWith("worker thread still running"), 0);
    const std::vector<std::string> messages = log.Messages();
    const std::vector<std::string> tail(messages.end() - 3, messages.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"暂停流量监控", "恢复流量监控", "销毁流量监控实例"}));
}

// The snapshots and the accelerator's reports go to the current engine, and nowhere without one.
TEST(CurrentEngine, SnapshotsAndAcceleratorReportsUseTheCurrentEngine) {
    ASSERT_EQ(engine::CurrentTrafficMonitor(), nullptr);
    EXPECT_EQ(engine::ReadTrafficTotals(), engine::TrafficTotals{});
    EXPECT_EQ(engine::ReadProcessDetail(0), std::nullopt);
    EXPECT_EQ(engine::ReadMachineFigures(), std::nullopt);
    engine::AddAcceleratorReport(1, 2);  // nowhere to go

    EngineOnFakes current;
    engine::SetCurrentTrafficMonitor(current.monitor.get());
    const struct Unset {
        ~Unset() { engine::SetCurrentTrafficMonitor(nullptr); }
    } unset;
    ASSERT_EQ(current.monitor->Table().InitProcessList(), 0u);
    const std::vector<engine::ProcessDetail> details = engine::ReadAllProcessDetails();
    ASSERT_EQ(details.size(), 1u);
    EXPECT_EQ(details[0].connections.at(0).localPort, 5000u);
    EXPECT_EQ(engine::ReadProcessDetail(0), details[0]);
    EXPECT_EQ(engine::ReadProcessRows(), std::vector<engine::ProcessRow>{details[0].process});
    EXPECT_EQ(engine::ReadMachineFigures()->startTime, current.monitor->StartTime());

    engine::AddAcceleratorReport(300, 400);
    base::AutoLock lock(current.monitor->Table().EngineLock());
    EXPECT_EQ(current.monitor->Adapter().GetCounters().received, 400u);
}

}  // namespace
