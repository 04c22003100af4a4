#include "engine/socket_close_parse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "engine_fakes.h"

namespace {

using engine::SetStateLayout;
using engine::SetStateRecord;
using engine::SocketCloseEvent;
using engine_test::Ip;

// /sys/kernel/tracing/events/sock/inet_sock_set_state/format of Linux 6.18, x86-64.
constexpr std::string_view kSetStateFormat =
    "name: inet_sock_set_state\n"
    "ID: 2287\n"
    "format:\n"
    "\tfield:unsigned short common_type;\toffset:0;\tsize:2;\tsigned:0;\n"
    "\tfield:unsigned char common_flags;\toffset:2;\tsize:1;\tsigned:0;\n"
    "\tfield:unsigned char common_preempt_count;\toffset:3;\tsize:1;\tsigned:0;\n"
    "\tfield:int common_pid;\toffset:4;\tsize:4;\tsigned:1;\n"
    "\n"
    "\tfield:const void * skaddr;\toffset:8;\tsize:8;\tsigned:0;\n"
    "\tfield:int oldstate;\toffset:16;\tsize:4;\tsigned:1;\n"
    "\tfield:int newstate;\toffset:20;\tsize:4;\tsigned:1;\n"
    "\tfield:__u16 sport;\toffset:24;\tsize:2;\tsigned:0;\n"
    "\tfield:__u16 dport;\toffset:26;\tsize:2;\tsigned:0;\n"
    "\tfield:__u16 family;\toffset:28;\tsize:2;\tsigned:0;\n"
    "\tfield:__u16 protocol;\toffset:30;\tsize:2;\tsigned:0;\n"
    "\tfield:__u8 saddr[4];\toffset:32;\tsize:4;\tsigned:0;\n"
    "\tfield:__u8 daddr[4];\toffset:36;\tsize:4;\tsigned:0;\n"
    "\tfield:__u8 saddr_v6[16];\toffset:40;\tsize:16;\tsigned:0;\n"
    "\tfield:__u8 daddr_v6[16];\toffset:56;\tsize:16;\tsigned:0;\n"
    "\n"
    "print fmt: \"family=%s protocol=%s sport=%hu dport=%hu saddr=%pI4 daddr=%pI4 saddrv6=%pI6c "
    "daddrv6=%pI6c oldstate=%s newstate=%s\", __print_symbolic(REC->family, { 2, \"AF_INET\" }, { 10, "
    "\"AF_INET6\" }), REC->sport, REC->dport, REC->saddr, REC->daddr\n";

constexpr std::size_t kRecordSize = 72;
constexpr std::int32_t kEstablished = 1, kSynSent = 2, kFinWait1 = 4, kClose = 7, kCloseWait = 8,
                       kLastAck = 9;

SetStateLayout Layout() {
    const auto layout = engine::SetStateLayoutFrom(kSetStateFormat);
    EXPECT_TRUE(layout.has_value());
    return layout.value_or(SetStateLayout{});
}

template <typename T>
void Put(std::vector<std::uint8_t>& bytes, std::size_t offset, T value) {
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

// A record as the kernel writes it, at the captured offsets.
std::vector<std::uint8_t> Record(const SetStateRecord& r) {
    std::vector<std::uint8_t> raw(kRecordSize, 0xEE);
    Put(raw, 2, r.commonFlags);
    Put(raw, 16, r.oldState);
    Put(raw, 20, r.newState);
    Put(raw, 24, r.localPort);
    Put(raw, 26, r.remotePort);
    Put(raw, 28, r.family);
    Put(raw, 30, r.protocol);
    Put(raw, 32, r.localAddress);
    Put(raw, 36, r.remoteAddress);
    return raw;
}

// A sample body: pid, tid, the raw size and record, padded to 8 bytes as the ring keeps records.
std::vector<std::uint8_t> Sample(std::uint32_t pid, std::uint32_t tid, const std::vector<std::uint8_t>& raw) {
    std::vector<std::uint8_t> body((12 + raw.size() + 7) / 8 * 8, 0);
    Put(body, 0, pid);
    Put(body, 4, tid);
    Put(body, 8, static_cast<std::uint32_t>(raw.size()));
    std::copy(raw.begin(), raw.end(), body.begin() + 12);
    return body;
}

const SetStateRecord kClientClose{0, kEstablished,     kFinWait1,      52834, 47001, 2,
                                  6, Ip(127, 0, 0, 1), Ip(10, 1, 2, 3)};

// The fields the layout reads are checked through it; here, that no line is lost or made up.
TEST(TraceFormatParser, CapturedFormatGivesEveryFieldAndTheIdItsNumber) {
    EXPECT_EQ(engine::ParseTraceFormat(kSetStateFormat).size(), 15u);
    EXPECT_EQ(engine::ParseTraceId("2287\n"), 2287u);
    EXPECT_FALSE(engine::ParseTraceId("").has_value());
    EXPECT_FALSE(engine::ParseTraceId("22x\n").has_value());
}

TEST(TraceFormatParser, LayoutNeedsEveryReadFieldAtTheSizeItIsRead) {
    const struct {
        std::string_view from, to;
    } edits[] = {
        {"\tfield:int newstate;\toffset:20;\tsize:4;\tsigned:1;\n", ""},
        {"\tfield:__u16 sport;\toffset:24;\tsize:2;", "\tfield:__u32 sport;\toffset:24;\tsize:4;"},
        {"field:__u8 daddr[4];\toffset:36;", "field:__u8 daddr[4];\toffset:3x;"},
        {"field:__u16 family;\toffset:28;\tsize:2;", "field:__u16 family;\toffset:28;"},
        {"field:__u16 protocol;", "field:__u16;"},
    };
    for (const auto& edit : edits) {
        std::string text(kSetStateFormat);
        const std::size_t at = text.find(edit.from);
        ASSERT_NE(at, std::string::npos) << edit.from;
        text.replace(at, edit.from.size(), edit.to);
        EXPECT_FALSE(engine::SetStateLayoutFrom(text).has_value()) << edit.to;
    }
    EXPECT_FALSE(engine::SetStateLayoutFrom("").has_value());
}

TEST(SetStateRecordParser, ReadsTheFieldsAndRefusesARecordCutBeforeTheLastOne) {
    const SetStateLayout layout = Layout();
    const std::vector<std::uint8_t> whole = Record(kClientClose);
    for (std::size_t size = 0; size <= whole.size(); ++size) {
        const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        const auto record = engine::ParseSetStateRecord(cut, layout);
        if (size < 40) {
            EXPECT_FALSE(record.has_value()) << size;
        } else {
            ASSERT_TRUE(record.has_value()) << size;
            EXPECT_EQ(*record, kClientClose);
        }
    }
}

TEST(SetStateRecordParser, OnlyLocalClosesOfIpv4TcpSocketsWithAPortAreCloses) {
    const struct {
        std::uint16_t family, protocol;
        std::int32_t oldState, newState;
        std::uint16_t localPort;
        bool close;
        std::uint8_t flags = 0;
    } cases[] = {
        {2, 6, kEstablished, kFinWait1, 52834, true},    // close() or shutdown() of an open connection
        {2, 6, kCloseWait, kLastAck, 52834, true},       // close() after the peer's FIN
        {2, 6, kClose, kSynSent, 0, false},              // connect(): no port yet
        {2, 6, kEstablished, kCloseWait, 52834, false},  // the peer's FIN, in whatever task received it
        {2, 6, kEstablished, kClose, 52834, true},       // abortive close() (unread data, zero linger)
        {2, 6, kCloseWait, kClose, 52834, true},
        {2, 6, kEstablished, kClose, 52834, false, 0x10},  // the peer's reset, in a soft interrupt
        {10, 6, kEstablished, kFinWait1, 52834, false},    // IPv6
        {2, 132, kEstablished, kFinWait1, 52834, false},   // SCTP
    };
    for (const auto& c : cases) {
        SetStateRecord r = kClientClose;
        r.family = c.family, r.protocol = c.protocol, r.oldState = c.oldState, r.newState = c.newState;
        r.commonFlags = c.flags;
        r.localPort = c.localPort;
        const auto event = engine::CloseEventFrom(r, 4321);
        EXPECT_EQ(event.has_value(), c.close) << c.family << " " << c.protocol << " " << c.newState;
        if (event) {
            EXPECT_EQ(*event,
                      (SocketCloseEvent{6, r.localAddress, c.localPort, r.remoteAddress, 47001, 4321}));
        }
    }
}

TEST(PerfSampleParser, NamesTheProcessNotTheThreadAndRefusesShortBodies) {
    const SetStateLayout layout = Layout();
    const std::vector<std::uint8_t> body = Sample(4321, 4325, Record(kClientClose));
    const auto event = engine::ParseCloseSample(body, layout);
    ASSERT_TRUE(event.has_value());
    EXPECT_EQ(*event, (SocketCloseEvent{6, Ip(127, 0, 0, 1), 52834, Ip(10, 1, 2, 3), 47001, 4321}));

    // The body must hold the raw size it states.
    for (std::size_t size = 0; size < 12 + kRecordSize; ++size) {
        const std::vector<std::uint8_t> cut(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_FALSE(engine::ParsePerfSample(cut).has_value()) << size;
        EXPECT_FALSE(engine::ParseCloseSample(cut, layout).has_value()) << size;
    }
    // A short raw record inside a whole sample.
    std::vector<std::uint8_t> shortRaw = Record(kClientClose);
    shortRaw.resize(36);
    EXPECT_TRUE(engine::ParsePerfSample(Sample(1, 1, shortRaw)).has_value());
    EXPECT_FALSE(engine::ParseCloseSample(Sample(1, 1, shortRaw), layout).has_value());

    std::vector<std::uint8_t> lost(16, 0);
    Put(lost, 8, std::uint64_t{17});
    EXPECT_EQ(engine::ParsePerfLost(lost), 17u);
    lost.resize(15);
    EXPECT_EQ(engine::ParsePerfLost(lost), 0u);
}

TEST(CpuListParser, RangesAndSinglesAndNothingForAnythingElse) {
    using Cpus = std::vector<std::uint32_t>;
    const struct {
        std::string_view text;
        std::optional<Cpus> cpus;
    } cases[] = {
        {"0-1\n", Cpus{0, 1}},         {"0\n", Cpus{0}},
        {"0,2-3,6", Cpus{0, 2, 3, 6}}, {"", std::nullopt},
        {"0-", std::nullopt},          {"3-1", std::nullopt},
        {"a", std::nullopt},           {"0-4294967295", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(engine::ParseCpuList(c.text), c.cpus) << c.text;
    }
}

}  // namespace
