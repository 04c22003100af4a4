#include "engine/socket_table_linux.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/socket_table.h"
#include "engine_fakes.h"
#include "loopback_sockets_linux.h"

namespace {

using engine::TcpRow;
using engine::TcpState;
using engine::UdpRow;
using engine_test::Ip;
using engine_test::Socket;

const std::uint32_t kLoopback = Ip(127, 0, 0, 1);

class LinuxSocketTable : public ::testing::Test {
  protected:
    void SetUp() override {
        listener_ = engine_test::Listener();
        client_ = engine_test::ConnectTo(listener_.Port());
        accepted_ = engine_test::Accept(listener_);
        udp_ = engine_test::BoundSocket(SOCK_DGRAM);
        ASSERT_GE(accepted_.fd(), 0);
        ASSERT_NE(udp_.Port(), 0);
    }

    std::vector<TcpRow> Tcp() {
        std::vector<TcpRow> rows;
        EXPECT_EQ(source_->FetchTcpTable(rows), 0u);
        return rows;
    }
    std::vector<UdpRow> Udp() {
        std::vector<UdpRow> rows;
        EXPECT_EQ(source_->FetchUdpTable(rows), 0u);
        return rows;
    }

    const std::uint32_t self_ = static_cast<std::uint32_t>(getpid());
    Socket listener_, client_, accepted_, udp_;
    std::unique_ptr<engine::ISocketTableSource> source_ = engine::CreateSocketTableSource();
};

TEST_F(LinuxSocketTable, ListsOwnLoopbackSocketsWithThisPidAndTheirStates) {
    const std::vector<TcpRow> tcp = Tcp();
    const TcpRow listener{TcpState::kListen, kLoopback, listener_.Port(), 0, 0, self_};
    const TcpRow client{TcpState::kEstablished, kLoopback, client_.Port(), kLoopback,
                        listener_.Port(),       self_};
    const TcpRow accepted{TcpState::kEstablished, kLoopback, listener_.Port(), kLoopback,
                          client_.Port(),         self_};
    const auto at = [&](const TcpRow& row) { return std::find(tcp.begin(), tcp.end(), row); };
    ASSERT_NE(at(listener), tcp.end());
    ASSERT_NE(at(client), tcp.end());
    ASSERT_NE(at(accepted), tcp.end());
    std::vector<TcpRow> sorted = tcp;
    engine::SortTcpRows(sorted);
    EXPECT_EQ(sorted, tcp) << "a port's listener comes before its connections";

    const std::vector<UdpRow> udp = Udp();
    EXPECT_NE(std::find(udp.begin(), udp.end(), UdpRow{kLoopback, udp_.Port(), self_}), udp.end());
}

TEST_F(LinuxSocketTable, SocketsOfAChildProcessBelongToTheChild) {
    // The child inherits a socket that this process then closes: the child alone holds it.
    Socket inherited = engine_test::BoundSocket(SOCK_DGRAM);
    const engine_test::Child child;
    const std::uint16_t port = inherited.Port();
    inherited.Close();
    const std::vector<UdpRow> udp = Udp();
    EXPECT_NE(std::find(udp.begin(), udp.end(), UdpRow{kLoopback, port, child.pid()}), udp.end());
}

TEST_F(LinuxSocketTable, OwnersAreLookedForOnlyWhenAnInodeIsNew) {
    engine::SocketOwnerCache owners;
    std::vector<engine::KernelSocket> sockets;
    std::vector<std::uint32_t> pids;
    ASSERT_EQ(engine::DumpInetSockets(IPPROTO_TCP, sockets), 0u);
    owners.Resolve(sockets, pids);
    EXPECT_EQ(owners.Scans(), 1u);
    const auto it = std::find_if(sockets.begin(), sockets.end(),
                                 [&](const auto& s) { return s.localPort == client_.Port(); });
    ASSERT_NE(it, sockets.end());
    EXPECT_EQ(pids[static_cast<std::size_t>(it - sockets.begin())], self_);
    std::vector<engine::KernelSocket> proc;
    ASSERT_EQ(engine::ReadProcNetSockets("/proc/net/tcp", proc), 0u);
    EXPECT_NE(std::find(proc.begin(), proc.end(), *it), proc.end()) << "the fallback reads the same socket";

    owners.Resolve(sockets, pids);
    EXPECT_EQ(owners.Scans(), 1u);
    const Socket another = engine_test::ConnectTo(listener_.Port());
    ASSERT_EQ(engine::DumpInetSockets(IPPROTO_TCP, sockets), 0u);
    owners.Resolve(sockets, pids);
    EXPECT_EQ(owners.Scans(), 2u);
}

}  // namespace
