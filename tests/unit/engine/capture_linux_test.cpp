// Real captures on the loopback interface. Opening a capture needs CAP_NET_RAW; without it the tests
// that need one are skipped. Traffic goes only to 127.0.0.1, between sockets the test owns.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <vector>

#include "base/event.h"
#include "base/scoped_handle_linux.h"
#include "engine/adapter_info.h"
#include "engine/capture.h"
#include "engine/capture_set.h"
#include "engine/packet_decoder.h"
#include "recording_counter.h"
#include "support/log_capture.h"

namespace {

// A UDP socket bound to 127.0.0.1 on a port the system picks.
class LoopbackUdp {
  public:
    LoopbackUdp() : fd_(socket(AF_INET, SOCK_DGRAM, 0)) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof a;
        if (!fd_ || bind(fd_.Get(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
            getsockname(fd_.Get(), reinterpret_cast<sockaddr*>(&a), &length) != 0) {
            throw std::runtime_error("cannot bind a loopback UDP socket");
        }
        port_ = ntohs(a.sin_port);
    }

    std::uint16_t Port() const { return port_; }
    void SendTo(const LoopbackUdp& peer, std::size_t payloadBytes) const {
        const std::vector<char> payload(payloadBytes, 'k');
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        to.sin_port = htons(peer.port_);
        ASSERT_EQ(
            sendto(fd_.Get(), payload.data(), payload.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to),
            static_cast<ssize_t>(payloadBytes));
    }

  private:
    base::ScopedFd fd_;
    std::uint16_t port_ = 0;
};

bool NotPermitted(int result) {
    return result == EPERM || result == EACCES;
}

const std::vector<std::size_t> kPayloads{1, 100, 1000, 1472, 8000};

TEST(CaptureLinux, LoopbackDatagramsArriveAsIpv4PacketsWithTheirPortsAndSizes) {
    testing_support::LogCapture log;
    engine::Capture capture;
    const int opened = capture.Open(u"lo", engine::kSnifferBasePort, engine::kLoopbackAddress);
    if (NotPermitted(opened)) {
        GTEST_SKIP() << "capturing needs CAP_NET_RAW";
    }
    ASSERT_EQ(opened, 0);
    ASSERT_TRUE(capture.IsOpen());

    LoopbackUdp sender;
    LoopbackUdp receiver;
    for (const std::size_t size : kPayloads) {
        sender.SendTo(receiver, size);
    }
    // Other programs may use the loopback too: only the sender's datagrams are looked at.
    const std::vector<std::uint32_t> locals{engine::kLoopbackAddress};
    std::vector<engine::PacketCount> seen;
    std::vector<std::uint8_t> buffer(engine::Capture::kReceiveBufferBytes);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (seen.size() < kPayloads.size() && std::chrono::steady_clock::now() < deadline) {
        const int received = capture.Receive(buffer);
        if (received <= 0) {
            continue;
        }
        const std::span<const std::uint8_t> packet(buffer.data(), static_cast<std::size_t>(received));
        ASSERT_EQ(packet[0] >> 4, 4);
        const auto count = engine::DecodePacket(packet, locals);
        if (!count || count->protocol != engine::CountProtocol::kUdp || count->localPort != sender.Port()) {
            continue;
        }
        const std::size_t totalLength = static_cast<std::size_t>(packet[2] << 8 | packet[3]);
        // Small packets arrive whole; the snapshot length cuts large ones, the total length still counts.
        EXPECT_EQ(packet.size(), std::min<std::size_t>(totalLength, packet.size()));
        EXPECT_LE(packet.size(), 256u);
        seen.push_back(*count);
    }
    ASSERT_EQ(seen.size(), kPayloads.size());
    for (std::size_t i = 0; i < kPayloads.size(); ++i) {
        EXPECT_EQ(seen[i].direction, engine::CountDirection::kUpload);
        EXPECT_EQ(seen[i].bytes, kPayloads[i]);
    }
    capture.Close();
    EXPECT_FALSE(capture.IsOpen());
}

TEST(CaptureLinux, AReceiveEndsWithinItsTimeOutWhateverTheTraffic) {
    engine::Capture capture;
    const int opened = capture.Open(u"lo", engine::kSnifferBasePort, engine::kLoopbackAddress);
    if (NotPermitted(opened)) {
        GTEST_SKIP() << "capturing needs CAP_NET_RAW";
    }
    ASSERT_EQ(opened, 0);
    std::vector<std::uint8_t> buffer(engine::Capture::kReceiveBufferBytes);
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(2500);
    int receives = 0;
    while (Clock::now() < end) {
        const auto before = Clock::now();
        EXPECT_GE(capture.Receive(buffer), 0);
        EXPECT_LT(Clock::now() - before, std::chrono::milliseconds(engine::Capture::kReceiveTimeoutMs + 250));
        ++receives;
    }
    EXPECT_GE(receives, 2);
}

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
    LoopbackUdp sender;
    LoopbackUdp receiver;
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
        EXPECT_EQ(context.primary, 0u);
        EXPECT_EQ(context.address, engine::kLoopbackAddress);
        EXPECT_EQ(context.adapterName, u"lo");
        EXPECT_TRUE(context.decoderThread.IsStarted());
        EXPECT_TRUE(captures.DecoderStarted());

        for (const std::size_t size : kPayloads) {
            sender.SendTo(receiver, size);
        }
        ASSERT_TRUE(counter.WaitForExpected(10000));
        EXPECT_EQ(engine.state.load(), 1u);

        // Stop while paused: the sniffer is released by the event, sees the flag and ends.
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
        const int result = captures.LaunchCaptures(names, lists);
        EXPECT_NE(result, 0);
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
