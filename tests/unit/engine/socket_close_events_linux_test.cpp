#include "engine/socket_close_events.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "base/worker_thread.h"
#include "engine_fakes.h"
#include "loopback_sockets_linux.h"

namespace {

using engine::SocketCloseEvent;
using engine_test::Ip;
using engine_test::Socket;

const std::uint32_t kLoopback = Ip(127, 0, 0, 1);

class SocketCloseEventsLinux : public ::testing::Test {
  protected:
    void SetUp() override {
        if (geteuid() != 0) {
            GTEST_SKIP() << "the tracepoint needs root";
        }
        const std::uint32_t result = source_->Start();
        if (result != 0) {
            GTEST_SKIP() << "the socket state tracepoint is not available: "
                         << std::strerror(static_cast<int>(result));
        }
        listener_ = engine_test::Listener();
        client_ = engine_test::ConnectTo(listener_.Port());
        accepted_ = engine_test::Accept(listener_);
        ASSERT_GE(accepted_.fd(), 0);
    }

    // The closes of the socket at `localPort` talking to `remotePort` on the loopback address, from the
    // first poll that brings any, within about 2 s. Other processes' closes arrive too and are passed over.
    std::vector<SocketCloseEvent> WaitForClose(std::uint16_t localPort, std::uint16_t remotePort) {
        std::vector<SocketCloseEvent> matches, events;
        for (int poll = 0; poll < 20 && matches.empty(); ++poll) {
            EXPECT_EQ(source_->Poll(100, events), 0u);
            for (const SocketCloseEvent& e : events) {
                if (e.localAddress == kLoopback && e.localPort == localPort && e.remoteAddress == kLoopback &&
                    e.remotePort == remotePort) {
                    matches.push_back(e);
                }
            }
        }
        return matches;
    }

    const std::uint32_t self_ = static_cast<std::uint32_t>(getpid());
    std::unique_ptr<engine::ISocketCloseEvents> source_ = engine::CreateSocketCloseEvents();
    Socket listener_, client_, accepted_;
};

TEST_F(SocketCloseEventsLinux, ClientClosedOnAnotherThreadIsOwnedByThisProcess) {
    const std::uint16_t clientPort = client_.Port();
    // Another thread closes, so the event must carry the process id rather than the thread's.
    std::thread([this] { client_.Close(); }).join();
    EXPECT_EQ(
        WaitForClose(clientPort, listener_.Port()),
        (std::vector<SocketCloseEvent>{{6, kLoopback, clientPort, kLoopback, listener_.Port(), self_}}));

    // The accepted end closes after the peer's FIN: the LAST_ACK change.
    accepted_.Close();
    EXPECT_EQ(
        WaitForClose(listener_.Port(), clientPort),
        (std::vector<SocketCloseEvent>{{6, kLoopback, listener_.Port(), kLoopback, clientPort, self_}}));
    EXPECT_EQ(source_->Lost(), 0u);
}

TEST_F(SocketCloseEventsLinux, InterruptEndsALongPoll) {
    std::vector<SocketCloseEvent> events;
    std::uint32_t result = 1;
    base::WorkerThread poller;
    ASSERT_TRUE(poller.Start([&] { result = source_->Poll(60000, events); }));
    source_->Interrupt();
    ASSERT_TRUE(poller.Join(10000)) << "the poll waited for its time-out";
    EXPECT_EQ(result, 0u);
}

}  // namespace
