// The wire format of both directions: every message the monitor sends and one request of each body shape,
// built, compared byte for byte and parsed back.

#include <gtest/gtest.h>

#include <set>
#include <variant>

#include "ipc/command_ids.h"
#include "ipc/monitor_message.h"
#include "ipc/protocol_factories.h"
#include "ipc/request_builder.h"
#include "ipc/request_parser.h"
#include "unit/ipc/ipc_test_bytes.h"

namespace {

using namespace ipc;
using namespace ipc_test;

const base::SystemTime kTime{2024, 5, 3, 1, 12, 30, 45, 123};
constexpr const char* kT = "e807 0500 0300 0100 0c00 1e00 2d00 7b00";
const base::SystemTime kTo{2024, 5, 3, 1, 13, 0, 0, 1};
constexpr const char* kToHex = "e807 0500 0300 0100 0d00 0000 0000 0100";
constexpr std::uint64_t kB = 0x0102030405060708;
constexpr const char* kBHex = "0807060504030201";
constexpr std::uint64_t kAll = ~0ull;
constexpr const char* kAllHex = "ffffffffffffffff";

template <typename Factory, typename Build>
Message Built(Build build) {
    Factory f;
    EXPECT_EQ(build(f), 1);
    return {f.GetBytes().begin(), f.GetBytes().end()};
}
#define B(Name, ...) Built<C##Name##ProtocolFactory>([&](auto& f) { return f.Build##Name(__VA_ARGS__); })

// A fixed text field: the UTF-16 text, then zeros to 520 bytes.
std::string TextField(std::string_view hex) {
    std::string field = ToHex(Hex(hex));
    field.resize(2 * kFixedTextSize, '0');
    return field;
}

struct Row {
    Message built;
    Message wire;
    std::variant<MonitorFields, RequestArgs> parsed;
};

Row Request(std::uint32_t id, const RequestArgs& args, Message wire) {
    return {EncodeRequest(id, args), std::move(wire), args};
}

TEST(Protocol, EveryMessageIsBuiltByteForByteAndParsesBack) {
    // reserved: the builder always sends 0xFFFFFFFF
    const ProcessListEntry entry{.sequence = 2,
                                 .index = 7,
                                 .state = 1,
                                 .reserved = 0,
                                 .portCount = 3,
                                 .pid = 0x1234,
                                 .bytesUp = 0x1122334455667788,
                                 .bytesDown = 0x99,
                                 .startTime = kTime,
                                 .exitTime = kTo,
                                 .name = u"游戏.exe",
                                 .path = u"C:\\G\\a"};
    ProcessListEntry sent = entry;
    sent.reserved = engine::kProcessListReserved;
    engine::SpeedAlarmRecord alarm(kTime);
    alarm.pid = 0x1234;
    alarm.upBytes = 0x1122334455667788;
    alarm.downBytes = 0x99;
    alarm.acceleratedTotal = 5;  // not sent: local minus non-accelerated
    alarm.unacceleratedTotal = kB;
    alarm.localTotal = kAll;
    alarm.name = u"游戏.exe";
    const base::SystemTime noTime{};
    const Row rows[] = {
        {B(StartResponse, 1), Framed(2, {"01"}), ByteAnswer{1}},
        {B(StopAlarmResponse, 0), Framed(8, {"00"}), ByteAnswer{0}},
        {B(SetAccelerateProcessResponse, 1), Framed(16, {"01"}), ByteAnswer{1}},
        {B(SetUnclearProcessNameResponse, 1), Framed(18, {"01 00"}), ByteReservedAnswer{1, 0}},
        {B(GetLocalDownRefluxResponse, kB), Framed(20, {kBHex, Z(8)}), PaddedBytesAnswer{kB, 0}},
        {B(GetLocalUpRefluxResponse, kB), Framed(22, {kBHex}), BytesAnswer{kB}},
        {B(GetLocalTotalRefluxResponse, kAll), Framed(24, {kAllHex}), BytesAnswer{kAll}},
        {B(GetAccelerateDownRefluxResponse, kB), Framed(26, {kBHex}), BytesAnswer{kB}},
        {B(GetAccelerateUpRefluxResponse, kB), Framed(28, {kBHex}), BytesAnswer{kB}},
        {B(GetAccelerateTotalRefluxResponse, 0), Framed(30, {Z(8)}), BytesAnswer{0}},
        {B(GetSuspensionDlgStateResponse, 1), Framed(34, {"01"}), ByteAnswer{1}},
        {B(GetProcessDownRefluxByProcessNameResponse, kAll), Framed(40, {kAllHex}), BytesAnswer{kAll}},
        {B(GetProcessDownRefluxByPIdResponse, kB), Framed(42, {kBHex}), BytesAnswer{kB}},
        {B(GetProcessUpRefluxByProcessNameResponse, kB), Framed(44, {kBHex}), BytesAnswer{kB}},
        {B(GetProcessUpRefluxByPIdResponse, kB), Framed(46, {kBHex}), BytesAnswer{kB}},
        {B(GetProcessStartTimeByProcessNameResponse, 1, kTime), Framed(48, {"01000000", kT}),
         TimeAnswer{1, kTime}},
        {B(GetProcessStartTimeByPIdResponse, -1, {}), Framed(50, {"ffffffff", Z(16)}),
         TimeAnswer{-1, noTime}},
        {B(GetProcessExitTimeByProcessNameResponse, 0, {}), Framed(52, {Z(20)}), TimeAnswer{0, noTime}},
        {B(GetProcessExitTimeByPIdResponse, 1, kTime), Framed(54, {"01000000", kT}), TimeAnswer{1, kTime}},
        {B(GetProcessTotalTimeResponse, 3600), Framed(56, {"100e0000"}), SecondsAnswer{3600}},
        {B(GetFirstAccelerateStartTimeResponse, 0, kTime), Framed(58, {Z(4), kT}), TimeAnswer{0, kTime}},
        {B(GetLastAccelerateExitTimeResponse, 1, kTime), Framed(60, {"01000000", kT}), TimeAnswer{1, kTime}},
        {B(GetProcessDownRefluxBetweenTimeByNameResponse, kB), Framed(62, {kBHex}), BytesAnswer{kB}},
        {B(GetProcessDownRefluxBetweenTimeByIdResponse, kB), Framed(64, {kBHex}), BytesAnswer{kB}},
        {B(GetProcessUpRefluxBetweenTimeByNameResponse, kB), Framed(66, {kBHex}), BytesAnswer{kB}},
        // Answered under the request's own id 67, not 68.
        {B(GetProcessUpRefluxBetweenTimeByIdResponse, kB), Framed(67, {kBHex}), BytesAnswer{kB}},
        {B(GetAlarmStateResponse, 0), Framed(70, {"00"}), ByteAnswer{0}},
        {B(GetUnattributedRefluxResponse, kB), Framed(100, {kBHex}), BytesAnswer{kB}},
        {B(PostLocalDownReflux, kB), Framed(77, {kBHex}), BytesAnswer{kB}},
        {B(PostLocalUpReflux, kB), Framed(78, {kBHex}), BytesAnswer{kB}},
        {B(PostAccelerateDownReflux, kB), Framed(80, {kBHex}), BytesAnswer{kB}},
        {B(PostAccelerateUpReflux, kAll), Framed(81, {kAllHex}), BytesAnswer{kAll}},
        {B(PostProcessListReflux, entry),
         Framed(83, {"02000000 07000000 01000000 ffffffff 03000000 34120000 "
                     "8877665544332211 9900000000000000",
                     kT, kToHex, TextField("386e 0f62 2e00 6500 7800 6500"),
                     TextField("4300 3a00 5c00 4700 5c00 6100")}),
         sent},
        {B(PostAlarmRecord, alarm),
         Framed(102,
                {kT, "34120000 01000000 8877665544332211 9900000000000000 0807060504030201 ffffffffffffffff",
                 TextField("386e 0f62 2e00 6500 7800 6500")}),
         AlarmRecordPush{kTime, 0x1234, 1, 0x1122334455667788, 0x99, kB, kAll, u"游戏.exe"}},
        Request(cmd::kPauseMonitor, NoArgs{}, Framed(3, {})),
        Request(cmd::kSubscribeAlarms, ByteArgs{1}, Framed(101, {"01"})),
        Request(cmd::kStart, StartArgs{{0xAA, 0xBB}}, Framed(1, {"0200 aabb"})),
        Request(cmd::kGetProcessUpRefluxByPId, U32Args{0x01020304}, Framed(45, {"04030201"})),
        Request(cmd::kSetAccelerateProcess, NameListArgs{u"a.exe;", u";"},
                Framed(15, {"0c000000 6100 2e00 6500 7800 6500 3b00 02 3b00"})),
        Request(cmd::kGetProcessStartTimeByProcessName, NameArgs{u"游戏x"},
                Framed(47, {"0600 386e 0f62 7800"})),
        Request(cmd::kGetProcessUpRefluxBetweenTimeByName, NameTimeRangeArgs{u"abc", kTime, kTo},
                Framed(65, {"0600 6100 6200 6300", kT, kToHex})),
        Request(cmd::kGetProcessUpRefluxBetweenTimeById, PidTimeRangeArgs{0x1234, kTime, kTo},
                Framed(67, {"34120000", kT, kToHex})),
        Request(cmd::kSetAccelerateGameInfo, GameInfoArgs{7, u"g", u"ii"},
                Framed(75, {"07000000 02000000 6700 04000000 6900 6900"})),
    };
    std::set<std::uint32_t> answers;
    for (const Row& row : rows) {
        SCOPED_TRACE(ToHex(std::span(row.wire).first(9)));
        EXPECT_EQ(ToHex(row.built), ToHex(row.wire));
        if (const auto* fields = std::get_if<MonitorFields>(&row.parsed)) {
            const ParsedMonitorMessage m = ParseMonitorMessage(row.wire);
            EXPECT_TRUE(m.Ok());
            EXPECT_EQ(m.fields, *fields);
            ASSERT_NE(FindMonitorMessage(m.id), nullptr);
            EXPECT_EQ(FindMonitorMessage(m.id)->length, row.wire.size());
            answers.insert(m.id);
        } else {
            const ParsedRequest r = ParseRequest(row.wire);
            EXPECT_TRUE(r.Ok());
            EXPECT_EQ(r.args, std::get<RequestArgs>(row.parsed));
        }
    }
    EXPECT_EQ(answers.size(), MonitorMessageTable().size());
}

TEST(Protocol, EncodeRequestRefusesTextsTooLongForTheirCounts) {
    EXPECT_TRUE(
        EncodeRequest(cmd::kSetAccelerateProcess, NameListArgs{u"a;", std::u16string(128, u';')}).empty());
    EXPECT_FALSE(
        EncodeRequest(cmd::kSetAccelerateProcess, NameListArgs{u"a;", std::u16string(127, u';')}).empty());
    EXPECT_TRUE(EncodeRequest(cmd::kGetProcessTotalTime, NameArgs{std::u16string(32768, u'n')}).empty());
    EXPECT_FALSE(EncodeRequest(cmd::kGetProcessTotalTime, NameArgs{std::u16string(32767, u'n')}).empty());
}

}  // namespace
