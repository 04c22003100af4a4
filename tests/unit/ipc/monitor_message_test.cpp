#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "ipc/command_ids.h"
#include "ipc/monitor_message.h"
#include "ipc/protocol_factories.h"
#include "unit/ipc/ipc_test_bytes.h"

namespace {

using namespace ipc;
using ipc_test::Poke;
using ipc_test::Resized;

const base::SystemTime kTime{2023, 12, 31, 0, 23, 59, 59, 999};

// The bytes that one typed builder made.
template <typename Factory, typename Build>
std::vector<std::uint8_t> Built(Build build) {
    Factory f;
    EXPECT_EQ(build(f), 1);
    const auto message = f.GetBytes();
    return {message.begin(), message.end()};
}

#define BUILT(Message, args) \
    Built<C##Message##ProtocolFactory>([&](auto& f) { return f.Build##Message args; })

struct RoundTrip {
    std::uint32_t id;
    std::vector<std::uint8_t> message;
    MonitorFields expected;
};

TEST(ParseMonitorMessage, DecodesWhatEveryBuilderMade) {
    ProcessListEntry entry;
    entry.sequence = 2;
    entry.index = 41;
    entry.state = 1;
    entry.portCount = 12;
    entry.pid = 4242;
    entry.bytesUp = 1ull << 40;
    entry.bytesDown = 3;
    entry.startTime = kTime;
    entry.name = u"游戏.exe(已关闭)";
    entry.path = u"D:\\Games\\游戏.exe";
    const RoundTrip cases[] = {
        {2, BUILT(StartResponse, (1)), ByteAnswer{1}},
        {8, BUILT(StopAlarmResponse, (0)), ByteAnswer{0}},
        {16, BUILT(SetAccelerateProcessResponse, (1)), ByteAnswer{1}},
        {18, BUILT(SetUnclearProcessNameResponse, (1)), ByteReservedAnswer{1, 0}},
        {20, BUILT(GetLocalDownRefluxResponse, (~0ull)), PaddedBytesAnswer{~0ull, 0}},
        {22, BUILT(GetLocalUpRefluxResponse, (22)), BytesAnswer{22}},
        {24, BUILT(GetLocalTotalRefluxResponse, (24)), BytesAnswer{24}},
        {26, BUILT(GetAccelerateDownRefluxResponse, (26)), BytesAnswer{26}},
        {28, BUILT(GetAccelerateUpRefluxResponse, (28)), BytesAnswer{28}},
        {30, BUILT(GetAccelerateTotalRefluxResponse, (30)), BytesAnswer{30}},
        {34, BUILT(GetSuspensionDlgStateResponse, (1)), ByteAnswer{1}},
        {40, BUILT(GetProcessDownRefluxByProcessNameResponse, (40)), BytesAnswer{40}},
        {42, BUILT(GetProcessDownRefluxByPIdResponse, (~0ull)), BytesAnswer{~0ull}},
        {44, BUILT(GetProcessUpRefluxByProcessNameResponse, (44)), BytesAnswer{44}},
        {46, BUILT(GetProcessUpRefluxByPIdResponse, (46)), BytesAnswer{46}},
        {48, BUILT(GetProcessStartTimeByProcessNameResponse, (1, kTime)), TimeAnswer{1, kTime}},
        {50, BUILT(GetProcessStartTimeByPIdResponse, (-1, {})), TimeAnswer{-1, {}}},
        {52, BUILT(GetProcessExitTimeByProcessNameResponse, (0, {})), TimeAnswer{0, {}}},
        {54, BUILT(GetProcessExitTimeByPIdResponse, (1, kTime)), TimeAnswer{1, kTime}},
        {56, BUILT(GetProcessTotalTimeResponse, (86400)), SecondsAnswer{86400}},
        {58, BUILT(GetFirstAccelerateStartTimeResponse, (0, kTime)), TimeAnswer{0, kTime}},
        {60, BUILT(GetLastAccelerateExitTimeResponse, (1, kTime)), TimeAnswer{1, kTime}},
        {62, BUILT(GetProcessDownRefluxBetweenTimeByNameResponse, (62)), BytesAnswer{62}},
        {64, BUILT(GetProcessDownRefluxBetweenTimeByIdResponse, (64)), BytesAnswer{64}},
        {66, BUILT(GetProcessUpRefluxBetweenTimeByNameResponse, (66)), BytesAnswer{66}},
        {67, BUILT(GetProcessUpRefluxBetweenTimeByIdResponse, (~0ull)), BytesAnswer{~0ull}},
        {70, BUILT(GetAlarmStateResponse, (1)), ByteAnswer{1}},
        {100, BUILT(GetUnattributedRefluxResponse, (53000)), BytesAnswer{53000}},
        {77, BUILT(PostLocalDownReflux, (77)), BytesAnswer{77}},
        {78, BUILT(PostLocalUpReflux, (78)), BytesAnswer{78}},
        {80, BUILT(PostAccelerateDownReflux, (80)), BytesAnswer{80}},
        {81, BUILT(PostAccelerateUpReflux, (81)), BytesAnswer{81}},
        {83, BUILT(PostProcessListReflux, (entry)), entry},
    };
    ASSERT_EQ(std::size(cases), MonitorMessageTable().size());
    for (const RoundTrip& c : cases) {
        const std::vector<std::uint8_t>& message = c.message;
        const ParsedMonitorMessage parsed = ParseMonitorMessage(message);
        EXPECT_EQ(parsed.status, ParseStatus::kOk) << c.id;
        EXPECT_EQ(parsed.id, c.id);
        EXPECT_EQ(parsed.fields, c.expected) << c.id;
        ASSERT_NE(FindMonitorMessage(c.id), nullptr);
        EXPECT_EQ(FindMonitorMessage(c.id)->length, message.size()) << c.id;
    }
}

TEST(ParseMonitorMessage, RequiresTheExactLengthOfItsId) {
    const auto bytes = BUILT(PostLocalUpReflux, (5));
    const auto padded = BUILT(GetLocalDownRefluxResponse, (5));
    struct Case {
        const char* what;
        std::vector<std::uint8_t> message;
        ParseStatus expected;
    };
    const Case cases[] = {
        {"16 bytes", Resized(bytes, 16), ParseStatus::kMalformed},
        {"18 bytes", Resized(bytes, 18), ParseStatus::kMalformed},
        {"id 20 without its padding", Resized(padded, 17), ParseStatus::kMalformed},
        {"length field 20, 17 bytes",
         [&] {
             auto m = bytes;
             Poke(m, 0, 20, 4);
             return m;
         }(),
         ParseStatus::kBadFrame},
        {"a request id", Resized(BUILT(StartResponse, (1)), 10), ParseStatus::kOk},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseMonitorMessage(c.message).status, c.expected) << c.what;
    }
    for (const std::uint32_t id : {0u, 1u, 19u, 68u, 79u, 82u, 84u, 95u}) {
        auto m = bytes;
        Poke(m, 4, id, 4);
        EXPECT_EQ(ParseMonitorMessage(m).status, ParseStatus::kUnknownId) << id;
    }
}

TEST(ParseMonitorMessage, ReportsReservedBytesAsTheyArrived) {
    auto unclear = BUILT(SetUnclearProcessNameResponse, (1));
    unclear[10] = 0x5A;
    EXPECT_EQ(std::get<ByteReservedAnswer>(ParseMonitorMessage(unclear).fields).reserved, 0x5A);
    ProcessListEntry entry;
    entry.reserved = 0;
    auto list = BUILT(PostProcessListReflux, (entry));
    EXPECT_EQ(std::get<ProcessListEntry>(ParseMonitorMessage(list).fields).reserved,
              engine::kProcessListReserved);
}

}  // namespace
