#include <gtest/gtest.h>

#include <vector>

#include "ipc/command_ids.h"
#include "ipc/request_builder.h"
#include "ipc/request_parser.h"
#include "ipc/request_table.h"
#include "unit/ipc/ipc_test_bytes.h"

namespace {

using namespace ipc;
using ipc_test::Poke;
using ipc_test::Resized;

const base::SystemTime kFrom{2024, 5, 3, 1, 12, 0, 0, 0};
const base::SystemTime kTo{2024, 5, 3, 1, 13, 0, 0, 0};

// `count` bytes of UTF-16LE `unit`s; an odd count ends with a stray low byte.
void AppendUnits(std::vector<std::uint8_t>& m, std::size_t count, char unit) {
    for (std::size_t i = 0; i < count; ++i) {
        m.push_back(i % 2 == 0 ? static_cast<std::uint8_t>(unit) : 0);
    }
}

std::vector<std::uint8_t> Encode(std::uint32_t id, const RequestArgs& args) {
    std::vector<std::uint8_t> message = EncodeRequest(id, args);
    EXPECT_FALSE(message.empty());
    return message;
}

// A name list request with hand-set counts: namesBytes of text, the separator count byte, sepBytes
// of separator, and `extra` trailing bytes; the length field matches what is sent.
std::vector<std::uint8_t> NameList(std::uint32_t namesBytes, std::uint8_t sepBytes, std::size_t extra = 0) {
    std::vector<std::uint8_t> m(9 + 4, 0);
    Poke(m, 4, cmd::kSetAccelerateProcess, 4);
    m[8] = 1;
    Poke(m, 9, namesBytes, 4);
    AppendUnits(m, namesBytes, 'a');
    m.push_back(sepBytes);
    AppendUnits(m, sepBytes, ';');
    m.resize(m.size() + extra, 0);
    return Resized(m, m.size());
}

std::vector<std::uint8_t> ByName(std::uint32_t id, std::uint16_t nameBytes, bool withTimes) {
    std::vector<std::uint8_t> m(11, 0);
    Poke(m, 4, id, 4);
    m[8] = 1;
    Poke(m, 9, nameBytes, 2);
    AppendUnits(m, nameBytes, 'x');
    if (withTimes) {
        m.resize(m.size() + 32, 0);
    }
    return Resized(m, m.size());
}

// A game info request with hand-set counts and `extra` trailing bytes; the length field matches.
std::vector<std::uint8_t> GameInfo(std::uint32_t nameBytes, std::uint32_t infoBytes, std::size_t extra = 0) {
    std::vector<std::uint8_t> m(9 + 8, 0);
    Poke(m, 4, cmd::kSetAccelerateGameInfo, 4);
    m[8] = 1;
    Poke(m, 9, 9, 4);
    Poke(m, 13, nameBytes, 4);
    AppendUnits(m, nameBytes, 'g');
    m.resize(m.size() + 4, 0);
    Poke(m, m.size() - 4, infoBytes, 4);
    AppendUnits(m, infoBytes, 'i');
    m.resize(m.size() + extra, 0);
    return Resized(m, m.size());
}

struct Case {
    const char* what;
    std::vector<std::uint8_t> message;
    ParseStatus expected;
};

void Check(const Case& c) {
    const ParsedRequest parsed = ParseRequest(c.message);
    EXPECT_EQ(parsed.status, c.expected) << c.what;
    if (parsed.status != ParseStatus::kOk) {
        EXPECT_TRUE(std::holds_alternative<NoArgs>(parsed.args)) << c.what;
    }
}

TEST(ParseRequest, FixedSizeBodiesAtTheirLengthBoundaries) {
    const auto stop = Encode(cmd::kStopAlarm, ByteArgs{1});
    const auto pid = Encode(cmd::kGetProcessDownRefluxByPId, U32Args{42});
    const auto first = Encode(cmd::kGetFirstAccelerateStartTime, NoArgs{});
    const auto range = Encode(cmd::kGetProcessUpRefluxBetweenTimeById, PidTimeRangeArgs{42, kFrom, kTo});
    const Case cases[] = {
        {"StopAlarm 9 bytes", Resized(stop, 9), ParseStatus::kMalformed},
        {"StopAlarm 10 bytes", stop, ParseStatus::kOk},
        {"StopAlarm 11 bytes", Resized(stop, 11), ParseStatus::kMalformed},
        {"SetSuspensionDlgState 9 bytes", Resized(Encode(cmd::kSetSuspensionDlgState, ByteArgs{1}), 9),
         ParseStatus::kMalformed},
        {"SetAlarmState 11 bytes", Resized(Encode(cmd::kSetAlarmState, ByteArgs{1}), 11),
         ParseStatus::kMalformed},
        {"by pid 12 bytes", Resized(pid, 12), ParseStatus::kMalformed},
        {"by pid 13 bytes", pid, ParseStatus::kOk},
        {"by pid 14 bytes", Resized(pid, 14), ParseStatus::kMalformed},
        {"SetAccelerateState 12 bytes", Resized(Encode(cmd::kSetAccelerateState, U32Args{1}), 12),
         ParseStatus::kMalformed},
        {"GetFirstAccelerateStartTime 9 bytes", first, ParseStatus::kOk},
        {"GetFirstAccelerateStartTime 10 bytes", Resized(first, 10), ParseStatus::kMalformed},
        {"GetAlarmState 10 bytes", Resized(Encode(cmd::kGetAlarmState, NoArgs{}), 10),
         ParseStatus::kMalformed},
        {"between by pid 44 bytes", Resized(range, 44), ParseStatus::kMalformed},
        {"between by pid 45 bytes", range, ParseStatus::kOk},
        {"between by pid 46 bytes", Resized(range, 46), ParseStatus::kMalformed},
    };
    for (const Case& c : cases) {
        Check(c);
    }
}

TEST(ParseRequest, UncheckedRequestsTakeAnyLengthAndReadOnlyWhatArrived) {
    const Case cases[] = {
        {"GetLocalDownReflux with a trailing byte", Resized(Encode(cmd::kGetLocalDownReflux, NoArgs{}), 10),
         ParseStatus::kOk},
        {"ExitMonitor 13 bytes", Resized(Encode(cmd::kExitMonitor, NoArgs{}), 13), ParseStatus::kOk},
        {"unnamed 31 with a body", Resized(Encode(cmd::kUnnamed31, NoArgs{}), 12), ParseStatus::kOk},
        {"ShowBlackListDlg 9 bytes", Encode(cmd::kShowBlackListDlg, NoArgs{}), ParseStatus::kOk},
        {"ShowBlackListDlg 12 bytes", Resized(Encode(cmd::kShowBlackListDlg, NoArgs{}), 12),
         ParseStatus::kOk},
        {"ShowSuspensionDlg 9 bytes", Encode(cmd::kShowSuspensionDlg, NoArgs{}), ParseStatus::kOk},
    };
    for (const Case& c : cases) {
        Check(c);
    }
    // A field that did not arrive reads 0; one that did is decoded.
    EXPECT_EQ(std::get<U32Args>(ParseRequest(Encode(cmd::kShowBlackListDlg, NoArgs{})).args).value, 0u);
    EXPECT_EQ(
        std::get<U32Args>(ParseRequest(Resized(Encode(cmd::kShowBlackListDlg, U32Args{5}), 14)).args).value,
        5u);
    EXPECT_EQ(std::get<ByteArgs>(ParseRequest(Encode(cmd::kShowSuspensionDlg, ByteArgs{7})).args).value, 7);
}

TEST(ParseRequest, StartNeedsThirteenBytesAndTakesWhatArrivedOfItsData) {
    const auto start = Encode(cmd::kStart, StartArgs{{1, 2, 3}});
    std::vector<std::uint8_t> overstated = Encode(cmd::kStart, StartArgs{{1, 2}});
    Poke(overstated, 9, 0xFFFF, 2);
    const Case cases[] = {
        {"no data", Encode(cmd::kStart, StartArgs{}), ParseStatus::kMalformed},
        {"12 bytes", Encode(cmd::kStart, StartArgs{{1}}), ParseStatus::kMalformed},
        {"13 bytes", Encode(cmd::kStart, StartArgs{{1, 2}}), ParseStatus::kOk},
        {"count beyond the message", overstated, ParseStatus::kOk},
        {"count short of the message", Resized(start, 16), ParseStatus::kOk},
    };
    for (const Case& c : cases) {
        Check(c);
    }
    EXPECT_EQ(std::get<StartArgs>(ParseRequest(overstated).args).data, (std::vector<std::uint8_t>{1, 2}));
    EXPECT_EQ(std::get<StartArgs>(ParseRequest(Resized(start, 16)).args).data,
              (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(ParseRequest, NameListLengthRules) {
    const Case cases[] = {
        {"exact", NameList(8, 2), ParseStatus::kOk},
        {"smallest: 18 bytes", NameList(2, 2), ParseStatus::kOk},
        {"17 bytes", NameList(2, 1), ParseStatus::kMalformed},
        {"one byte longer than its counts", NameList(8, 2, 1), ParseStatus::kMalformed},
        {"one byte shorter than its counts", Resized(NameList(8, 2), 23), ParseStatus::kMalformed},
        {"no separator byte after the names", Resized(NameList(10, 2), 23), ParseStatus::kMalformed},
        {"namesBytes larger than the message", Resized(NameList(40, 2), 30), ParseStatus::kMalformed},
        {"namesBytes that would wrap",
         [] {
             auto m = NameList(8, 2);
             Poke(m, 9, 0xFFFFFFF5, 4);
             return m;
         }(),
         ParseStatus::kMalformed},
        {"odd namesBytes", NameList(7, 3), ParseStatus::kOk},
    };
    for (const Case& c : cases) {
        Check(c);
    }
    const ParsedRequest unclear =
        ParseRequest(Encode(cmd::kSetUnclearProcessName, NameListArgs{u"侠义道.exe|b.exe|", u"|"}));
    ASSERT_TRUE(unclear.Ok());
    EXPECT_EQ(std::get<NameListArgs>(unclear.args), (NameListArgs{u"侠义道.exe|b.exe|", u"|"}));
    EXPECT_EQ(std::get<NameListArgs>(ParseRequest(NameList(7, 3)).args).names, u"aaa");
}

TEST(ParseRequest, ByNameQueriesNeedFiveNameBytesAndAnExactLength) {
    const std::uint32_t plain[] = {cmd::kGetProcessDownRefluxByProcessName,
                                   cmd::kGetProcessUpRefluxByProcessName,
                                   cmd::kGetProcessStartTimeByProcessName,
                                   cmd::kGetProcessExitTimeByProcessName, cmd::kGetProcessTotalTime};
    for (const std::uint32_t id : plain) {
        SCOPED_TRACE(id);
        const Case cases[] = {
            {"nameBytes 2, length 13", ByName(id, 2, false), ParseStatus::kMalformed},
            {"nameBytes 4", ByName(id, 4, false), ParseStatus::kMalformed},
            {"nameBytes 5", ByName(id, 5, false), ParseStatus::kOk},
            {"one byte long", Resized(ByName(id, 10, false), 22), ParseStatus::kMalformed},
            {"one byte short", Resized(ByName(id, 10, false), 20), ParseStatus::kMalformed},
            {"12 bytes", Resized(ByName(id, 1, false), 12), ParseStatus::kMalformed},
            {"nameBytes 65535, 20 bytes", Resized(ByName(id, 0xFFFF, false), 20), ParseStatus::kMalformed},
        };
        for (const Case& c : cases) {
            Check(c);
        }
        EXPECT_EQ(std::get<NameArgs>(ParseRequest(ByName(id, 5, false)).args).name, u"xx");
    }
    for (const std::uint32_t id :
         {cmd::kGetProcessDownRefluxBetweenTimeByName, cmd::kGetProcessUpRefluxBetweenTimeByName}) {
        SCOPED_TRACE(id);
        const Case cases[] = {
            {"length 45, nameBytes 2", ByName(id, 2, true), ParseStatus::kMalformed},
            {"nameBytes 4", ByName(id, 4, true), ParseStatus::kMalformed},
            {"nameBytes 5", ByName(id, 5, true), ParseStatus::kOk},
            {"one byte long", Resized(ByName(id, 10, true), 54), ParseStatus::kMalformed},
            {"one byte short", Resized(ByName(id, 10, true), 52), ParseStatus::kMalformed},
            {"44 bytes", Resized(ByName(id, 1, true), 44), ParseStatus::kMalformed},
        };
        for (const Case& c : cases) {
            Check(c);
        }
    }
    // The name ends at its first NUL even though its count goes on.
    EXPECT_EQ(
        std::get<NameArgs>(
            ParseRequest(Encode(cmd::kGetProcessTotalTime, NameArgs{std::u16string(u"ab\0cd", 5)})).args)
            .name,
        u"ab");
}

TEST(ParseRequest, GameInfoLengthRules) {
    const Case cases[] = {
        {"exact", GameInfo(8, 6), ParseStatus::kOk},
        {"26 bytes", GameInfo(2, 3), ParseStatus::kOk},
        {"25 bytes", GameInfo(2, 2), ParseStatus::kMalformed},
        {"one byte long", GameInfo(8, 6, 1), ParseStatus::kMalformed},
        {"one byte short", Resized(GameInfo(8, 6), 34), ParseStatus::kMalformed},
        {"infoBytes cut off", Resized(GameInfo(8, 6), 27), ParseStatus::kMalformed},
        {"infoBytes partly there",
         [] {
             auto m = GameInfo(8, 0);
             Poke(m, 13, 10, 4);  // nameBytes 10: the info count would start at 27 of 29 bytes
             return m;
         }(),
         ParseStatus::kMalformed},
        {"nameBytes that would wrap",
         [] {
             auto m = GameInfo(8, 6);
             Poke(m, 13, 0xFFFFFFF0, 4);
             return m;
         }(),
         ParseStatus::kMalformed},
    };
    for (const Case& c : cases) {
        Check(c);
    }
}

TEST(RequestTable, AnswersEachRequestUnderItsIdPlusOneBut67UnderItself) {
    ASSERT_EQ(RequestTable().size(), 39u);
    std::uint32_t expectedId = 1;
    for (const RequestInfo& info : RequestTable().first(38)) {
        EXPECT_EQ(info.id, expectedId);
        EXPECT_EQ(FindRequest(info.id), &info);
        if (info.answerId != 0) {
            EXPECT_EQ(info.answerId,
                      info.id == cmd::kGetProcessUpRefluxBetweenTimeById ? info.id : info.id + 1);
        }
        expectedId += 2;
    }
    EXPECT_EQ(AnswerIdOf(cmd::kGetProcessUpRefluxBetweenTimeById), 67u);
    EXPECT_EQ(AnswerIdOf(cmd::kGetProcessDownRefluxBetweenTimeById), 64u);
    EXPECT_EQ(AnswerIdOf(cmd::kPauseMonitor), 0u);
    EXPECT_EQ(FindRequest(0), nullptr);
    EXPECT_EQ(FindRequest(2), nullptr);
    EXPECT_EQ(FindRequest(77), nullptr);
    EXPECT_EQ(FindRequest(97), nullptr);
    // The monitor's own request lies past the accelerator's range.
    EXPECT_EQ(AnswerIdOf(cmd::kGetUnattributedReflux), 100u);
}

}  // namespace
