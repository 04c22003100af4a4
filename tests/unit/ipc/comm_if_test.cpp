// CCommIF: each request makes its call and gets its answer, pushes go out as given, a full pipe holds nobody
// up. A recording pipe stands in for the transport; the last test runs on a real one.

#include "ipc/comm_if.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ipc/command_ids.h"
#include "ipc/message_header.h"
#include "ipc/message_text.h"
#include "ipc/monitor_message.h"
#include "ipc/request_builder.h"
#include "ipc/request_table.h"
#include "unit/ipc/fake_requests.h"
#include "unit/ipc/ipc_test_bytes.h"
#include "unit/ipc/pipe_test_util.h"

namespace {

using namespace ipc;
using namespace ipc_test;
using engine::ProcessListEntry;

const base::SystemTime kFrom{2024, 5, 3, 1, 12, 0, 0, 0};
const base::SystemTime kTo{2024, 5, 3, 1, 13, 0, 0, 0};

// Takes or refuses every write as told; records what it took and how long each write could wait.
struct FakePipe : CNamedPipeClientCallBackMode {
    std::uint32_t Open(std::u16string_view) override { return 1; }
    std::uint32_t StartReading() override { return 1; }
    std::uint32_t WriteWithin(const void* data, std::uint32_t size, std::uint32_t* written,
                              std::uint32_t waitMs) override {
        waits.push_back(waitMs);
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        if (error == 0) {
            sent.emplace_back(bytes, bytes + size);
        }
        *written = error == 0 ? size : 0;
        return error;
    }
    std::uint32_t error = 0;
    std::vector<Message> sent;
    std::vector<std::uint32_t> waits;
};

struct CommIfOnFakePipe : CCommIF {
    using CCommIF::CCommIF;
    std::unique_ptr<CNamedPipeClientCallBackMode> NewClient() override {
        auto client = std::make_unique<FakePipe>();
        pipe = client.get();
        return client;
    }
    FakePipe* pipe = nullptr;
};

struct Row {
    Message request;
    std::string call;      // empty: none
    MonitorFields answer;  // monostate: none
};

constexpr auto& Encode = EncodeRequest;
Message OfSize(std::uint32_t id, std::size_t size) {
    return Resized(Framed(id, {}), size);
}

class CommIf : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(comm_.Init(u"\\\\.\\pipe\\fake"), 1u); }

    std::vector<ParsedMonitorMessage> Sent() {
        std::vector<ParsedMonitorMessage> out;
        for (const Message& m : std::exchange(comm_.pipe->sent, {})) {
            out.push_back(ParseMonitorMessage(m));
        }
        return out;
    }
    std::vector<std::uint32_t> Waits() { return std::exchange(comm_.pipe->waits, {}); }
    // The request as the reader hands it over; its answer goes out under AnswerIdOf its id.
    void Check(const Row& row, std::uint32_t read = 1) {
        SCOPED_TRACE(FormatMessageText(DescribeRequest(row.request)));
        EXPECT_EQ(comm_.OnRead(row.request.data(), static_cast<std::uint32_t>(row.request.size()), 0), read);
        EXPECT_EQ(requests_.TakeCalls(),
                  row.call.empty() ? std::vector<std::string>{} : std::vector{row.call});
        const auto sent = Sent();
        ASSERT_EQ(sent.size(), std::holds_alternative<std::monostate>(row.answer) ? 0u : 1u);
        if (!sent.empty()) {
            ASSERT_TRUE(sent[0].Ok());
            EXPECT_EQ(sent[0].id, AnswerIdOf(ReadHeader(row.request)->commandId));
            EXPECT_EQ(sent[0].fields, row.answer);
        }
    }

    FakeRequests requests_;
    CommIfOnFakePipe comm_{requests_};
};

