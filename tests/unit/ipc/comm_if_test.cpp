#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "ipc/command_ids.h"
#include "ipc/message_header.h"
#include "ipc/request_table.h"
#include "unit/ipc/comm_if_test_util.h"

namespace {

using namespace ipc;
using comm_if_test::Answers;
using comm_if_test::CommIfOnPipe;
using comm_if_test::Encode;
using comm_if_test::Exchanged;
using comm_if_test::FakeRequests;
using comm_if_test::kWhen;
using comm_if_test::Message;
using comm_if_test::OfSize;
using ipc_test::Poke;
using ipc_test::Resized;

const base::SystemTime kFrom{2024, 5, 3, 1, 12, 0, 0, 0};
const base::SystemTime kTo{2024, 5, 3, 1, 13, 0, 0, 0};
const base::SystemTime kNoTime{};
constexpr std::uint64_t kAllBits = ~std::uint64_t{0};

struct Answer {
    std::uint32_t id;
    MonitorFields fields;
};

struct Row {
    const char* what;  // null: the request's name and size
    Message request;
    std::vector<std::string> calls;
    std::vector<Answer> answers;
};

// A row of a request that makes `call` (none when empty) and is answered once, under its answer id.
Row Answered(Message request, std::string call, MonitorFields fields) {
    const std::uint32_t id = AnswerIdOf(ReadHeader(request)->commandId);
    std::vector<std::string> calls;
    if (!call.empty()) {
        calls.push_back(std::move(call));
    }
    return {nullptr, std::move(request), std::move(calls), {{id, std::move(fields)}}};
}

// A malformed request: nothing is asked, and the answer is the failure value.
Row Refused(Message request, MonitorFields failure) {
    return Answered(std::move(request), "", std::move(failure));
}

// A request that makes its one call and gets no answer.
Row Told(Message request, std::string call) {
    return {nullptr, std::move(request), {std::move(call)}, {}};
}

std::string Describe(const Row& row) {
    if (row.what != nullptr) {
        return row.what;
    }
    const auto header = ReadHeader(row.request);
    const RequestInfo* info = header ? FindRequest(header->commandId) : nullptr;
    return std::string(info != nullptr ? info->name : "?") + " of " + std::to_string(row.request.size()) +
           " bytes";
}

BytesAnswer Bytes64(std::int64_t value) {
    return BytesAnswer{static_cast<std::uint64_t>(value)};
}

// The message with `by` more (fewer) bytes and a length field that says so.
Message Longer(const Message& m, std::size_t by) {
    return Resized(m, m.size() + by);
}

Message Shorter(const Message& m, std::size_t by) {
    return Resized(m, m.size() - by);
}

// The message cut or padded to `size` bytes, its length field saying `lengthField`.
Message WithLengthField(Message m, std::size_t size, std::uint32_t lengthField) {
    m.resize(size, 0);
    Poke(m, 0, lengthField, 4);
    return m;
}

// The fake reports kWhen with every result; the plugin gets it only with result 1.
TimeAnswer Reported(std::int32_t result) {
    return TimeAnswer{result, result == 1 ? kWhen : kNoTime};
}

void CheckAnswers(const Row& row, const Exchanged& got) {
    ASSERT_EQ(got.sent.size(), row.answers.size());
    for (std::size_t i = 0; i < row.answers.size(); ++i) {
        ASSERT_TRUE(got.sent[i].Ok()) << ParseStatusName(got.sent[i].status);
        EXPECT_EQ(got.sent[i].id, row.answers[i].id);
        EXPECT_TRUE(got.sent[i].fields == row.answers[i].fields) << got.sentText[i];
    }
}

void CheckExchange(const Row& row, const Exchanged& got) {
    SCOPED_TRACE(Describe(row));
    EXPECT_EQ(got.calls, row.calls);
    CheckAnswers(row, got);
}

// Well-formed requests, answered from the fake's working values.
std::vector<Row> WellFormedRows(const Answers& a) {
    const std::u16string listWithNuls(u"game.exe\0;\0", 11);
    const NameArgs game{u"Game.exe"};
    return {
        Answered(Encode(cmd::kStart, StartArgs{{1, 2, 3, 4}}), "", ByteAnswer{0}),
        Told(Encode(cmd::kPauseMonitor, NoArgs{}), "PauseMonitor"),
        Told(Encode(cmd::kResumeMonitor, NoArgs{}), "ResumeMonitor"),
        Answered(Encode(cmd::kStopAlarm, ByteArgs{1}), "StopAlarm(1)", ByteAnswer{a.stopAlarm}),
        Answered(Encode(cmd::kStopAlarm, ByteArgs{0}), "StopAlarm(0)", ByteAnswer{a.stopAlarm}),
        Told(Encode(cmd::kShowBlackListDlg, U32Args{7}), "ShowBlackListDlg"),
        Told(Encode(cmd::kShowMainDlg, NoArgs{}), "ShowMainDlg"),
        Told(OfSize(cmd::kShowMainDlg, 13), "ShowMainDlg"),  // with bytes it does not read
        Told(Encode(cmd::kShowSuspensionDlg, ByteArgs{0}), "ShowSuspensionDlg"),
        Answered(Encode(cmd::kSetAccelerateProcess, NameListArgs{u"game.exe|helper.exe", u"|"}),
                 R"(SetAccelerateProcess("game.exe|helper.exe", 19, "|", 1))",
                 ByteAnswer{a.setAccelerateProcess}),
        // Every received unit is kept.
        Answered(Encode(cmd::kSetAccelerateProcess, NameListArgs{listWithNuls, std::u16string(u";\0", 2)}),
                 R"(SetAccelerateProcess("game.exe\0;\0", 11, ";\0", 2))",
                 ByteAnswer{a.setAccelerateProcess}),
        Answered(Encode(cmd::kSetUnclearProcessName, NameListArgs{u"侠义道;x.exe", u";"}),
                 R"(SetUnclearProcessName("侠义道;x.exe", 9, ";", 1))",
                 ByteReservedAnswer{a.setUnclearProcessName, 0}),
        Answered(Encode(cmd::kGetLocalDownReflux, NoArgs{}), "GetReflux(LocalDown)",
                 PaddedBytesAnswer{static_cast<std::uint64_t>(a.localDown), 0}),
        Answered(Encode(cmd::kGetLocalUpReflux, NoArgs{}), "GetReflux(LocalUp)", Bytes64(a.localUp)),
        Answered(Encode(cmd::kGetLocalTotalReflux, NoArgs{}), "GetReflux(LocalTotal)", Bytes64(a.localTotal)),
        Answered(Encode(cmd::kGetAccelerateDownReflux, NoArgs{}), "GetReflux(AccelerateDown)",
                 Bytes64(a.accelerateDown)),
        Answered(Encode(cmd::kGetAccelerateUpReflux, NoArgs{}), "GetReflux(AccelerateUp)",
                 Bytes64(a.accelerateUp)),
        Answered(Encode(cmd::kGetAccelerateTotalReflux, NoArgs{}), "GetReflux(AccelerateTotal)",
                 Bytes64(a.accelerateTotal)),
        {"31", Encode(cmd::kUnnamed31, NoArgs{}), {}, {}},
        Answered(Encode(cmd::kGetUnattributedReflux, NoArgs{}), "GetReflux(Unattributed)",
                 Bytes64(a.unattributed)),
        Answered(Encode(cmd::kGetSuspensionDlgState, NoArgs{}), "GetSuspensionDlgState",
                 ByteAnswer{a.suspensionDlgState}),
        Told(Encode(cmd::kSetSuspensionDlgState, ByteArgs{1}), "SetSuspensionDlgState(1)"),
        Told(Encode(cmd::kSetSuspensionDlgState, ByteArgs{0}), "SetSuspensionDlgState(0)"),
        Told(Encode(cmd::kExitMonitor, NoArgs{}), "RequestExit"),
        Answered(Encode(cmd::kGetProcessDownRefluxByProcessName, game),
                 R"(GetProcessRefluxByName("Game.exe", down))", Bytes64(a.byNameDown)),
        Answered(Encode(cmd::kGetProcessDownRefluxByPId, U32Args{4242}), "GetProcessRefluxByPid(4242, down)",
                 Bytes64(a.byPidDown)),
        Answered(Encode(cmd::kGetProcessUpRefluxByProcessName, game),
                 R"(GetProcessRefluxByName("Game.exe", up))", Bytes64(a.byNameUp)),
        Answered(Encode(cmd::kGetProcessUpRefluxByPId, U32Args{0xFFFFFFFE}),
                 "GetProcessRefluxByPid(4294967294, up)", Bytes64(a.byPidUp)),
        Answered(Encode(cmd::kGetProcessStartTimeByProcessName, game),
                 R"(GetProcessStartTimeByName("Game.exe"))", Reported(a.startByName)),
        Answered(Encode(cmd::kGetProcessStartTimeByPId, U32Args{4242}), "GetProcessStartTimeByPid(4242)",
                 Reported(a.startByPid)),
        Answered(Encode(cmd::kGetProcessExitTimeByProcessName, game),
                 R"(GetProcessExitTimeByName("Game.exe"))", Reported(a.exitByName)),
        Answered(Encode(cmd::kGetProcessExitTimeByPId, U32Args{4242}), "GetProcessExitTimeByPid(4242)",
                 Reported(a.exitByPid)),
        Answered(Encode(cmd::kGetProcessTotalTime, game), R"(GetProcessTotalTime("Game.exe"))",
                 SecondsAnswer{a.totalTime}),
        Answered(Encode(cmd::kGetFirstAccelerateStartTime, NoArgs{}), "GetFirstAccelerateStartTime",
                 Reported(a.firstAccelerateStart)),
        Answered(Encode(cmd::kGetLastAccelerateExitTime, NoArgs{}), "GetLastAccelerateExitTime",
                 Reported(a.lastAccelerateExit)),
        Answered(
            Encode(cmd::kGetProcessDownRefluxBetweenTimeByName, NameTimeRangeArgs{u"Game.exe", kFrom, kTo}),
            R"(GetRefluxBetweenTimeByName("Game.exe", 2024-05-01 12:00:00, 2024-05-01 13:00:00, down))",
            Bytes64(a.betweenByNameDown)),
        Answered(Encode(cmd::kGetProcessDownRefluxBetweenTimeById, PidTimeRangeArgs{4242, kFrom, kTo}),
                 "GetRefluxBetweenTimeById(4242, 2024-05-01 12:00:00, 2024-05-01 13:00:00, down)",
                 Bytes64(a.betweenByIdDown)),
        Answered(
            Encode(cmd::kGetProcessUpRefluxBetweenTimeByName, NameTimeRangeArgs{u"Game.exe", kTo, kFrom}),
            R"(GetRefluxBetweenTimeByName("Game.exe", 2024-05-01 13:00:00, 2024-05-01 12:00:00, up))",
            Bytes64(a.betweenByNameUp)),
        {"GetProcessUpRefluxBetweenTimeById is answered under its own id 67",
         Encode(cmd::kGetProcessUpRefluxBetweenTimeById, PidTimeRangeArgs{4242, kFrom, kTo}),
         {"GetRefluxBetweenTimeById(4242, 2024-05-01 12:00:00, 2024-05-01 13:00:00, up)"},
         {{67, Bytes64(a.betweenByIdUp)}}},
        Answered(Encode(cmd::kGetAlarmState, NoArgs{}), "GetAlarmState", ByteAnswer{a.alarmState}),
        Told(Encode(cmd::kSetAlarmState, ByteArgs{0}), "SetAlarmState(0)"),
        Told(Encode(cmd::kSetAlarmState, ByteArgs{1}), "SetAlarmState(1)"),
        Told(Encode(cmd::kSetAccelerateState, U32Args{3}), "SetAccelerateState(3)"),
        Told(Encode(cmd::kSetAccelerateGameInfo, GameInfoArgs{1024, u"某游戏", u"info text"}),
             R"(SetAccelerateGameInfo(1024, "某游戏", "info text"))"),
    };
}

TEST(CommIfTable, EveryRequestIdHasAWellFormedRow) {
    std::set<std::uint32_t> covered;
    for (const Row& row : WellFormedRows(Answers{})) {
        covered.insert(ReadHeader(row.request)->commandId);
    }
    for (const RequestInfo& info : RequestTable()) {
        EXPECT_TRUE(covered.count(info.id)) << info.name;
    }
}

TEST_F(CommIfOnPipe, EachRequestMakesItsCallAndGetsItsAnswer) {
    const Answers answers;
    requests_.SetAnswers(answers);
    for (const Row& row : WellFormedRows(answers)) {
        CheckExchange(row, Exchange(row.request));
    }
}

TEST_F(CommIfOnPipe, WithoutAServiceTheProgramsFailureValuesGoOutOnTheWire) {
    const Answers answers = Answers::NoService();
    requests_.SetAnswers(answers);
    for (const Row& row : WellFormedRows(answers)) {
        SCOPED_TRACE(row.what);
        CheckAnswers(row, Exchange(row.request));
    }
    // The -1 of a byte count travels with all bits set.
    EXPECT_EQ(
        std::get<BytesAnswer>(Exchange(Encode(cmd::kGetLocalUpReflux, NoArgs{})).sent.at(0).fields).bytes,
        kAllBits);
}

// One row per request that reads its fields; the length rules themselves are the parser's tests.
TEST_F(CommIfOnPipe, MalformedRequestsGetTheFailureValueAndAskNothing) {
    Message nameListTooLong = Encode(cmd::kSetUnclearProcessName, NameListArgs{u"a.exe", u";"});
    Poke(nameListTooLong, 9, 100, 4);
    const BytesAnswer noBytes{kAllBits};
    const TimeAnswer noTime{-1, kNoTime};
    const Row rows[] = {
        Refused(OfSize(cmd::kStart, 12), ByteAnswer{0}),
        Refused(OfSize(cmd::kStopAlarm, 9), ByteAnswer{0}),
        Refused(Longer(Encode(cmd::kSetAccelerateProcess, NameListArgs{u"game.exe", u";"}), 1),
                ByteAnswer{0}),
        Refused(nameListTooLong, ByteReservedAnswer{0, 0}),
        {nullptr, OfSize(cmd::kSetSuspensionDlgState, 9), {}, {}},
        Refused(Longer(Encode(cmd::kGetProcessDownRefluxByProcessName, NameArgs{u"Game.exe"}), 2), noBytes),
        Refused(OfSize(cmd::kGetProcessDownRefluxByPId, 12), noBytes),
        Refused(Encode(cmd::kGetProcessUpRefluxByProcessName, NameArgs{u"ab"}), noBytes),
        Refused(OfSize(cmd::kGetProcessUpRefluxByPId, 14), noBytes),
        Refused(OfSize(cmd::kGetProcessStartTimeByProcessName, 12), noTime),
        Refused(OfSize(cmd::kGetProcessStartTimeByPId, 9), noTime),
        Refused(Shorter(Encode(cmd::kGetProcessExitTimeByProcessName, NameArgs{u"Game.exe"}), 1), noTime),
        Refused(OfSize(cmd::kGetProcessExitTimeByPId, 12), noTime),
        Refused(OfSize(cmd::kGetProcessTotalTime, 9), SecondsAnswer{0}),
        Refused(OfSize(cmd::kGetFirstAccelerateStartTime, 10), noTime),
        Refused(OfSize(cmd::kGetLastAccelerateExitTime, 10), noTime),
        Refused(Shorter(Encode(cmd::kGetProcessDownRefluxBetweenTimeByName,
                               NameTimeRangeArgs{u"Game.exe", kFrom, kTo}),
                        1),
                noBytes),
        Refused(OfSize(cmd::kGetProcessDownRefluxBetweenTimeById, 44), noBytes),
        Refused(OfSize(cmd::kGetProcessUpRefluxBetweenTimeByName, 44), noBytes),
        {"GetProcessUpRefluxBetweenTimeById of 46 bytes, still answered as 67",
         OfSize(cmd::kGetProcessUpRefluxBetweenTimeById, 46),
         {},
         {{67, noBytes}}},
        Refused(OfSize(cmd::kGetAlarmState, 10), ByteAnswer{0}),
        {nullptr, OfSize(cmd::kSetAlarmState, 9), {}, {}},
        {nullptr, OfSize(cmd::kSetAccelerateState, 12), {}, {}},
        {nullptr, OfSize(cmd::kSetAccelerateGameInfo, 25), {}, {}},
    };
    for (const Row& row : rows) {
        CheckExchange(row, Exchange(row.request));
    }
}

TEST_F(CommIfOnPipe, MessagesThatAreNotWholeOrNotRequestsAreIgnored) {
    const Message stop = Encode(cmd::kStopAlarm, ByteArgs{1});
    const Message pid = Encode(cmd::kGetProcessDownRefluxByPId, U32Args{4242});
    const Row rows[] = {
        {"length field 11 on 10 bytes", WithLengthField(stop, 10, 11), {}, {}},
        {"length field 13 on 17 bytes", WithLengthField(pid, 17, 13), {}, {}},
        {"shorter than a header", Message{5, 0, 0, 0, 7}, {}, {}},
        {"the id of an answer", Encode(cmd::kStopAlarmResponse, ByteArgs{1}), {}, {}},
        {"the id of a push", Encode(cmd::kPostLocalDownReflux, NoArgs{}), {}, {}},
        {"79, of the same set but never handled", Encode(79, NoArgs{}), {}, {}},
        {"an odd id far out", Encode(0xFFFFFFFF, NoArgs{}), {}, {}},
    };
    for (const Row& row : rows) {
        CheckExchange(row, Exchange(row.request));
    }
}

TEST(CommIfOnRead, DropsWhatIsNotOneWholeMessageAndDispatchesTheRest) {
    struct Case {
        const char* what;
        Message message;
        std::uint32_t result;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"PauseMonitor", Encode(cmd::kPauseMonitor, NoArgs{}), 1, {"PauseMonitor"}},
        {"length field 10 on 9 bytes", WithLengthField(Encode(cmd::kPauseMonitor, NoArgs{}), 9, 10), 0, {}},
        {"4 bytes", Message{4, 0, 0, 0}, 0, {}},
        {"nothing", Message{}, 0, {}},
        {"unknown id, well framed", Encode(2, NoArgs{}), 1, {}},
        {"malformed StopAlarm, well framed", OfSize(cmd::kStopAlarm, 9), 1, {}},
        {"SetAccelerateState", Encode(cmd::kSetAccelerateState, U32Args{1}), 1, {"SetAccelerateState(1)"}},
    };
    FakeRequests requests;
    // No pipe: the answers go nowhere, the calls are made all the same.
    ipc::CCommIF comm(requests);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(comm.OnRead(c.message.data(), static_cast<std::uint32_t>(c.message.size()), 0), c.result);
        EXPECT_EQ(requests.TakeCalls(), c.calls);
    }
    EXPECT_EQ(comm.OnRead(nullptr, 9, 0), 0u);
}

}  // namespace
