// The length rules of the requests, at their boundaries; the field layouts are the golden table's.

#include <gtest/gtest.h>

#include <vector>

#include "ipc/command_ids.h"
#include "ipc/request_parser.h"
#include "unit/ipc/ipc_test_bytes.h"

namespace {

using namespace ipc;
using namespace ipc_test;
constexpr ParseStatus kOk = ParseStatus::kOk;
constexpr ParseStatus kBad = ParseStatus::kMalformed;

struct Case {
    std::uint32_t id;
    std::string body;  // hex
    ParseStatus expected;
};

void Check(const Case& c) {
    const ParsedRequest parsed = ParseRequest(Framed(c.id, {c.body}));
    EXPECT_EQ(parsed.status, c.expected) << c.id << ": " << c.body;
    if (!parsed.Ok()) {
        EXPECT_TRUE(std::holds_alternative<NoArgs>(parsed.args));
    }
}

template <typename Args>
Args ArgsOf(std::uint32_t id, const std::string& body) {
    return std::get<Args>(ParseRequest(Framed(id, {body})).args);
}

TEST(ParseRequest, LengthRulesOfEveryBodyShape) {
    const Case cases[] = {
        // Fixed sizes.
        {cmd::kStopAlarm, "", kBad},
        {cmd::kStopAlarm, "01", kOk},
        {cmd::kStopAlarm, "0100", kBad},
        {cmd::kGetProcessDownRefluxByPId, Z(3), kBad},
        {cmd::kGetProcessDownRefluxByPId, Z(4), kOk},
        {cmd::kGetProcessUpRefluxByPId, Z(5), kBad},
        {cmd::kGetFirstAccelerateStartTime, "", kOk},
        {cmd::kGetLastAccelerateExitTime, "00", kBad},
        {cmd::kGetProcessUpRefluxBetweenTimeById, Z(35), kBad},
        {cmd::kGetProcessDownRefluxBetweenTimeById, Z(36), kOk},
        {cmd::kGetProcessUpRefluxBetweenTimeById, Z(37), kBad},
        // Requests whose fields the monitor does not read take any length.
        {cmd::kShowBlackListDlg, Z(3), kOk},
        {cmd::kShowSuspensionDlg, "", kOk},
        // Start: at least 13 bytes; what arrived of its data.
        {cmd::kStart, "", kBad},
        {cmd::kStart, "0100 01", kBad},
        {cmd::kStart, "0200 0102", kOk},
        {cmd::kStart, "ffff 0102", kOk},
        // Name lists: u32 namesBytes, names, u8 separatorBytes, separator, nothing after.
        {cmd::kSetAccelerateProcess, "08000000 6100610061006100 02 3b00", kOk},
        {cmd::kSetAccelerateProcess, "02000000 6100 02 3b00", kOk},
        {cmd::kSetAccelerateProcess, "02000000 6100 01 3b", kBad},  // 17 bytes
        {cmd::kSetAccelerateProcess, "08000000 6100610061006100 02 3b00 00", kBad},
        {cmd::kSetAccelerateProcess, "08000000 6100610061006100 02 3b", kBad},
        {cmd::kSetUnclearProcessName, "0a000000 61006100610061006100", kBad},  // no separator count
        {cmd::kSetAccelerateProcess, "28000000" + Z(17), kBad},
        {cmd::kSetAccelerateProcess, "f5ffffff 6100610061006100 02 3b00", kBad},  // would wrap
        {cmd::kSetAccelerateProcess, "07000000 61006100610061 03 3b003b", kOk},
        // Game info: u32 gameId, u32 nameBytes, name, u32 infoBytes, info, nothing after.
        {cmd::kSetAccelerateGameInfo, "09000000 08000000" + Z(8) + "06000000" + Z(6), kOk},
        {cmd::kSetAccelerateGameInfo, "09000000 02000000 6700 03000000 696969", kOk},
        {cmd::kSetAccelerateGameInfo, "09000000 02000000 6700 02000000 6969", kBad},
        {cmd::kSetAccelerateGameInfo, "09000000 08000000" + Z(8) + "06000000" + Z(7), kBad},
        {cmd::kSetAccelerateGameInfo, "09000000 08000000" + Z(8) + "06000000" + Z(5), kBad},
        {cmd::kSetAccelerateGameInfo, "09000000 08000000" + Z(8) + "0600", kBad},
        {cmd::kSetAccelerateGameInfo, "09000000 0a000000" + Z(12), kBad},  // info count half there
        {cmd::kSetAccelerateGameInfo, "09000000 f0ffffff" + Z(8) + "06000000" + Z(6), kBad},
    };
    for (const Case& c : cases) {
        Check(c);
    }
    for (const std::uint32_t id :
         {cmd::kPauseMonitor, cmd::kResumeMonitor, cmd::kShowMainDlg, cmd::kGetLocalDownReflux,
          cmd::kGetLocalUpReflux, cmd::kGetLocalTotalReflux, cmd::kGetAccelerateDownReflux,
          cmd::kGetAccelerateUpReflux, cmd::kGetAccelerateTotalReflux, cmd::kUnnamed31,
          cmd::kGetSuspensionDlgState, cmd::kExitMonitor, cmd::kGetUnattributedReflux}) {
        Check({id, Z(3), kOk});
    }
    // By name: u16 nameBytes (at least 5), the name, the times of a range query, nothing after.
    for (const auto& [id, times] : {std::pair{cmd::kGetProcessTotalTime, std::string()},
                                    std::pair{cmd::kGetProcessUpRefluxBetweenTimeByName, Z(32)}}) {
        const std::pair<std::string, ParseStatus> bodies[] = {
            {"0400 78007800", kBad}, {"0500 7800780078", kOk}, {"0a00" + Z(11), kBad},
            {"0a00" + Z(9), kBad},   {"0100 78", kBad},        {"ffff" + Z(9), kBad}};
        for (const auto& [body, expected] : bodies) {
            Check({id, body + times, expected});
        }
    }
}

TEST(ParseRequest, ReadsOnlyWhatArrived) {
    EXPECT_EQ(ArgsOf<U32Args>(cmd::kShowBlackListDlg, "").value,
              0u);  // a field that did not arrive
    EXPECT_EQ(ArgsOf<U32Args>(cmd::kShowBlackListDlg, "05000000 00").value, 5u);
    EXPECT_EQ(ArgsOf<ByteArgs>(cmd::kShowSuspensionDlg, "07").value, 7);
    EXPECT_EQ(ArgsOf<StartArgs>(cmd::kStart, "ffff 0102").data, (std::vector<std::uint8_t>{1, 2}));
    EXPECT_EQ(ArgsOf<StartArgs>(cmd::kStart, "0300 010203 000000").data,
              (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(ArgsOf<NameListArgs>(cmd::kSetAccelerateProcess, "07000000 61006100610061 03 3b003b").names,
              u"aaa");
    // A name ends at its first NUL even though its count goes on.
    EXPECT_EQ(ArgsOf<NameArgs>(cmd::kGetProcessTotalTime, "0a00 6100 6200 0000 6300 6400").name, u"ab");
}

}  // namespace
