#pragma once

// The typed builders: one class per message, each able to build only that message, through its Build
// operation of the same name. The comment gives the message id.

#include <cstdint>

#include "base/system_time.h"
#include "engine/process_list_entry.h"
#include "engine/speed_alarm.h"
#include "ipc/protocol_factory.h"

namespace ipc {

class CStartResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 2, also sent unasked at start-up.
    int BuildStartResponse(std::uint8_t result);
};

class CStopAlarmResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 8.
    int BuildStopAlarmResponse(std::uint8_t result);
};

class CSetAccelerateProcessResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 16.
    int BuildSetAccelerateProcessResponse(std::uint8_t result);
};

class CSetUnclearProcessNameResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 18, then a reserved zero byte.
    int BuildSetUnclearProcessNameResponse(std::uint8_t result);
};

class CGetLocalDownRefluxResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 20, then 8 reserved zero bytes.
    int BuildGetLocalDownRefluxResponse(std::uint64_t bytes);
};

class CGetLocalUpRefluxResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 22.
    int BuildGetLocalUpRefluxResponse(std::uint64_t bytes);
};

class CGetLocalTotalRefluxResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 24.
    int BuildGetLocalTotalRefluxResponse(std::uint64_t bytes);
};

class CGetAccelerateDownRefluxResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 26.
    int BuildGetAccelerateDownRefluxResponse(std::uint64_t bytes);
};

class CGetAccelerateUpRefluxResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 28.
    int BuildGetAccelerateUpRefluxResponse(std::uint64_t bytes);
};

class CGetAccelerateTotalRefluxResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 30.
    int BuildGetAccelerateTotalRefluxResponse(std::uint64_t bytes);
};

class CGetSuspensionDlgStateResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 34.
    int BuildGetSuspensionDlgStateResponse(std::uint8_t state);
};

class CGetProcessDownRefluxByProcessNameResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 40.
    int BuildGetProcessDownRefluxByProcessNameResponse(std::uint64_t bytes);
};

class CGetProcessDownRefluxByPIdResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 42.
    int BuildGetProcessDownRefluxByPIdResponse(std::uint64_t bytes);
};

class CGetProcessUpRefluxByProcessNameResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 44.
    int BuildGetProcessUpRefluxByProcessNameResponse(std::uint64_t bytes);
};

class CGetProcessUpRefluxByPIdResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 46.
    int BuildGetProcessUpRefluxByPIdResponse(std::uint64_t bytes);
};

class CGetProcessStartTimeByProcessNameResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 48.
    int BuildGetProcessStartTimeByProcessNameResponse(std::int32_t result, const base::SystemTime& time);
};

class CGetProcessStartTimeByPIdResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 50.
    int BuildGetProcessStartTimeByPIdResponse(std::int32_t result, const base::SystemTime& time);
};

class CGetProcessExitTimeByProcessNameResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 52.
    int BuildGetProcessExitTimeByProcessNameResponse(std::int32_t result, const base::SystemTime& time);
};

class CGetProcessExitTimeByPIdResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 54.
    int BuildGetProcessExitTimeByPIdResponse(std::int32_t result, const base::SystemTime& time);
};

class CGetProcessTotalTimeResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 56.
    int BuildGetProcessTotalTimeResponse(std::uint32_t seconds);
};

class CGetFirstAccelerateStartTimeResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 58.
    int BuildGetFirstAccelerateStartTimeResponse(std::int32_t result, const base::SystemTime& time);
};

class CGetLastAccelerateExitTimeResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 60.
    int BuildGetLastAccelerateExitTimeResponse(std::int32_t result, const base::SystemTime& time);
};

class CGetProcessDownRefluxBetweenTimeByNameResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 62.
    int BuildGetProcessDownRefluxBetweenTimeByNameResponse(std::uint64_t bytes);
};

class CGetProcessDownRefluxBetweenTimeByIdResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 64.
    int BuildGetProcessDownRefluxBetweenTimeByIdResponse(std::uint64_t bytes);
};

class CGetProcessUpRefluxBetweenTimeByNameResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 66.
    int BuildGetProcessUpRefluxBetweenTimeByNameResponse(std::uint64_t bytes);
};

class CGetProcessUpRefluxBetweenTimeByIdResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 67, the request's own id.
    int BuildGetProcessUpRefluxBetweenTimeByIdResponse(std::uint64_t bytes);
};

class CGetAlarmStateResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 70.
    int BuildGetAlarmStateResponse(std::uint8_t state);
};

class CGetUnattributedRefluxResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 100.
    int BuildGetUnattributedRefluxResponse(std::uint64_t bytes);
};

class CPostLocalDownRefluxProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 77.
    int BuildPostLocalDownReflux(std::uint64_t bytes);
};

class CPostLocalUpRefluxProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 78.
    int BuildPostLocalUpReflux(std::uint64_t bytes);
};

class CPostAccelerateDownRefluxProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 80.
    int BuildPostAccelerateDownReflux(std::uint64_t bytes);
};

class CPostAccelerateUpRefluxProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 81.
    int BuildPostAccelerateUpReflux(std::uint64_t bytes);
};

class CPostProcessListRefluxProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 83. The reserved word is always 0xFFFFFFFF, whatever entry.reserved holds.
    int BuildPostProcessListReflux(const engine::ProcessListEntry& entry);
};

class CPostAlarmRecordProtocolFactory : public CKvtComProtocolFactory {
  public:
    // 102. The machine flag is 1 when the record carries the machine figures: the tick writes them only
    // with a local total above 0, and leaves them 0 on every other record.
    int BuildPostAlarmRecord(const engine::SpeedAlarmRecord& record);
};

}  // namespace ipc
