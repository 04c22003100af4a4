#include "ipc/protocol_factories.h"

#include "ipc/command_ids.h"
#include "ipc/wire_format.h"
#include "ipc/wire_writer.h"

namespace ipc {
namespace {

// Body sizes after the header, of the layouts only one message has.
constexpr std::uint32_t kByteReservedBody = 2;
constexpr std::uint32_t kPaddedBytesBody = 16;
constexpr std::uint32_t kSecondsBody = 4;
constexpr std::uint32_t kProcessListBody = 6 * 4 + 2 * 8 + 2 * kSystemTimeSize + 2 * kFixedTextSize;
static_assert(kHeaderSize + kProcessListBody == 1121);
constexpr std::uint32_t kAlarmRecordBody = kSystemTimeSize + 2 * 4 + 4 * 8 + kFixedTextSize;
static_assert(kHeaderSize + kAlarmRecordBody == 585);

}  // namespace

int CStartResponseProtocolFactory::BuildStartResponse(std::uint8_t result) {
    return BuildByte(cmd::kStartResponse, result);
}

int CStopAlarmResponseProtocolFactory::BuildStopAlarmResponse(std::uint8_t result) {
    return BuildByte(cmd::kStopAlarmResponse, result);
}

int CSetAccelerateProcessResponseProtocolFactory::BuildSetAccelerateProcessResponse(std::uint8_t result) {
    return BuildByte(cmd::kSetAccelerateProcessResponse, result);
}

int CSetUnclearProcessNameResponseProtocolFactory::BuildSetUnclearProcessNameResponse(std::uint8_t result) {
    return Build(cmd::kSetUnclearProcessNameResponse, kByteReservedBody, [&](WireWriter& w) {
        w.PutU8(result);
        w.PutZeros(1);
    });
}

int CGetLocalDownRefluxResponseProtocolFactory::BuildGetLocalDownRefluxResponse(std::uint64_t bytes) {
    return Build(cmd::kGetLocalDownRefluxResponse, kPaddedBytesBody, [&](WireWriter& w) {
        w.PutU64(bytes);
        w.PutZeros(8);
    });
}

int CGetLocalUpRefluxResponseProtocolFactory::BuildGetLocalUpRefluxResponse(std::uint64_t bytes) {
    return BuildBytes(cmd::kGetLocalUpRefluxResponse, bytes);
}

int CGetLocalTotalRefluxResponseProtocolFactory::BuildGetLocalTotalRefluxResponse(std::uint64_t bytes) {
    return BuildBytes(cmd::kGetLocalTotalRefluxResponse, bytes);
}

int CGetAccelerateDownRefluxResponseProtocolFactory::BuildGetAccelerateDownRefluxResponse(
    std::uint64_t bytes) {
    return BuildBytes(cmd::kGetAccelerateDownRefluxResponse, bytes);
}

int CGetAccelerateUpRefluxResponseProtocolFactory::BuildGetAccelerateUpRefluxResponse(std::uint64_t bytes) {
    return BuildBytes(cmd::kGetAccelerateUpRefluxResponse, bytes);
}

int CGetAccelerateTotalRefluxResponseProtocolFactory::BuildGetAccelerateTotalRefluxResponse(
    std::uint64_t bytes) {
    return BuildBytes(cmd::kGetAccelerateTotalRefluxResponse, bytes);
}

int CGetSuspensionDlgStateResponseProtocolFactory::BuildGetSuspensionDlgStateResponse(std::uint8_t state) {
    return BuildByte(cmd::kGetSuspensionDlgStateResponse, state);
}

int CGetProcessDownRefluxByProcessNameResponseProtocolFactory::BuildGetProcessDownRefluxByProcessNameResponse(
    std::uint64_t bytes) {
    return BuildBytes(cmd::kGetProcessDownRefluxByProcessNameResponse, bytes);
}

int CGetProcessDownRefluxByPIdResponseProtocolFactory::BuildGetProcessDownRefluxByPIdResponse(
    std::uint64_t bytes) {
    return BuildBytes(cmd::kGetProcessDownRefluxByPIdResponse, bytes);
}

int CGetProcessUpRefluxByProcessNameResponseProtocolFactory::BuildGetProcessUpRefluxByProcessNameResponse(
    std::uint64_t bytes) {
    return BuildBytes(cmd::kGetProcessUpRefluxByProcessNameResponse, bytes);
}

int CGetProcessUpRefluxByPIdResponseProtocolFactory::BuildGetProcessUpRefluxByPIdResponse(
    std::uint64_t bytes) {
    return BuildBytes(cmd::kGetProcessUpRefluxByPIdResponse, bytes);
}

int CGetProcessStartTimeByProcessNameResponseProtocolFactory::BuildGetProcessStartTimeByProcessNameResponse(
    std::int32_t result, const base::SystemTime& time) {
    return BuildTimeResult(cmd::kGetProcessStartTimeByProcessNameResponse, result, time);
}

int CGetProcessStartTimeByPIdResponseProtocolFactory::BuildGetProcessStartTimeByPIdResponse(
    std::int32_t result, const base::SystemTime& time) {
    return BuildTimeResult(cmd::kGetProcessStartTimeByPIdResponse, result, time);
}

int CGetProcessExitTimeByProcessNameResponseProtocolFactory::BuildGetProcessExitTimeByProcessNameResponse(
    std::int32_t result, const base::SystemTime& time) {
    return BuildTimeResult(cmd::kGetProcessExitTimeByProcessNameResponse, result, time);
}

int CGetProcessExitTimeByPIdResponseProtocolFactory::BuildGetProcessExitTimeByPIdResponse(
    std::int32_t result, const base::SystemTime& time) {
    return BuildTimeResult(cmd::kGetProcessExitTimeByPIdResponse, result, time);
}

int CGetProcessTotalTimeResponseProtocolFactory::BuildGetProcessTotalTimeResponse(std::uint32_t seconds) {
    return Build(cmd::kGetProcessTotalTimeResponse, kSecondsBody, [&](WireWriter& w) { w.PutU32(seconds); });
}

int CGetFirstAccelerateStartTimeResponseProtocolFactory::BuildGetFirstAccelerateStartTimeResponse(
    std::int32_t result, const base::SystemTime& time) {
    return BuildTimeResult(cmd::kGetFirstAccelerateStartTimeResponse, result, time);
}

int CGetLastAccelerateExitTimeResponseProtocolFactory::BuildGetLastAccelerateExitTimeResponse(
    std::int32_t result, const base::SystemTime& time) {
    return BuildTimeResult(cmd::kGetLastAccelerateExitTimeResponse, result, time);
}

int CGetProcessDownRefluxBetweenTimeByNameResponseProtocolFactory::
    BuildGetProcessDownRefluxBetweenTimeByNameResponse(std::uint64_t bytes) {
    return BuildBytes(cmd::kGetProcessDownRefluxBetweenTimeByNameResponse, bytes);
}

int CGetProcessDownRefluxBetweenTimeByIdResponseProtocolFactory::
    BuildGetProcessDownRefluxBetweenTimeByIdResponse(std::uint64_t bytes) {
    return BuildBytes(cmd::kGetProcessDownRefluxBetweenTimeByIdResponse, bytes);
}

int CGetProcessUpRefluxBetweenTimeByNameResponseProtocolFactory::
    BuildGetProcessUpRefluxBetweenTimeByNameResponse(std::uint64_t bytes) {
    return BuildBytes(cmd::kGetProcessUpRefluxBetweenTimeByNameResponse, bytes);
}

int CGetProcessUpRefluxBetweenTimeByIdResponseProtocolFactory::BuildGetProcessUpRefluxBetweenTimeByIdResponse(
    std::uint64_t bytes) {
    return BuildBytes(cmd::kGetProcessUpRefluxBetweenTimeByIdResponse, bytes);
}

int CGetAlarmStateResponseProtocolFactory::BuildGetAlarmStateResponse(std::uint8_t state) {
    return BuildByte(cmd::kGetAlarmStateResponse, state);
}

int CGetUnattributedRefluxResponseProtocolFactory::BuildGetUnattributedRefluxResponse(std::uint64_t bytes) {
    return BuildBytes(cmd::kGetUnattributedRefluxResponse, bytes);
}

int CPostLocalDownRefluxProtocolFactory::BuildPostLocalDownReflux(std::uint64_t bytes) {
    return BuildBytes(cmd::kPostLocalDownReflux, bytes);
}

int CPostLocalUpRefluxProtocolFactory::BuildPostLocalUpReflux(std::uint64_t bytes) {
    return BuildBytes(cmd::kPostLocalUpReflux, bytes);
}

int CPostAccelerateDownRefluxProtocolFactory::BuildPostAccelerateDownReflux(std::uint64_t bytes) {
    return BuildBytes(cmd::kPostAccelerateDownReflux, bytes);
}

int CPostAccelerateUpRefluxProtocolFactory::BuildPostAccelerateUpReflux(std::uint64_t bytes) {
    return BuildBytes(cmd::kPostAccelerateUpReflux, bytes);
}

int CPostProcessListRefluxProtocolFactory::BuildPostProcessListReflux(const engine::ProcessListEntry& entry) {
    return Build(cmd::kPostProcessListReflux, kProcessListBody, [&](WireWriter& w) {
        w.PutU32(entry.sequence);
        w.PutU32(entry.index);
        w.PutU32(entry.state);
        w.PutU32(engine::kProcessListReserved);
        w.PutU32(entry.portCount);
        w.PutU32(entry.pid);
        w.PutU64(entry.bytesUp);
        w.PutU64(entry.bytesDown);
        w.PutTime(entry.startTime);
        w.PutTime(entry.exitTime);
        w.PutFixedText(entry.name);
        w.PutFixedText(entry.path);
    });
}

int CPostAlarmRecordProtocolFactory::BuildPostAlarmRecord(const engine::SpeedAlarmRecord& record) {
    const bool machine = record.localTotal != 0;
    return Build(cmd::kPostAlarmRecord, kAlarmRecordBody, [&](WireWriter& w) {
        w.PutTime(record.time);
        w.PutU32(record.pid);
        w.PutU32(machine ? 1 : 0);
        w.PutU64(record.upBytes);
        w.PutU64(record.downBytes);
        w.PutU64(machine ? record.unacceleratedTotal : 0);
        w.PutU64(machine ? record.localTotal : 0);
        w.PutFixedText(record.name);
    });
}

}  // namespace ipc
