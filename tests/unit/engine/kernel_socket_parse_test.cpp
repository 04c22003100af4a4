#include "engine/kernel_socket_parse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "engine_fakes.h"
#include "kernel_socket_fixtures.h"

namespace {

using engine::DumpProgress;
using engine::KernelSocket;
using engine_test::Ip;

constexpr std::uint32_t kBadMessage = 74;

// The captured sockets.
const std::vector<KernelSocket> kCapturedTcp = {
    {10, 0, 2024, 0, 0, 1203},
    {1, Ip(127, 0, 0, 1), 52834, Ip(127, 0, 0, 1), 47001, 369152},
};

// One netlink message of the given type with a payload of `payloadSize` zero bytes.
std::vector<std::uint8_t> Message(std::uint16_t type, std::size_t payloadSize) {
    std::vector<std::uint8_t> m(engine::netlink::kHeaderSize + payloadSize, 0);
    const auto length = static_cast<std::uint32_t>(m.size());
    std::memcpy(m.data(), &length, 4);
    std::memcpy(m.data() + 4, &type, 2);
    return m;
}

// An error or done message carrying `error` in its first payload field.
std::vector<std::uint8_t> WithError(std::uint16_t type, std::size_t payloadSize, std::int32_t error) {
    std::vector<std::uint8_t> m = Message(type, payloadSize);
    std::memcpy(m.data() + engine::netlink::kHeaderSize, &error, 4);
    return m;
}

DumpProgress Parse(std::span<const std::uint8_t> bytes, std::vector<KernelSocket>& out) {
    return engine::ParseSockDiagDatagram(bytes, out);
}

TEST(SockDiagParser, CapturedDumpsGiveTheSocketsThatProcNetListed) {
    std::vector<KernelSocket> tcp;
    EXPECT_EQ(Parse(engine_test::kTcpDiagDatagram, tcp).status, DumpProgress::kMore);
    EXPECT_EQ(Parse(engine_test::kTcpDiagDone, tcp).status, DumpProgress::kDone);
    EXPECT_EQ(tcp, kCapturedTcp);
    EXPECT_EQ(engine::ParseProcNetTable(engine_test::kProcNetTcp), kCapturedTcp);

    EXPECT_EQ(engine::ParseProcNetTable(engine_test::kProcNetUdp),
              (std::vector<KernelSocket>{{7, Ip(127, 0, 0, 1), 47002, 0, 0, 369162}}));
}

TEST(SockDiagParser, EveryCutOfADatagramKeepsOnlyWholeMessages) {
    const std::span<const std::uint8_t> whole(engine_test::kTcpDiagDatagram);
    const std::size_t messageSize = whole.size() / kCapturedTcp.size();
    for (std::size_t size = 0; size <= whole.size(); ++size) {
        // An exact-size copy, so that AddressSanitizer sees any read past the end.
        const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        std::vector<KernelSocket> sockets;
        const DumpProgress progress = Parse(cut, sockets);
        const std::size_t partial = size % messageSize;
        EXPECT_EQ(sockets.size(), size / messageSize) << size;
        if (partial == 0 || partial < engine::netlink::kHeaderSize) {
            EXPECT_EQ(progress.status, DumpProgress::kMore) << size;
        } else {
            EXPECT_EQ(progress.status, DumpProgress::kFailed) << size;
            EXPECT_EQ(progress.error, kBadMessage);
        }
    }
}

TEST(SockDiagParser, MalformedAndSpecialMessages) {
    std::vector<KernelSocket> sockets;
    auto zeroLength = Message(engine::netlink::kSockDiagByFamily, engine::netlink::kInetDiagMsgSize);
    std::fill_n(zeroLength.begin(), 4, 0);
    EXPECT_EQ(Parse(zeroLength, sockets).status, DumpProgress::kFailed) << "a zero length must not loop";

    EXPECT_EQ(Parse(Message(engine::netlink::kSockDiagByFamily, 71), sockets).error, kBadMessage);

    const DumpProgress noEntry = Parse(WithError(engine::netlink::kError, 20, -2), sockets);
    EXPECT_EQ(noEntry.status, DumpProgress::kFailed);
    EXPECT_EQ(noEntry.error, 2u);
    EXPECT_EQ(Parse(WithError(engine::netlink::kDone, 4, -4), sockets).error, 4u);
    EXPECT_EQ(Parse(Message(engine::netlink::kError, 2), sockets).error, kBadMessage);
    // The most negative error field has no signed negation (found by fuzzing).
    for (const std::uint16_t type : {engine::netlink::kDone, engine::netlink::kError}) {
        const std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
        EXPECT_EQ(Parse(WithError(type, 4, lowest), sockets).error, 0x80000000u) << type;
    }

    // An acknowledgement, a no-op and an IPv6 entry are passed over.
    auto ipv6 = Message(engine::netlink::kSockDiagByFamily, engine::netlink::kInetDiagMsgSize);
    ipv6[16] = 10;
    auto datagram = Message(engine::netlink::kError, 20);
    for (const auto& m : {Message(engine::netlink::kNoop, 3), ipv6}) {
        datagram.insert(datagram.end(), m.begin(), m.end());
        datagram.resize((datagram.size() + 3) & ~std::size_t{3});
    }
    EXPECT_EQ(Parse(datagram, sockets).status, DumpProgress::kMore);
    EXPECT_TRUE(sockets.empty());
}

TEST(ProcNetParser, SkipsEveryLineThatDoesNotParse) {
    const std::string_view good =
        "   7: 0100007F:1F90 0200000A:0050 01 00000000:00000000 00:00000000 00000000  1000  0 4242 1";
    const KernelSocket expected{1, Ip(127, 0, 0, 1), 8080, Ip(10, 0, 0, 2), 80, 4242};
    EXPECT_EQ(engine::ParseProcNetTable(good), std::vector<KernelSocket>{expected})
        << "no line end after the last line";

    const std::string_view bad[] = {
        "",
        "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  timeout inode",
        "   7: 0100007F:1F90 0200000A:0050 01 00000000:00000000 00:00000000 00000000  1000  0",
        "   7: 0100007F:1F9 0200000A:0050 01 00000000:00000000 00:00000000 00000000  1000  0 4242",
        "   7: 0100007G:1F90 0200000A:0050 01 00000000:00000000 00:00000000 00000000  1000  0 4242",
        "   7: 00000000000000000000000001000000:1F90 00000000000000000000000000000000:0000 0A 0:0 0:0 0 0 0 "
        "1",
        "   7: 0100007F:1F90 0200000A:0050 1AB 00000000:00000000 00:00000000 00000000  1000  0 4242",
        "   7: 0100007F:1F90 0200000A:0050 01 00000000:00000000 00:00000000 00000000  1000  0 42x2",
        "   x: 0100007F:1F90 0200000A:0050 01 00000000:00000000 00:00000000 00000000  1000  0 4242",
        "0100007F:1F90",
    };
    for (std::string_view line : bad) {
        EXPECT_TRUE(engine::ParseProcNetTable(line).empty()) << line;
    }
    const std::string mixed =
        std::string(bad[1]) + "\n" + std::string(good) + "\n" + std::string(bad[4]) + "\n\t\n";
    EXPECT_EQ(engine::ParseProcNetTable(mixed), std::vector<KernelSocket>{expected});
}

TEST(SocketInode, OnlySocketLinks) {
    EXPECT_EQ(engine::ParseSocketInode("socket:[369151]"), 369151u);
    EXPECT_EQ(engine::ParseSocketInode("socket:[0]"), 0u);
    for (std::string_view link :
         {"socket:[]", "socket:[12a]", "socket:[123", "socket:123]", "pipe:[369151]",
          "anon_inode:[eventpoll]", "/dev/null", "socket:[12345678901234567890]", ""}) {
        EXPECT_FALSE(engine::ParseSocketInode(link)) << link;
    }
}

TEST(TcpStates, LinuxNumbersMapToTheOwnerTables) {
    using enum engine::TcpState;
    const engine::TcpState expected[] = {kUnknown,  kEstablished, kSynSent,     kSynReceived, kFinWait1,
                                         kFinWait2, kTimeWait,    kClosed,      kCloseWait,   kLastAck,
                                         kListen,   kClosing,     kSynReceived, kUnknown};
    for (std::uint8_t state = 0; state < std::size(expected); ++state) {
        EXPECT_EQ(engine::TcpStateFromLinux(state), expected[state]) << int(state);
    }
}

}  // namespace