// Well-formed requests, answered with the program's value v.
std::vector<Row> WellFormedRows(std::int64_t v) {
    const ByteAnswer byte{static_cast<std::uint8_t>(v)};
    const BytesAnswer bytes{static_cast<std::uint64_t>(v)};
    const std::int32_t result = static_cast<std::int32_t>(v);
    const TimeAnswer time{result, result == 1 ? kWhen : base::SystemTime{}};  // the time only with 1
    const NameArgs game{u"Game.exe"};
    const std::u16string withNuls(u"game.exe\0;\0", 11);
    const std::string range = "2024-05-01 12:00:00.000, 2024-05-01 13:00:00.000";
    return {
        {Encode(cmd::kStart, StartArgs{{1, 2, 3, 4}}), "", ByteAnswer{0}},
        {Encode(cmd::kPauseMonitor, NoArgs{}), "PauseMonitor", {}},
        {Encode(cmd::kResumeMonitor, NoArgs{}), "ResumeMonitor", {}},
        {Encode(cmd::kStopAlarm, ByteArgs{1}), "StopAlarm(1)", byte},
        {Encode(cmd::kShowBlackListDlg, U32Args{7}), "ShowBlackListDlg", {}},
        {Encode(cmd::kShowMainDlg, NoArgs{}), "ShowMainDlg", {}},
        {Encode(cmd::kShowSuspensionDlg, ByteArgs{0}), "ShowSuspensionDlg", {}},
        {Encode(cmd::kSetAccelerateProcess, NameListArgs{u"game.exe|helper.exe", u"|"}),
         R"(SetAccelerateProcess("game.exe|helper.exe", 19, "|", 1))", byte},
        // Every received unit is kept.
        {Encode(cmd::kSetAccelerateProcess, NameListArgs{withNuls, std::u16string(u";\0", 2)}),
         R"(SetAccelerateProcess("game.exe\0;\0", 11, ";\0", 2))", byte},
        {Encode(cmd::kSetUnclearProcessName, NameListArgs{u"侠义道;x.exe", u";"}),
         R"(SetUnclearProcessName("侠义道;x.exe", 9, ";", 1))", ByteReservedAnswer{byte.value, 0}},
        {Encode(cmd::kGetLocalDownReflux, NoArgs{}), "GetReflux(0)", PaddedBytesAnswer{bytes.bytes, 0}},
        {Encode(cmd::kGetLocalUpReflux, NoArgs{}), "GetReflux(1)", bytes},
        {Encode(cmd::kGetLocalTotalReflux, NoArgs{}), "GetReflux(2)", bytes},
        {Encode(cmd::kGetAccelerateDownReflux, NoArgs{}), "GetReflux(3)", bytes},
        {Encode(cmd::kGetAccelerateUpReflux, NoArgs{}), "GetReflux(4)", bytes},
        {Encode(cmd::kGetAccelerateTotalReflux, NoArgs{}), "GetReflux(5)", bytes},
        {Encode(cmd::kGetUnattributedReflux, NoArgs{}), "GetReflux(6)", bytes},
        {Encode(cmd::kSubscribeAlarms, ByteArgs{0}), "", {}},
        {Encode(cmd::kUnnamed31, NoArgs{}), "", {}},
        {Encode(cmd::kGetSuspensionDlgState, NoArgs{}), "GetSuspensionDlgState", byte},
        {Encode(cmd::kSetSuspensionDlgState, ByteArgs{1}), "SetSuspensionDlgState(1)", {}},
        {Encode(cmd::kExitMonitor, NoArgs{}), "RequestExit", {}},
        {Encode(cmd::kGetProcessDownRefluxByProcessName, game), R"(GetProcessRefluxByName("Game.exe", down))",
         bytes},
        {Encode(cmd::kGetProcessDownRefluxByPId, U32Args{4242}), "GetProcessRefluxByPid(4242, down)", bytes},
        {Encode(cmd::kGetProcessUpRefluxByProcessName, game), R"(GetProcessRefluxByName("Game.exe", up))",
         bytes},
        {Encode(cmd::kGetProcessUpRefluxByPId, U32Args{0xFFFFFFFE}), "GetProcessRefluxByPid(4294967294, up)",
         bytes},
        {Encode(cmd::kGetProcessStartTimeByProcessName, game), R"(GetProcessStartTimeByName("Game.exe"))",
         time},
        {Encode(cmd::kGetProcessStartTimeByPId, U32Args{4242}), "GetProcessStartTimeByPid(4242)", time},
        {Encode(cmd::kGetProcessExitTimeByProcessName, game), R"(GetProcessExitTimeByName("Game.exe"))",
         time},
        {Encode(cmd::kGetProcessExitTimeByPId, U32Args{4242}), "GetProcessExitTimeByPid(4242)", time},
        {Encode(cmd::kGetProcessTotalTime, game), R"(GetProcessTotalTime("Game.exe"))",
         SecondsAnswer{static_cast<std::uint32_t>(v)}},
        {Encode(cmd::kGetFirstAccelerateStartTime, NoArgs{}), "GetFirstAccelerateStartTime", time},
        {Encode(cmd::kGetLastAccelerateExitTime, NoArgs{}), "GetLastAccelerateExitTime", time},
        {Encode(cmd::kGetProcessDownRefluxBetweenTimeByName, NameTimeRangeArgs{u"Game.exe", kFrom, kTo}),
         R"(GetRefluxBetweenTimeByName("Game.exe", )" + range + ", down)", bytes},
        {Encode(cmd::kGetProcessDownRefluxBetweenTimeById, PidTimeRangeArgs{4242, kFrom, kTo}),
         "GetRefluxBetweenTimeById(4242, " + range + ", down)", bytes},
        {Encode(cmd::kGetProcessUpRefluxBetweenTimeByName, NameTimeRangeArgs{u"Game.exe", kFrom, kTo}),
         R"(GetRefluxBetweenTimeByName("Game.exe", )" + range + ", up)", bytes},
        {Encode(cmd::kGetProcessUpRefluxBetweenTimeById, PidTimeRangeArgs{4242, kFrom, kTo}),
         "GetRefluxBetweenTimeById(4242, " + range + ", up)", bytes},
        {Encode(cmd::kGetAlarmState, NoArgs{}), "GetAlarmState", byte},
        {Encode(cmd::kSetAlarmState, ByteArgs{1}), "SetAlarmState(1)", {}},
        {Encode(cmd::kSetAccelerateState, U32Args{3}), "SetAccelerateState(3)", {}},
        {Encode(cmd::kSetAccelerateGameInfo, GameInfoArgs{1024, u"某游戏", u"info text"}),
         R"(SetAccelerateGameInfo(1024, "某游戏", "info text"))",
         {}},
    };
}

