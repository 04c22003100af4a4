// The request handlers of CCommIF. A request that failed its layout check is answered with the failure
// value of its answer and asks nothing of the program; requests without an answer are then ignored.

#include <optional>
#include <string>
#include <variant>

#include "ipc/comm_if.h"
#include "ipc/protocol_factories.h"
#include "ipc/request_parser.h"

namespace ipc {
namespace {

// Result of a time query that found nothing (also of a malformed one).
constexpr std::int32_t kTimeNotFound = -1;
constexpr std::uint64_t kNoBytes = static_cast<std::uint64_t>(kNoReflux);

// The decoded body of a well-formed request, null for a malformed one.
template <typename Args>
const Args* BodyOf(const ParsedRequest& request) {
    return request.Ok() ? std::get_if<Args>(&request.args) : nullptr;
}

// The byte counts travel as u64: kNoReflux goes out with all bits set.
std::uint64_t OnWire(std::int64_t bytes) {
    return static_cast<std::uint64_t>(bytes);
}

// The plugin reads the time only when the result is 1.
base::SystemTime TimeIfFound(std::int32_t result, const base::SystemTime& time) {
    return result == 1 ? time : base::SystemTime{};
}

// The names and the separator of a well-formed name list exactly as received.
std::optional<NameListUnits> ReadNameList(Bytes message, const ParsedRequest& request) {
    if (BodyOf<NameListArgs>(request) == nullptr) {
        return std::nullopt;
    }
    return ReadNameListUnits(message);
}

}  // namespace

std::uint32_t CCommIF::OnStart(Bytes, const ParsedRequest& request) {
    // The data is not interpreted; the real start result is pushed by the start-up sequence.
    CStartResponseProtocolFactory answer;
    answer.BuildStartResponse(0);
    Write(answer);
    return request.Ok() ? 1 : 0;
}

std::uint32_t CCommIF::OnPauseMonitor(Bytes, const ParsedRequest&) {
    requests_.PauseMonitor();
    return 1;
}

std::uint32_t CCommIF::OnResumeMonitor(Bytes, const ParsedRequest&) {
    requests_.ResumeMonitor();
    return 1;
}

std::uint32_t CCommIF::OnStopAlarm(Bytes, const ParsedRequest& request) {
    const ByteArgs* body = BodyOf<ByteArgs>(request);
    const std::uint8_t result = body != nullptr ? requests_.StopAlarm(body->value) : 0;
    CStopAlarmResponseProtocolFactory answer;
    answer.BuildStopAlarmResponse(result);
    Write(answer);
    return body != nullptr ? 1 : 0;
}

std::uint32_t CCommIF::OnShowBlackListDlg(Bytes, const ParsedRequest&) {
    requests_.ShowBlackListDlg();
    return 1;
}

std::uint32_t CCommIF::OnShowMainDlg(Bytes, const ParsedRequest&) {
    requests_.ShowMainDlg();
    return 1;
}

std::uint32_t CCommIF::OnShowSuspensionDlg(Bytes, const ParsedRequest&) {
    requests_.ShowSuspensionDlg();
    return 1;
}

std::uint32_t CCommIF::OnSetAccelerateProcess(Bytes message, const ParsedRequest& request) {
    const std::optional<NameListUnits> list = ReadNameList(message, request);
    const std::uint8_t result =
        list ? requests_.SetAccelerateProcess(
                   list->names.data(), static_cast<std::int32_t>(list->names.size()), list->separator.data(),
                   static_cast<std::int32_t>(list->separator.size()))
             : 0;
    CSetAccelerateProcessResponseProtocolFactory answer;
    answer.BuildSetAccelerateProcessResponse(result);
    Write(answer);
    return list ? 1 : 0;
}

std::uint32_t CCommIF::OnSetUnclearProcessName(Bytes message, const ParsedRequest& request) {
    const std::optional<NameListUnits> list = ReadNameList(message, request);
    const std::uint8_t result =
        list ? requests_.SetUnclearProcessName(
                   list->names.data(), static_cast<std::int32_t>(list->names.size()), list->separator.data(),
                   static_cast<std::int32_t>(list->separator.size()))
             : 0;
    CSetUnclearProcessNameResponseProtocolFactory answer;
    answer.BuildSetUnclearProcessNameResponse(result);
    Write(answer);
    return list ? 1 : 0;
}

std::uint32_t CCommIF::OnGetLocalDownReflux(Bytes, const ParsedRequest&) {
    CGetLocalDownRefluxResponseProtocolFactory answer;
    answer.BuildGetLocalDownRefluxResponse(OnWire(requests_.GetReflux(Reflux::kLocalDown)));
    Write(answer);
    return 1;
}

std::uint32_t CCommIF::OnGetLocalUpReflux(Bytes, const ParsedRequest&) {
    CGetLocalUpRefluxResponseProtocolFactory answer;
    answer.BuildGetLocalUpRefluxResponse(OnWire(requests_.GetReflux(Reflux::kLocalUp)));
    Write(answer);
    return 1;
}

std::uint32_t CCommIF::OnGetLocalTotalReflux(Bytes, const ParsedRequest&) {
    CGetLocalTotalRefluxResponseProtocolFactory answer;
    answer.BuildGetLocalTotalRefluxResponse(OnWire(requests_.GetReflux(Reflux::kLocalTotal)));
    Write(answer);
    return 1;
}

std::uint32_t CCommIF::OnGetUnattributedReflux(Bytes, const ParsedRequest&) {
    CGetUnattributedRefluxResponseProtocolFactory answer;
    answer.BuildGetUnattributedRefluxResponse(OnWire(requests_.GetReflux(Reflux::kUnattributed)));
    Write(answer);
    return 1;
}

std::uint32_t CCommIF::OnGetAccelerateDownReflux(Bytes, const ParsedRequest&) {
    CGetAccelerateDownRefluxResponseProtocolFactory answer;
    answer.BuildGetAccelerateDownRefluxResponse(OnWire(requests_.GetReflux(Reflux::kAccelerateDown)));
    Write(answer);
    return 1;
}

std::uint32_t CCommIF::OnGetAccelerateUpReflux(Bytes, const ParsedRequest&) {
    CGetAccelerateUpRefluxResponseProtocolFactory answer;
    answer.BuildGetAccelerateUpRefluxResponse(OnWire(requests_.GetReflux(Reflux::kAccelerateUp)));
    Write(answer);
    return 1;
}

std::uint32_t CCommIF::OnGetAccelerateTotalReflux(Bytes, const ParsedRequest&) {
    CGetAccelerateTotalRefluxResponseProtocolFactory answer;
    answer.BuildGetAccelerateTotalRefluxResponse(OnWire(requests_.GetReflux(Reflux::kAccelerateTotal)));
    Write(answer);
    return 1;
}

std::uint32_t CCommIF::OnUnnamed31(Bytes, const ParsedRequest&) {
    return 1;
}

std::uint32_t CCommIF::OnGetSuspensionDlgState(Bytes, const ParsedRequest&) {
    CGetSuspensionDlgStateResponseProtocolFactory answer;
    answer.BuildGetSuspensionDlgStateResponse(requests_.GetSuspensionDlgState());
    Write(answer);
    return 1;
}

std::uint32_t CCommIF::OnSetSuspensionDlgState(Bytes, const ParsedRequest& request) {
    const ByteArgs* body = BodyOf<ByteArgs>(request);
    if (body == nullptr) {
        return 0;
    }
    requests_.SetSuspensionDlgState(body->value);
    return 1;
}

std::uint32_t CCommIF::OnExitMonitor(Bytes, const ParsedRequest&) {
    requests_.RequestExit();
    return 1;
}

std::uint32_t CCommIF::OnGetProcessDownRefluxByProcessName(Bytes, const ParsedRequest& request) {
    const NameArgs* body = BodyOf<NameArgs>(request);
    CGetProcessDownRefluxByProcessNameResponseProtocolFactory answer;
    answer.BuildGetProcessDownRefluxByProcessNameResponse(
        body != nullptr ? OnWire(requests_.GetProcessRefluxByName(body->name, FlowDirection::kDown))
                        : kNoBytes);
    Write(answer);
    return body != nullptr ? 1 : 0;
}

std::uint32_t CCommIF::OnGetProcessDownRefluxByPId(Bytes, const ParsedRequest& request) {
    const U32Args* body = BodyOf<U32Args>(request);
    CGetProcessDownRefluxByPIdResponseProtocolFactory answer;
    answer.BuildGetProcessDownRefluxByPIdResponse(
        body != nullptr ? OnWire(requests_.GetProcessRefluxByPid(body->value, FlowDirection::kDown))
                        : kNoBytes);
    Write(answer);
    return body != nullptr ? 1 : 0;
}

std::uint32_t CCommIF::OnGetProcessUpRefluxByProcessName(Bytes, const ParsedRequest& request) {
    const NameArgs* body = BodyOf<NameArgs>(request);
    CGetProcessUpRefluxByProcessNameResponseProtocolFactory answer;
    answer.BuildGetProcessUpRefluxByProcessNameResponse(
        body != nullptr ? OnWire(requests_.GetProcessRefluxByName(body->name, FlowDirection::kUp))
                        : kNoBytes);
    Write(answer);
    return body != nullptr ? 1 : 0;
}

std::uint32_t CCommIF::OnGetProcessUpRefluxByPId(Bytes, const ParsedRequest& request) {
    const U32Args* body = BodyOf<U32Args>(request);
    CGetProcessUpRefluxByPIdResponseProtocolFactory answer;
    answer.BuildGetProcessUpRefluxByPIdResponse(
        body != nullptr ? OnWire(requests_.GetProcessRefluxByPid(body->value, FlowDirection::kUp))
                        : kNoBytes);
    Write(answer);
    return body != nullptr ? 1 : 0;
}

std::uint32_t CCommIF::OnGetProcessStartTimeByProcessName(Bytes, const ParsedRequest& request) {
    const NameArgs* body = BodyOf<NameArgs>(request);
    base::SystemTime time;
    const std::int32_t result =
        body != nullptr ? requests_.GetProcessStartTimeByName(body->name, time) : kTimeNotFound;
    CGetProcessStartTimeByProcessNameResponseProtocolFactory answer;
    answer.BuildGetProcessStartTimeByProcessNameResponse(result, TimeIfFound(result, time));
    Write(answer);
    return body != nullptr ? 1 : 0;
}

std::uint32_t CCommIF::OnGetProcessStartTimeByPId(Bytes, const ParsedRequest& request) {
    const U32Args* body = BodyOf<U32Args>(request);
    base::SystemTime time;
    const std::int32_t result =
        body != nullptr ? requests_.GetProcessStartTimeByPid(body->value, time) : kTimeNotFound;
    CGetProcessStartTimeByPIdResponseProtocolFactory answer;
    answer.BuildGetProcessStartTimeByPIdResponse(result, TimeIfFound(result, time));
    Write(answer);
    return body != nullptr ? 1 : 0;
}

std::uint32_t CCommIF::OnGetProcessExitTimeByProcessName(Bytes, const ParsedRequest& request) {
    const NameArgs* body = BodyOf<NameArgs>(request);
    base::SystemTime time;
    const std::int32_t result =
        body != nullptr ? requests_.GetProcessExitTimeByName(body->name, time) : kTimeNotFound;
    CGetProcessExitTimeByProcessNameResponseProtocolFactory answer;
    answer.BuildGetProcessExitTimeByProcessNameResponse(result, TimeIfFound(result, time));
    Write(answer);
    return body != nullptr ? 1 : 0;
}

std::uint32_t CCommIF::OnGetProcessExitTimeByPId(Bytes, const ParsedRequest& request) {
    const U32Args* body = BodyOf<U32Args>(request);
    base::SystemTime time;
    const std::int32_t result =
        body != nullptr ? requests_.GetProcessExitTimeByPid(body->value, time) : kTimeNotFound;
    CGetProcessExitTimeByPIdResponseProtocolFactory answer;
    answer.BuildGetProcessExitTimeByPIdResponse(result, TimeIfFound(result, time));
    Write(answer);
    return body != nullptr ? 1 : 0;
}

std::uint32_t CCommIF::OnGetProcessTotalTime(Bytes, const ParsedRequest& request) {
    const NameArgs* body = BodyOf<NameArgs>(request);
    CGetProcessTotalTimeResponseProtocolFactory answer;
    answer.BuildGetProcessTotalTimeResponse(body != nullptr ? requests_.GetProcessTotalTime(body->name) : 0);
    Write(answer);
    return body != nullptr ? 1 : 0;
}

std::uint32_t CCommIF::OnGetFirstAccelerateStartTime(Bytes, const ParsedRequest& request) {
    const NoArgs* body = BodyOf<NoArgs>(request);
    base::SystemTime time;
    const std::int32_t result = body != nullptr ? requests_.GetFirstAccelerateStartTime(time) : kTimeNotFound;
    CGetFirstAccelerateStartTimeResponseProtocolFactory answer;
    answer.BuildGetFirstAccelerateStartTimeResponse(result, TimeIfFound(result, time));
    Write(answer);
    return body != nullptr ? 1 : 0;
}

std::uint32_t CCommIF::OnGetLastAccelerateExitTime(Bytes, const ParsedRequest& request) {
    const NoArgs* body = BodyOf<NoArgs>(request);
    base::SystemTime time;
    const std::int32_t result = body != nullptr ? requests_.GetLastAccelerateExitTime(time) : kTimeNotFound;
    CGetLastAccelerateExitTimeResponseProtocolFactory answer;
    answer.BuildGetLastAccelerateExitTimeResponse(result, TimeIfFound(result, time));
    Write(answer);
    return body != nullptr ? 1 : 0;
}

std::uint32_t CCommIF::OnGetProcessDownRefluxBetweenTimeByName(Bytes, const ParsedRequest& request) {
    const NameTimeRangeArgs* body = BodyOf<NameTimeRangeArgs>(request);
    CGetProcessDownRefluxBetweenTimeByNameResponseProtocolFactory answer;
    answer.BuildGetProcessDownRefluxBetweenTimeByNameResponse(
        body != nullptr ? OnWire(requests_.GetRefluxBetweenTimeByName(body->name, body->from, body->to,
                                                                      FlowDirection::kDown))
                        : kNoBytes);
    Write(answer);
    return body != nullptr ? 1 : 0;
}

std::uint32_t CCommIF::OnGetProcessDownRefluxBetweenTimeById(Bytes, const ParsedRequest& request) {
    const PidTimeRangeArgs* body = BodyOf<PidTimeRangeArgs>(request);
    CGetProcessDownRefluxBetweenTimeByIdResponseProtocolFactory answer;
    answer.BuildGetProcessDownRefluxBetweenTimeByIdResponse(
        body != nullptr ? OnWire(requests_.GetRefluxBetweenTimeById(body->pid, body->from, body->to,
                                                                    FlowDirection::kDown))
                        : kNoBytes);
    Write(answer);
    return body != nullptr ? 1 : 0;
}

std::uint32_t CCommIF::OnGetProcessUpRefluxBetweenTimeByName(Bytes, const ParsedRequest& request) {
    const NameTimeRangeArgs* body = BodyOf<NameTimeRangeArgs>(request);
    CGetProcessUpRefluxBetweenTimeByNameResponseProtocolFactory answer;
    answer.BuildGetProcessUpRefluxBetweenTimeByNameResponse(
        body != nullptr ? OnWire(requests_.GetRefluxBetweenTimeByName(body->name, body->from, body->to,
                                                                      FlowDirection::kUp))
                        : kNoBytes);
    Write(answer);
    return body != nullptr ? 1 : 0;
}

std::uint32_t CCommIF::OnGetProcessUpRefluxBetweenTimeById(Bytes, const ParsedRequest& request) {
    const PidTimeRangeArgs* body = BodyOf<PidTimeRangeArgs>(request);
    // The plugin expects this answer under the request's own id 67; the builder writes it so.
    CGetProcessUpRefluxBetweenTimeByIdResponseProtocolFactory answer;
    answer.BuildGetProcessUpRefluxBetweenTimeByIdResponse(
        body != nullptr
            ? OnWire(requests_.GetRefluxBetweenTimeById(body->pid, body->from, body->to, FlowDirection::kUp))
            : kNoBytes);
    Write(answer);
    return body != nullptr ? 1 : 0;
}

std::uint32_t CCommIF::OnGetAlarmState(Bytes, const ParsedRequest& request) {
    const NoArgs* body = BodyOf<NoArgs>(request);
    CGetAlarmStateResponseProtocolFactory answer;
    answer.BuildGetAlarmStateResponse(body != nullptr ? requests_.GetAlarmState() : 0);
    Write(answer);
    return body != nullptr ? 1 : 0;
}

std::uint32_t CCommIF::OnSetAlarmState(Bytes, const ParsedRequest& request) {
    const ByteArgs* body = BodyOf<ByteArgs>(request);
    if (body == nullptr) {
        return 0;
    }
    requests_.SetAlarmState(body->value);
    return 1;
}

std::uint32_t CCommIF::OnSubscribeAlarms(Bytes, const ParsedRequest& request) {
    const ByteArgs* body = BodyOf<ByteArgs>(request);
    if (body == nullptr) {
        return 0;
    }
    alarmsSubscribed_.store(body->value == 1, std::memory_order_relaxed);
    return 1;
}

std::uint32_t CCommIF::OnSetAccelerateState(Bytes, const ParsedRequest& request) {
    const U32Args* body = BodyOf<U32Args>(request);
    if (body == nullptr) {
        return 0;
    }
    requests_.SetAccelerateState(body->value);
    return 1;
}

std::uint32_t CCommIF::OnSetAccelerateGameInfo(Bytes, const ParsedRequest& request) {
    const GameInfoArgs* body = BodyOf<GameInfoArgs>(request);
    if (body == nullptr) {
        return 0;
    }
    requests_.SetAccelerateGameInfo(body->gameId, body->name, body->info);
    return 1;
}

}  // namespace ipc
