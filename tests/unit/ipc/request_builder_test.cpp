#include <gtest/gtest.h>

#include <vector>

#include "ipc/command_ids.h"
#include "ipc/request_builder.h"
#include "unit/ipc/ipc_test_bytes.h"

namespace {

using namespace ipc;
using ipc_test::Hex;
using ipc_test::ToHex;

const base::SystemTime kFrom{2024, 5, 3, 1, 12, 0, 0, 0};
const base::SystemTime kTo{2024, 5, 3, 1, 13, 30, 15, 500};
constexpr const char* kFromHex = "e807 0500 0300 0100 0c00 0000 0000 0000";
constexpr const char* kToHex = "e807 0500 0300 0100 0d00 1e00 0f00 f401";

TEST(EncodeRequest, LaysOutOneRequestOfEachBodyShape) {
    struct Case {
        std::uint32_t id;
        RequestArgs args;
        std::string expected;
    };
    const Case cases[] = {
        {cmd::kPauseMonitor, NoArgs{}, "09000000 03000000 01"},
        {cmd::kStart, StartArgs{{0xAA, 0xBB}}, "0d000000 01000000 01 0200 aabb"},
        {cmd::kStopAlarm, ByteArgs{1}, "0a000000 07000000 01 01"},
        {cmd::kGetProcessUpRefluxByPId, U32Args{0x01020304}, "0d000000 2d000000 01 04030201"},
        {cmd::kSetAccelerateProcess, NameListArgs{u"a.exe;", u";"},
         "1c000000 0f000000 01 0c000000 6100 2e00 6500 7800 6500 3b00 02 3b00"},
        {cmd::kGetProcessStartTimeByProcessName, NameArgs{u"游戏"}, "0f000000 2f000000 01 0400 386e 0f62"},
        {cmd::kGetProcessUpRefluxBetweenTimeByName, NameTimeRangeArgs{u"ab", kFrom, kTo},
         std::string("2f000000 41000000 01 0400 6100 6200 ") + kFromHex + kToHex},
        {cmd::kGetProcessUpRefluxBetweenTimeById, PidTimeRangeArgs{0x1234, kFrom, kTo},
         std::string("2d000000 43000000 01 34120000 ") + kFromHex + kToHex},
        {cmd::kSetAccelerateGameInfo, GameInfoArgs{7, u"g", u"ii"},
         "1b000000 4b000000 01 07000000 02000000 6700 04000000 6900 6900"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ToHex(EncodeRequest(c.id, c.args)), ToHex(Hex(c.expected))) << c.id;
    }
}

TEST(EncodeRequest, RefusesTextsTooLongForTheirCounts) {
    EXPECT_TRUE(
        EncodeRequest(cmd::kSetAccelerateProcess, NameListArgs{u"a;", std::u16string(128, u';')}).empty());
    EXPECT_FALSE(
        EncodeRequest(cmd::kSetAccelerateProcess, NameListArgs{u"a;", std::u16string(127, u';')}).empty());
    EXPECT_TRUE(EncodeRequest(cmd::kGetProcessTotalTime, NameArgs{std::u16string(32768, u'n')}).empty());
    EXPECT_FALSE(EncodeRequest(cmd::kGetProcessTotalTime, NameArgs{std::u16string(32767, u'n')}).empty());
}

}  // namespace
