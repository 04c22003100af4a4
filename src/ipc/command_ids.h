#pragma once

// Command ids of the plugin protocol. Requests from the plugin are odd; the answer to request n is n + 1,
// except GetProcessUpRefluxBetweenTimeById, which is answered under its own id 67. Pushes are 77 and up,
// plus the unasked start result (2).

#include <cstdint>

namespace ipc::cmd {

// Requests.
inline constexpr std::uint32_t kStart = 1;
inline constexpr std::uint32_t kPauseMonitor = 3;
inline constexpr std::uint32_t kResumeMonitor = 5;
inline constexpr std::uint32_t kStopAlarm = 7;
inline constexpr std::uint32_t kShowBlackListDlg = 9;
inline constexpr std::uint32_t kShowMainDlg = 11;
inline constexpr std::uint32_t kShowSuspensionDlg = 13;
inline constexpr std::uint32_t kSetAccelerateProcess = 15;
inline constexpr std::uint32_t kSetUnclearProcessName = 17;
inline constexpr std::uint32_t kGetLocalDownReflux = 19;
inline constexpr std::uint32_t kGetLocalUpReflux = 21;
inline constexpr std::uint32_t kGetLocalTotalReflux = 23;
inline constexpr std::uint32_t kGetAccelerateDownReflux = 25;
inline constexpr std::uint32_t kGetAccelerateUpReflux = 27;
inline constexpr std::uint32_t kGetAccelerateTotalReflux = 29;
inline constexpr std::uint32_t kUnnamed31 = 31;
inline constexpr std::uint32_t kGetSuspensionDlgState = 33;
inline constexpr std::uint32_t kSetSuspensionDlgState = 35;
inline constexpr std::uint32_t kExitMonitor = 37;
inline constexpr std::uint32_t kGetProcessDownRefluxByProcessName = 39;
inline constexpr std::uint32_t kGetProcessDownRefluxByPId = 41;
inline constexpr std::uint32_t kGetProcessUpRefluxByProcessName = 43;
inline constexpr std::uint32_t kGetProcessUpRefluxByPId = 45;
inline constexpr std::uint32_t kGetProcessStartTimeByProcessName = 47;
inline constexpr std::uint32_t kGetProcessStartTimeByPId = 49;
inline constexpr std::uint32_t kGetProcessExitTimeByProcessName = 51;
inline constexpr std::uint32_t kGetProcessExitTimeByPId = 53;
inline constexpr std::uint32_t kGetProcessTotalTime = 55;
inline constexpr std::uint32_t kGetFirstAccelerateStartTime = 57;
inline constexpr std::uint32_t kGetLastAccelerateExitTime = 59;
inline constexpr std::uint32_t kGetProcessDownRefluxBetweenTimeByName = 61;
inline constexpr std::uint32_t kGetProcessDownRefluxBetweenTimeById = 63;
inline constexpr std::uint32_t kGetProcessUpRefluxBetweenTimeByName = 65;
inline constexpr std::uint32_t kGetProcessUpRefluxBetweenTimeById = 67;
inline constexpr std::uint32_t kGetAlarmState = 69;
inline constexpr std::uint32_t kSetAlarmState = 71;
inline constexpr std::uint32_t kSetAccelerateState = 73;
inline constexpr std::uint32_t kSetAccelerateGameInfo = 75;
// The monitor's own request, beyond the accelerator's: the payload of ports no process was found for.
inline constexpr std::uint32_t kGetUnattributedReflux = 99;
// The monitor's own, no answer: u8 on, 1 asks for PostAlarmRecord from now on, anything else stops it.
// A plugin that never sends it never sees that push.
inline constexpr std::uint32_t kSubscribeAlarms = 101;

// Answers.
inline constexpr std::uint32_t kStartResponse = 2;
inline constexpr std::uint32_t kStopAlarmResponse = 8;
inline constexpr std::uint32_t kSetAccelerateProcessResponse = 16;
inline constexpr std::uint32_t kSetUnclearProcessNameResponse = 18;
inline constexpr std::uint32_t kGetLocalDownRefluxResponse = 20;
inline constexpr std::uint32_t kGetLocalUpRefluxResponse = 22;
inline constexpr std::uint32_t kGetLocalTotalRefluxResponse = 24;
inline constexpr std::uint32_t kGetAccelerateDownRefluxResponse = 26;
inline constexpr std::uint32_t kGetAccelerateUpRefluxResponse = 28;
inline constexpr std::uint32_t kGetAccelerateTotalRefluxResponse = 30;
inline constexpr std::uint32_t kGetSuspensionDlgStateResponse = 34;
inline constexpr std::uint32_t kGetProcessDownRefluxByProcessNameResponse = 40;
inline constexpr std::uint32_t kGetProcessDownRefluxByPIdResponse = 42;
inline constexpr std::uint32_t kGetProcessUpRefluxByProcessNameResponse = 44;
inline constexpr std::uint32_t kGetProcessUpRefluxByPIdResponse = 46;
inline constexpr std::uint32_t kGetProcessStartTimeByProcessNameResponse = 48;
inline constexpr std::uint32_t kGetProcessStartTimeByPIdResponse = 50;
inline constexpr std::uint32_t kGetProcessExitTimeByProcessNameResponse = 52;
inline constexpr std::uint32_t kGetProcessExitTimeByPIdResponse = 54;
inline constexpr std::uint32_t kGetProcessTotalTimeResponse = 56;
inline constexpr std::uint32_t kGetFirstAccelerateStartTimeResponse = 58;
inline constexpr std::uint32_t kGetLastAccelerateExitTimeResponse = 60;
inline constexpr std::uint32_t kGetProcessDownRefluxBetweenTimeByNameResponse = 62;
inline constexpr std::uint32_t kGetProcessDownRefluxBetweenTimeByIdResponse = 64;
inline constexpr std::uint32_t kGetProcessUpRefluxBetweenTimeByNameResponse = 66;
inline constexpr std::uint32_t kGetProcessUpRefluxBetweenTimeByIdResponse = 67;
inline constexpr std::uint32_t kGetAlarmStateResponse = 70;
inline constexpr std::uint32_t kGetUnattributedRefluxResponse = 100;

// Pushes.
inline constexpr std::uint32_t kPostLocalDownReflux = 77;
inline constexpr std::uint32_t kPostLocalUpReflux = 78;
inline constexpr std::uint32_t kPostAccelerateDownReflux = 80;
inline constexpr std::uint32_t kPostAccelerateUpReflux = 81;
inline constexpr std::uint32_t kPostProcessListReflux = 83;
// The monitor's own, only while subscribed (kSubscribeAlarms): one message per record an alarm appends to
// the alarm history, as the alarm is raised. 585 bytes:
//   9  time: SYSTEMTIME, the tick that listed the process
//  25  pid: u32
//  29  machine: u32, 1 when the record carries the machine figures below, else 0 (and they are 0)
//  33  bytesUp: u64, the process's up total
//  41  bytesDown: u64, the process's down total
//  49  nonAcceleratedTotal: u64, the machine's bytes outside the accelerator
//  57  localTotal: u64, all the machine's bytes
//  65  name: fixed text field (520 bytes), as in the process list push
inline constexpr std::uint32_t kPostAlarmRecord = 102;

}  // namespace ipc::cmd
