#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "ipc/command_ids.h"
#include "ipc/monitor_message.h"
#include "ipc/protocol_factory.h"
#include "unit/ipc/ipc_test_bytes.h"

namespace {

using namespace ipc;
using ipc_test::Poke;
using ipc_test::Resized;

const base::SystemTime kTime{2023, 12, 31, 0, 23, 59, 59, 999};

std::vector<std::uint8_t> Built(const std::function<int(CKvtComProtocolFactory&)>& build) {
    CKvtComProtocolFactory f;
    EXPECT_EQ(build(f), 1);
    const auto message = f.GetBytes();
    return {message.begin(), message.end()};
}

struct RoundTrip {
    std::uint32_t id;
    std::function<int(CKvtComProtocolFactory&)> build;
    MonitorFields expected;
};

TEST(ParseMonitorMessage, DecodesWhatEveryBuilderMade) {
    using F = CKvtComProtocolFactory;
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
        {2, [](F& f) { return f.BuildStartResponse(1); }, ByteAnswer{1}},
        {8, [](F& f) { return f.BuildStopAlarmResponse(0); }, ByteAnswer{0}},
        {16, [](F& f) { return f.BuildSetAccelerateProcessResponse(1); }, ByteAnswer{1}},
        {18, [](F& f) { return f.BuildSetUnclearProcessNameResponse(1); }, ByteReservedAnswer{1, 0}},
        {20, [](F& f) { return f.BuildGetLocalDownRefluxResponse(~0ull); }, PaddedBytesAnswer{~0ull, 0}},
        {22, [](F& f) { return f.BuildGetLocalUpRefluxResponse(22); }, BytesAnswer{22}},
        {24, [](F& f) { return f.BuildGetLocalTotalRefluxResponse(24); }, BytesAnswer{24}},
        {26, [](F& f) { return f.BuildGetAccelerateDownRefluxResponse(26); }, BytesAnswer{26}},
        {28, [](F& f) { return f.BuildGetAccelerateUpRefluxResponse(28); }, BytesAnswer{28}},
        {30, [](F& f) { return f.BuildGetAccelerateTotalRefluxResponse(30); }, BytesAnswer{30}},
        {34, [](F& f) { return f.BuildGetSuspensionDlgStateResponse(1); }, ByteAnswer{1}},
        {40, [](F& f) { return f.BuildGetProcessDownRefluxByProcessNameResponse(40); }, BytesAnswer{40}},
        {42, [](F& f) { return f.BuildGetProcessDownRefluxByPIdResponse(~0ull); }, BytesAnswer{~0ull}},
        {44, [](F& f) { return f.BuildGetProcessUpRefluxByProcessNameResponse(44); }, BytesAnswer{44}},
        {46, [](F& f) { return f.BuildGetProcessUpRefluxByPIdResponse(46); }, BytesAnswer{46}},
        {48, [](F& f) { return f.BuildGetProcessStartTimeByProcessNameResponse(1, kTime); },
         TimeAnswer{1, kTime}},
        {50, [](F& f) { return f.BuildGetProcessStartTimeByPIdResponse(-1, {}); }, TimeAnswer{-1, {}}},
        {52, [](F& f) { return f.BuildGetProcessExitTimeByProcessNameResponse(0, {}); }, TimeAnswer{0, {}}},
        {54, [](F& f) { return f.BuildGetProcessExitTimeByPIdResponse(1, kTime); }, TimeAnswer{1, kTime}},
        {56, [](F& f) { return f.BuildGetProcessTotalTimeResponse(86400); }, SecondsAnswer{86400}},
        {58, [](F& f) { return f.BuildGetFirstAccelerateStartTimeResponse(0, kTime); }, TimeAnswer{0, kTime}},
        {60, [](F& f) { return f.BuildGetLastAccelerateExitTimeResponse(1, kTime); }, TimeAnswer{1, kTime}},
        {62, [](F& f) { return f.BuildGetProcessDownRefluxBetweenTimeByNameResponse(62); }, BytesAnswer{62}},
        {64, [](F& f) { return f.BuildGetProcessDownRefluxBetweenTimeByIdResponse(64); }, BytesAnswer{64}},
        {66, [](F& f) { return f.BuildGetProcessUpRefluxBetweenTimeByNameResponse(66); }, BytesAnswer{66}},
        {67, [](F& f) { return f.BuildGetProcessUpRefluxBetweenTimeByIdResponse(~0ull); },
         BytesAnswer{~0ull}},
        {70, [](F& f) { return f.BuildGetAlarmStateResponse(1); }, ByteAnswer{1}},
        {77, [](F& f) { return f.BuildPostLocalDownReflux(77); }, BytesAnswer{77}},
        {78, [](F& f) { return f.BuildPostLocalUpReflux(78); }, BytesAnswer{78}},
        {80, [](F& f) { return f.BuildPostAccelerateDownReflux(80); }, BytesAnswer{80}},
        {81, [](F& f) { return f.BuildPostAccelerateUpReflux(81); }, BytesAnswer{81}},
        {83, [&](F& f) { return f.BuildPostProcessListReflux(entry); }, entry},
    };
    ASSERT_EQ(std::size(cases), MonitorMessageTable().size());
    for (const RoundTrip& c : cases) {
        const std::vector<std::uint8_t> message = Built(c.build);
        const ParsedMonitorMessage parsed = ParseMonitorMessage(message);
        EXPECT_EQ(parsed.status, ParseStatus::kOk) << c.id;
        EXPECT_EQ(parsed.id, c.id);
        EXPECT_EQ(parsed.fields, c.expected) << c.id;
        ASSERT_NE(FindMonitorMessage(c.id), nullptr);
        EXPECT_EQ(FindMonitorMessage(c.id)->length, message.size()) << c.id;
    }
}

TEST(ParseMonitorMessage, RequiresTheExactLengthOfItsId) {
    const auto bytes = Built([](CKvtComProtocolFactory& f) { return f.BuildPostLocalUpReflux(5); });
    const auto padded = Built([](CKvtComProtocolFactory& f) { return f.BuildGetLocalDownRefluxResponse(5); });
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
        {"a request id",
         Resized(Built([](CKvtComProtocolFactory& f) { return f.BuildStartResponse(1); }), 10),
         ParseStatus::kOk},
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
    auto unclear = Built([](CKvtComProtocolFactory& f) { return f.BuildSetUnclearProcessNameResponse(1); });
    unclear[10] = 0x5A;
    EXPECT_EQ(std::get<ByteReservedAnswer>(ParseMonitorMessage(unclear).fields).reserved, 0x5A);
    ProcessListEntry entry;
    entry.reserved = 0;
    auto list = Built([&](CKvtComProtocolFactory& f) { return f.BuildPostProcessListReflux(entry); });
    EXPECT_EQ(std::get<ProcessListEntry>(ParseMonitorMessage(list).fields).reserved,
              engine::kProcessListReserved);
}

}  // namespace
