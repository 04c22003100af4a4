// Real captures on the loopback interface. Opening a capture needs CAP_NET_RAW; without it the tests
// that need one are skipped. Traffic goes only to 127.0.0.1, between sockets the test owns.

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

#include "base/event.h"
#include "engine/adapter_info.h"
#include "engine/capture.h"
#include "engine/capture_set.h"
#include "loopback_sockets_linux.h"
#include "recording_counter.h"
#include "support/log_capture.h"

namespace {

using engine_test::BoundSocket;
using engine_test::SendTo;

bool NotPermitted(int result) {
    return result == EPERM || result == EACCES;
}

// Up to 8000 bytes: larger than the 256-byte snapshot, whose total length still counts.
const std::vector<std::size_t> kPayloads{1, 100, 1000, 1472, 8000};

struct TestEngine {
    std::atomic<std::uint32_t> running{1};
    std::atomic<std::uint32_t> state{1};
    std::atomic<std::uint8_t> refresh{0};
    base::Event snifferEvent{base::EventReset::kManual, true};
    base::Event quitEvent{base::EventReset::kManual, false};
    std::vector<std::uint32_t> locals{engine::kLoopbackAddress};

    engine::SnifferLinks Links(engine::IPacketCounter& counter) {
        return {running, state, snifferEvent, quitEvent, locals, counter, refresh};
    }
    // Stop: the running flag drops and paused sniffers are let go.
    void Stop() {
        running = 0;
        snifferEvent.Set();
    }
};

TEST(CaptureSetLinux, CapturesDecodesAndCountsUntilStopped) {
    TestEngine engine;
    const engine_test::Socket sender = BoundSocket(SOCK_DGRAM), receiver = BoundSocket(SOCK_DGRAM);
    RecordingCounter counter({sender.Port()});
    counter.Expect(kPayloads.size(),
                   [&](const engine::PacketCount& c) { return c.localPort == sender.Port(); });
    {
        engine::CaptureSet captures(engine.Links(counter));
        // The first adapter has no address: skipped, but it keeps its index for the bind port.
        const std::vector<std::u16string> names{u"no-address0", u"lo"};
        const std::vector<std::vector<std::uint32_t>> lists{{}, {engine::kLoopbackAddress}};
        const int launched = captures.LaunchCaptures(names, lists);
        if (NotPermitted(launched)) {
            engine.Stop();
            GTEST_SKIP() << "capturing needs CAP_NET_RAW";
        }
        ASSERT_EQ(launched, 0);
        ASSERT_EQ(captures.Contexts().size(), 1u);
        const engine::SnifferContext& context = *captures.Contexts()[0];
        EXPECT_EQ(context.port, engine::kSnifferBasePort + 1);
        EXPECT_EQ(context.adapterName, u"lo");
        EXPECT_TRUE(captures.DecoderStarted());

        for (const std::size_t size : kPayloads) {
            ASSERT_TRUE(SendTo(sender, receiver.Port(), size));
        }
        ASSERT_TRUE(counter.WaitForExpected(10000));
        EXPECT_EQ(engine.state.load(), 1u);

        // Stop while paused: the sniffer is released by the event, sees the flag and ends (a quiet
        // interface's receive ends after its time-out).
        engine.snifferEvent.Reset();
        engine.Stop();
        EXPECT_TRUE(captures.Contexts()[0]->snifferThread.Join(2000));
        EXPECT_TRUE(captures.Contexts()[0]->decoderThread.Join(2000));
    }
    EXPECT_EQ(engine.state.load(), engine::kMonitorCaptureEnded);
    EXPECT_FALSE(engine.quitEvent.Wait(0));
    std::vector<std::uint32_t> sizes;
    for (const engine::PacketCount& c : counter.Counted()) {
        if (c.localPort == sender.Port()) {
            EXPECT_EQ(c.direction, engine::CountDirection::kUpload);
            sizes.push_back(c.bytes);
        }
    }
    EXPECT_EQ(sizes, std::vector<std::uint32_t>(kPayloads.begin(), kPayloads.end()));
}

TEST(CaptureSetLinux, CaptureFailureIsLoggedAndSignalsTheQuitEvent) {
    testing_support::LogCapture log;
    TestEngine engine;
    RecordingCounter counter({});
    {
        engine::CaptureSet captures(engine.Links(counter));
        const std::vector<std::u16string> names{u"kvt-none0"};
        const std::vector<std::vector<std::uint32_t>> lists{{engine::MakeIpv4(10, 99, 0, 1)}};
        EXPECT_NE(captures.LaunchCaptures(names, lists), 0);
        EXPECT_TRUE(engine.quitEvent.Wait(0));
        EXPECT_FALSE(captures.DecoderStarted());
        ASSERT_EQ(captures.Contexts().size(), 1u);
        EXPECT_FALSE(captures.Contexts()[0]->capture.IsOpen());
        EXPECT_FALSE(captures.Contexts()[0]->snifferThread.IsStarted());
        engine.Stop();
    }
    EXPECT_EQ(log.CountStartingWith("bind failed，error no = "), 1);
    EXPECT_EQ(log.CountStartingWith("InitNetwork failed，error no = "), 1);
}

}  // namespace