// A count beyond 32 bits, a time result without its time, and the program's -1 (all bits set on the wire).
TEST_F(CommIf, EachRequestMakesItsCallAndSendsTheProgramsAnswer) {
    for (const std::int64_t v : {std::int64_t{1}, std::int64_t{0x100000002}, kNoReflux}) {
        SCOPED_TRACE(v);
        requests_.answer = v;
        for (const Row& row : WellFormedRows(v)) {
            Check(row);
        }
    }
}

// One row per request that reads its fields; the length rules themselves are the parser's tests.
TEST_F(CommIf, MalformedRequestsGetTheFailureValueAndAskNothing) {
    Message nameListTooLong = Encode(cmd::kSetUnclearProcessName, NameListArgs{u"a.exe", u";"});
    Poke(nameListTooLong, 9, 100, 4);
    const Message nameList = Encode(cmd::kSetAccelerateProcess, NameListArgs{u"game.exe", u";"});
    const Message byName = Encode(cmd::kGetProcessDownRefluxByProcessName, NameArgs{u"Game.exe"});
    const Message range =
        Encode(cmd::kGetProcessDownRefluxBetweenTimeByName, NameTimeRangeArgs{u"G.exe", kFrom, kTo});
    const BytesAnswer noBytes{~0ull};
    const TimeAnswer noTime{-1, {}};
    const Row rows[] = {
        {OfSize(cmd::kStart, 12), "", ByteAnswer{0}},
        {OfSize(cmd::kStopAlarm, 9), "", ByteAnswer{0}},
        {Resized(nameList, nameList.size() + 1), "", ByteAnswer{0}},
        {nameListTooLong, "", ByteReservedAnswer{0, 0}},
        {OfSize(cmd::kSetSuspensionDlgState, 9), "", {}},
        {Resized(byName, byName.size() + 2), "", noBytes},
        {OfSize(cmd::kGetProcessDownRefluxByPId, 12), "", noBytes},
        {Encode(cmd::kGetProcessUpRefluxByProcessName, NameArgs{u"ab"}), "", noBytes},
        {OfSize(cmd::kGetProcessUpRefluxByPId, 14), "", noBytes},
        {OfSize(cmd::kGetProcessStartTimeByProcessName, 12), "", noTime},
        {OfSize(cmd::kGetProcessStartTimeByPId, 9), "", noTime},
        {Encode(cmd::kGetProcessExitTimeByProcessName, NameArgs{u"ab"}), "", noTime},
        {OfSize(cmd::kGetProcessExitTimeByPId, 12), "", noTime},
        {OfSize(cmd::kGetProcessTotalTime, 9), "", SecondsAnswer{0}},
        {OfSize(cmd::kGetFirstAccelerateStartTime, 10), "", noTime},
        {OfSize(cmd::kGetLastAccelerateExitTime, 10), "", noTime},
        {Resized(range, range.size() - 1), "", noBytes},
        {OfSize(cmd::kGetProcessDownRefluxBetweenTimeById, 44), "", noBytes},
        {OfSize(cmd::kGetProcessUpRefluxBetweenTimeByName, 44), "", noBytes},
        {OfSize(cmd::kGetProcessUpRefluxBetweenTimeById, 46), "", noBytes},
        {OfSize(cmd::kGetAlarmState, 10), "", ByteAnswer{0}},
        {OfSize(cmd::kSetAlarmState, 9), "", {}},
        {OfSize(cmd::kSetAccelerateState, 12), "", {}},
        {OfSize(cmd::kSetAccelerateGameInfo, 25), "", {}},
    };
    for (const Row& row : rows) {
        Check(row);
    }
}

