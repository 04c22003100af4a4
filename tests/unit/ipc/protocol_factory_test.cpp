#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "ipc/protocol_factories.h"
#include "unit/ipc/ipc_test_bytes.h"

namespace {

using namespace ipc;
using engine::ProcessListEntry;
using ipc_test::Hex;
using ipc_test::ToHex;

const base::SystemTime kTime{2024, 5, 3, 1, 12, 30, 45, 123};
constexpr const char* kTimeHex = "e807 0500 0300 0100 0c00 1e00 2d00 7b00";
constexpr std::uint64_t kBytes = 0x0102030405060708;
constexpr const char* kBytesHex = "0807060504030201";

// Builds with the typed builder of the message and returns the bytes it made.
template <typename Factory>
std::vector<std::uint8_t> Make(const std::function<int(Factory&)>& build) {
    Factory factory;
    if (build(factory) != 1) {
        return {};
    }
    EXPECT_EQ(factory.GetBytes().size(), factory.GetLength());
    return {factory.GetBuffer(), factory.GetBuffer() + factory.GetLength()};
}

struct Golden {
    const char* name;
    std::function<std::vector<std::uint8_t>()> build;
    std::string expected;  // header, then the fields
};

std::string Join(std::initializer_list<const char*> parts) {
    std::string text;
    for (const char* part : parts) {
        text += part;
        text += ' ';
    }
    return text;
}

#define GOLDEN(Message, call, ...)                                                                                           \
    Golden {                                                                                                                 \
#Message,                                                                                                            \
            [] { return Make<C##Message##ProtocolFactory>([](auto& f) { return f.Build##Message call; }); },                 \
                                                                                                          Join(              \
                                                                                                              {__VA_ARGS__}) \
    }

TEST(CKvtComProtocolFactory, BuildsEveryMessageByteForByte) {
    const Golden cases[] = {
        GOLDEN(StartResponse, (1), "0a000000 02000000 01", "01"),
        GOLDEN(StopAlarmResponse, (1), "0a000000 08000000 01", "01"),
        GOLDEN(SetAccelerateProcessResponse, (0), "0a000000 10000000 01", "00"),
        GOLDEN(SetUnclearProcessNameResponse, (1), "0b000000 12000000 01", "01 00"),
        GOLDEN(GetLocalDownRefluxResponse, (kBytes), "19000000 14000000 01", kBytesHex, "0000000000000000"),
        GOLDEN(GetLocalUpRefluxResponse, (kBytes), "11000000 16000000 01", kBytesHex),
        GOLDEN(GetLocalTotalRefluxResponse, (~0ull), "11000000 18000000 01", "ffffffffffffffff"),
        GOLDEN(GetAccelerateDownRefluxResponse, (kBytes), "11000000 1a000000 01", kBytesHex),
        GOLDEN(GetAccelerateUpRefluxResponse, (kBytes), "11000000 1c000000 01", kBytesHex),
        GOLDEN(GetAccelerateTotalRefluxResponse, (0), "11000000 1e000000 01", "0000000000000000"),
        GOLDEN(GetSuspensionDlgStateResponse, (1), "0a000000 22000000 01", "01"),
        GOLDEN(GetProcessDownRefluxByProcessNameResponse, (~0ull), "11000000 28000000 01",
               "ffffffffffffffff"),
        GOLDEN(GetProcessDownRefluxByPIdResponse, (kBytes), "11000000 2a000000 01", kBytesHex),
        GOLDEN(GetProcessUpRefluxByProcessNameResponse, (kBytes), "11000000 2c000000 01", kBytesHex),
        GOLDEN(GetProcessUpRefluxByPIdResponse, (kBytes), "11000000 2e000000 01", kBytesHex),
        GOLDEN(GetProcessStartTimeByProcessNameResponse, (1, kTime), "1d000000 30000000 01", "01000000",
               kTimeHex),
        GOLDEN(GetProcessStartTimeByPIdResponse, (-1, {}), "1d000000 32000000 01", "ffffffff",
               "00000000000000000000000000000000"),
        GOLDEN(GetProcessExitTimeByProcessNameResponse, (0, {}), "1d000000 34000000 01", "00000000",
               "00000000000000000000000000000000"),
        GOLDEN(GetProcessExitTimeByPIdResponse, (1, kTime), "1d000000 36000000 01", "01000000", kTimeHex),
        GOLDEN(GetProcessTotalTimeResponse, (3600), "0d000000 38000000 01", "100e0000"),
        GOLDEN(GetFirstAccelerateStartTimeResponse, (0, kTime), "1d000000 3a000000 01", "00000000", kTimeHex),
        GOLDEN(GetLastAccelerateExitTimeResponse, (1, kTime), "1d000000 3c000000 01", "01000000", kTimeHex),
        GOLDEN(GetProcessDownRefluxBetweenTimeByNameResponse, (kBytes), "11000000 3e000000 01", kBytesHex),
        GOLDEN(GetProcessDownRefluxBetweenTimeByIdResponse, (kBytes), "11000000 40000000 01", kBytesHex),
        GOLDEN(GetProcessUpRefluxBetweenTimeByNameResponse, (kBytes), "11000000 42000000 01", kBytesHex),
        // Answered under the request's own id 67 (0x43), not 68.
        GOLDEN(GetProcessUpRefluxBetweenTimeByIdResponse, (kBytes), "11000000 43000000 01", kBytesHex),
        GOLDEN(GetAlarmStateResponse, (0), "0a000000 46000000 01", "00"),
        GOLDEN(PostLocalDownReflux, (kBytes), "11000000 4d000000 01", kBytesHex),
        GOLDEN(PostLocalUpReflux, (kBytes), "11000000 4e000000 01", kBytesHex),
        GOLDEN(PostAccelerateDownReflux, (kBytes), "11000000 50000000 01", kBytesHex),
        GOLDEN(PostAccelerateUpReflux, (kBytes), "11000000 51000000 01", kBytesHex),
    };
    for (const Golden& c : cases) {
        EXPECT_EQ(ToHex(c.build()), ToHex(Hex(c.expected))) << c.name;
    }
}

ProcessListEntry SampleEntry() {
    ProcessListEntry e;
    e.sequence = 2;
    e.index = 7;
    e.state = 1;
    e.reserved = 0;  // ignored by the builder
    e.portCount = 3;
    e.pid = 0x1234;
    e.bytesUp = 0x1122334455667788;
    e.bytesDown = 0x99;
    e.startTime = kTime;
    e.exitTime = {2024, 5, 3, 1, 13, 0, 0, 1};
    e.name = u"游戏.exe";
    e.path = u"C:\\G\\a";
    return e;
}

TEST(CKvtComProtocolFactory, BuildsTheProcessListPushAtItsOffsets) {
    CPostProcessListRefluxProtocolFactory f;
    ASSERT_EQ(f.BuildPostProcessListReflux(SampleEntry()), 1);
    ASSERT_EQ(f.GetLength(), 1121u);
    const auto message = f.GetBytes();
    const std::string head =
        Join({"61040000 53000000 01",  // header
              "02000000", "07000000", "01000000", "ffffffff", "03000000", "34120000", "8877665544332211",
              "9900000000000000", kTimeHex, "e807 0500 0300 0100 0d00 0000 0000 0100"});
    EXPECT_EQ(ToHex(message.first(81)), ToHex(Hex(head)));
    EXPECT_EQ(ToHex(message.subspan(81, 14)), ToHex(Hex("386e 0f62 2e00 6500 7800 6500 0000")));
    EXPECT_EQ(ToHex(message.subspan(601, 14)), ToHex(Hex("4300 3a00 5c00 4700 5c00 6100 0000")));
    for (std::size_t i = 81 + 12; i < 601; ++i) {
        ASSERT_EQ(message[i], 0) << "name field byte " << i;
    }
    for (std::size_t i = 601 + 12; i < 1121; ++i) {
        ASSERT_EQ(message[i], 0) << "path field byte " << i;
    }
}

TEST(CKvtComProtocolFactory, HoldsNothingBeforeABuildAndOnlyTheLastMessageAfter) {
    CStartResponseProtocolFactory f;
    EXPECT_EQ(f.GetBuffer(), nullptr);
    EXPECT_EQ(f.GetLength(), 0u);
    ASSERT_EQ(f.BuildStartResponse(1), 1);
    ASSERT_EQ(f.BuildStartResponse(0), 1);
    EXPECT_EQ(ToHex(f.GetBytes()), "0a000000020000000100");
}

}  // namespace
