#include "ipc/request_table.h"

#include <iterator>

#include "ipc/command_ids.h"

namespace ipc {
namespace {

using L = RequestLayout;

// clang-format off
constexpr RequestInfo kRequests[] = {
    {cmd::kStart, "Start", L::kStart, true, nullptr, cmd::kStartResponse},
    {cmd::kPauseMonitor, "PauseMonitor", L::kNone, false, nullptr, 0},
    {cmd::kResumeMonitor, "ResumeMonitor", L::kNone, false, nullptr, 0},
    {cmd::kStopAlarm, "StopAlarm", L::kByte, true, "stop", cmd::kStopAlarmResponse},
    {cmd::kShowBlackListDlg, "ShowBlackListDlg", L::kU32, false, "value", 0},
    {cmd::kShowMainDlg, "ShowMainDlg", L::kNone, false, nullptr, 0},
    {cmd::kShowSuspensionDlg, "ShowSuspensionDlg", L::kByte, false, "value", 0},
    {cmd::kSetAccelerateProcess, "SetAccelerateProcess", L::kNameList, true, nullptr, cmd::kSetAccelerateProcessResponse},
    {cmd::kSetUnclearProcessName, "SetUnclearProcessName", L::kNameList, true, nullptr, cmd::kSetUnclearProcessNameResponse},
    {cmd::kGetLocalDownReflux, "GetLocalDownReflux", L::kNone, false, nullptr, cmd::kGetLocalDownRefluxResponse},
    {cmd::kGetLocalUpReflux, "GetLocalUpReflux", L::kNone, false, nullptr, cmd::kGetLocalUpRefluxResponse},
    {cmd::kGetLocalTotalReflux, "GetLocalTotalReflux", L::kNone, false, nullptr, cmd::kGetLocalTotalRefluxResponse},
    {cmd::kGetAccelerateDownReflux, "GetAccelerateDownReflux", L::kNone, false, nullptr, cmd::kGetAccelerateDownRefluxResponse},
    {cmd::kGetAccelerateUpReflux, "GetAccelerateUpReflux", L::kNone, false, nullptr, cmd::kGetAccelerateUpRefluxResponse},
    {cmd::kGetAccelerateTotalReflux, "GetAccelerateTotalReflux", L::kNone, false, nullptr, cmd::kGetAccelerateTotalRefluxResponse},
    {cmd::kUnnamed31, "(no name)", L::kNone, false, nullptr, 0},
    {cmd::kGetSuspensionDlgState, "GetSuspensionDlgState", L::kNone, false, nullptr, cmd::kGetSuspensionDlgStateResponse},
    {cmd::kSetSuspensionDlgState, "SetSuspensionDlgState", L::kByte, true, "show", 0},
    {cmd::kExitMonitor, "ExitMonitor", L::kNone, false, nullptr, 0},
    {cmd::kGetProcessDownRefluxByProcessName, "GetProcessDownRefluxByProcessName", L::kName, true, nullptr, cmd::kGetProcessDownRefluxByProcessNameResponse},
    {cmd::kGetProcessDownRefluxByPId, "GetProcessDownRefluxByPId", L::kU32, true, "pid", cmd::kGetProcessDownRefluxByPIdResponse},
    {cmd::kGetProcessUpRefluxByProcessName, "GetProcessUpRefluxByProcessName", L::kName, true, nullptr, cmd::kGetProcessUpRefluxByProcessNameResponse},
    {cmd::kGetProcessUpRefluxByPId, "GetProcessUpRefluxByPId", L::kU32, true, "pid", cmd::kGetProcessUpRefluxByPIdResponse},
    {cmd::kGetProcessStartTimeByProcessName, "GetProcessStartTimeByProcessName", L::kName, true, nullptr, cmd::kGetProcessStartTimeByProcessNameResponse},
    {cmd::kGetProcessStartTimeByPId, "GetProcessStartTimeByPId", L::kU32, true, "pid", cmd::kGetProcessStartTimeByPIdResponse},
    {cmd::kGetProcessExitTimeByProcessName, "GetProcessExitTimeByProcessName", L::kName, true, nullptr, cmd::kGetProcessExitTimeByProcessNameResponse},
    {cmd::kGetProcessExitTimeByPId, "GetProcessExitTimeByPId", L::kU32, true, "pid", cmd::kGetProcessExitTimeByPIdResponse},
    {cmd::kGetProcessTotalTime, "GetProcessTotalTime", L::kName, true, nullptr, cmd::kGetProcessTotalTimeResponse},
    {cmd::kGetFirstAccelerateStartTime, "GetFirstAccelerateStartTime", L::kNone, true, nullptr, cmd::kGetFirstAccelerateStartTimeResponse},
    {cmd::kGetLastAccelerateExitTime, "GetLastAccelerateExitTime", L::kNone, true, nullptr, cmd::kGetLastAccelerateExitTimeResponse},
    {cmd::kGetProcessDownRefluxBetweenTimeByName, "GetProcessDownRefluxBetweenTimeByName", L::kNameTimeRange, true, nullptr, cmd::kGetProcessDownRefluxBetweenTimeByNameResponse},
    {cmd::kGetProcessDownRefluxBetweenTimeById, "GetProcessDownRefluxBetweenTimeById", L::kPidTimeRange, true, nullptr, cmd::kGetProcessDownRefluxBetweenTimeByIdResponse},
    {cmd::kGetProcessUpRefluxBetweenTimeByName, "GetProcessUpRefluxBetweenTimeByName", L::kNameTimeRange, true, nullptr, cmd::kGetProcessUpRefluxBetweenTimeByNameResponse},
    {cmd::kGetProcessUpRefluxBetweenTimeById, "GetProcessUpRefluxBetweenTimeById", L::kPidTimeRange, true, nullptr, cmd::kGetProcessUpRefluxBetweenTimeByIdResponse},
    {cmd::kGetAlarmState, "GetAlarmState", L::kNone, true, nullptr, cmd::kGetAlarmStateResponse},
    {cmd::kSetAlarmState, "SetAlarmState", L::kByte, true, "on", 0},
    {cmd::kSetAccelerateState, "SetAccelerateState", L::kU32, true, "state", 0},
    {cmd::kSetAccelerateGameInfo, "SetAccelerateGameInfo", L::kGameInfo, true, nullptr, 0},
    // The monitor's own, after the accelerator's dense range.
    {cmd::kGetUnattributedReflux, "GetUnattributedReflux", L::kNone, false, nullptr, cmd::kGetUnattributedRefluxResponse},
    {cmd::kSubscribeAlarms, "SubscribeAlarms", L::kByte, true, "on", 0},
};
// clang-format on

// The accelerator's requests are the odd ids 1 to 75, in order; the monitor's own follow.
constexpr std::size_t kDenseRows = 38;
constexpr std::size_t kOwnRows = 2;

constexpr bool RowsAreOddIdsInOrder() {
    for (std::size_t i = 0; i < kDenseRows; ++i) {
        if (kRequests[i].id != 2 * i + 1) {
            return false;
        }
    }
    return true;
}
static_assert(std::size(kRequests) == kDenseRows + kOwnRows && RowsAreOddIdsInOrder());

}  // namespace

std::span<const RequestInfo> RequestTable() {
    return kRequests;
}

const RequestInfo* FindRequest(std::uint32_t id) {
    // The dense rows are the odd ids in order, so the row of id n is (n - 1) / 2.
    if (id % 2 == 1 && id <= kRequests[kDenseRows - 1].id) {
        return &kRequests[(id - 1) / 2];
    }
    for (std::size_t i = kDenseRows; i < std::size(kRequests); ++i) {
        if (kRequests[i].id == id) {
            return &kRequests[i];
        }
    }
    return nullptr;
}

std::uint32_t AnswerIdOf(std::uint32_t requestId) {
    const RequestInfo* info = FindRequest(requestId);
    return info != nullptr ? info->answerId : 0;
}

}  // namespace ipc