TEST_F(CommIf, WhatIsNotOneWholeRequestIsIgnoredAndOnlyABadFrameReadsAsZero) {
    Message shortOfItsLength = Encode(cmd::kStopAlarm, ByteArgs{1});
    Poke(shortOfItsLength, 0, 11, 4);
    Message longerThanItsLength = Encode(cmd::kGetProcessDownRefluxByPId, U32Args{4242});
    longerThanItsLength.resize(17);
    for (const Message& m : {shortOfItsLength, longerThanItsLength, Message{5, 0, 0, 0, 7}, Message{}}) {
        Check({m, "", {}}, 0);
    }
    EXPECT_EQ(comm_.OnRead(nullptr, 9, 0), 0u);
    for (const std::uint32_t id :
         {cmd::kStopAlarmResponse, cmd::kPostLocalDownReflux, 2u, 79u, 0xFFFFFFFFu}) {
        Check({Encode(id, ByteArgs{1}), "", {}});  // answers, pushes and ids without a handler
    }
}

TEST_F(CommIf, PushesGoOutInOrderAndAProcessListRoundIsNumberedByPosition) {
    comm_.PushTotals(11, 22, 0x100000033, 44);
    comm_.PostStartResult(0);
    // Whatever sequence and index the caller left, a round numbers its entries itself.
    const auto numbered = [](std::uint32_t sequence, std::uint32_t index) {
        return ProcessListEntry{.sequence = sequence,
                                .index = index,
                                .pid = 7,
                                .startTime = {},
                                .exitTime = {},
                                .name = u"下载器.exe",
                                .path = {}};
    };
    comm_.PostProcessList({});  // an empty round sends nothing
    comm_.PostProcessList(std::vector<ProcessListEntry>(3, numbered(9, 99)));
    EXPECT_TRUE(comm_.PostProcessListEntry(numbered(9, 99)));  // a single entry goes out as given
    const std::pair<std::uint32_t, MonitorFields> expected[] = {
        {cmd::kPostLocalDownReflux, BytesAnswer{11}},
        {cmd::kPostLocalUpReflux, BytesAnswer{22}},
        {cmd::kPostAccelerateDownReflux, BytesAnswer{0x100000033}},
        {cmd::kPostAccelerateUpReflux, BytesAnswer{44}},
        {cmd::kStartResponse, ByteAnswer{0}},
        {cmd::kPostProcessListReflux, numbered(1, 0)},
        {cmd::kPostProcessListReflux, numbered(2, 1)},
        {cmd::kPostProcessListReflux, numbered(2, 2)},
        {cmd::kPostProcessListReflux, numbered(9, 99)}};
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), std::size(expected));
    for (std::size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(std::pair(sent[i].id, sent[i].fields), expected[i]) << i;
    }
}

TEST_F(CommIf, AFullPipeHoldsNobodyUpAndCountsWhatItDrops) {
    const Row dropped{Encode(cmd::kGetLocalDownReflux, NoArgs{}), "GetReflux(0)", {}};
    // A peer that has closed is no full pipe: nothing is counted, and answers still wait.
    comm_.pipe->error = kPipeErrorNoData;
    comm_.PushTotals(1, 2, 3, 4);
    Check(dropped);
    EXPECT_EQ(Waits(), (std::vector<std::uint32_t>{0, 0, 0, 0, CCommIF::kAnswerWaitMs}));
    EXPECT_EQ(comm_.DroppedPushes() + comm_.DroppedAnswers(), 0u);
    // Full: pushes never wait, the first answer waits its bound and nothing waits for the rest of the stall.
    comm_.pipe->error = kPipeErrorWaitTimeout;
    Check(dropped);
    comm_.PushTotals(1, 2, 3, 4);
    comm_.PostStartResult(1);
    Check(dropped);
    // The plugin reads again: the stall ends with the next message taken, and answers wait again.
    comm_.pipe->error = 0;
    Check({dropped.request, dropped.call, PaddedBytesAnswer{1, 0}});
    comm_.pipe->error = kPipeErrorWaitTimeout;
    Check(dropped);
    EXPECT_EQ(Waits(), (std::vector<std::uint32_t>{CCommIF::kAnswerWaitMs, 0, 0, 0, 0, 0, 0, 0,
                                                   CCommIF::kAnswerWaitMs}));
    EXPECT_EQ(comm_.DroppedPushes(), 5u);
    EXPECT_EQ(comm_.DroppedAnswers(), 3u);
}

// Before Init there is no pipe to write to; an Init that finds no server fails.
TEST(CommIfWithoutAPipe, PushesGoNowhereAndInitFailsWithoutAServer) {
    FakeRequests requests;
    CCommIF comm(requests);
    comm.PushTotals(1, 2, 3, 4);
    EXPECT_FALSE(comm.PostProcessListEntry(ProcessListEntry{}));
    EXPECT_EQ(comm.Init(pipe_test::UniquePipeName()), 0u);
}

// Alarm records go out only between SubscribeAlarms 1 and 0; a malformed request changes nothing.
TEST_F(CommIf, AlarmRecordsGoOutOnlyWhileSubscribed) {
    engine::SpeedAlarmRecord record(kFrom);
    record.pid = 7;
    const auto subscribe = [&](const Message& m) {
        comm_.OnRead(m.data(), static_cast<std::uint32_t>(m.size()), 0);
    };
    comm_.PostAlarmRecord(record);
    subscribe(Encode(cmd::kSubscribeAlarms, ByteArgs{1}));
    comm_.PostAlarmRecord(record);
    subscribe(OfSize(cmd::kSubscribeAlarms, 9));
    comm_.PostAlarmRecord(record);
    subscribe(Encode(cmd::kSubscribeAlarms, ByteArgs{0}));
    comm_.PostAlarmRecord(record);
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 2u);
    for (const ParsedMonitorMessage& m : sent) {
        EXPECT_EQ(m.id, cmd::kPostAlarmRecord);
        EXPECT_EQ(m.fields, MonitorFields(AlarmRecordPush{kFrom, 7, 0, 0, 0, 0, 0, u""}));
    }
}

}  // namespace
