#include "ipc/protocol_factory.h"

#include <new>

#include "ipc/command_ids.h"
#include "ipc/message_header.h"
#include "ipc/wire_writer.h"

namespace ipc {
namespace {

// Body sizes after the header.
constexpr std::uint32_t kByteBody = 1;
constexpr std::uint32_t kByteReservedBody = 2;
constexpr std::uint32_t kBytesBody = 8;
constexpr std::uint32_t kPaddedBytesBody = 16;
constexpr std::uint32_t kTimeResultBody = 4 + kSystemTimeSize;
constexpr std::uint32_t kSecondsBody = 4;
constexpr std::uint32_t kProcessListBody = 6 * 4 + 2 * 8 + 2 * kSystemTimeSize + 2 * kFixedTextSize;
static_assert(kHeaderSize + kProcessListBody == 1121);

}  // namespace

CKvtComProtocolFactory::~CKvtComProtocolFactory() = default;

template <typename Fill>
int CKvtComProtocolFactory::Build(std::uint32_t id, std::uint32_t fieldBytes, Fill fill) {
    buffer_.reset();
    length_ = 0;
    const std::uint32_t length = static_cast<std::uint32_t>(kHeaderSize) + fieldBytes;
    // Value-initialised, so any byte a layout leaves alone goes out as zero.
    std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[length]());
    if (!buffer) {
        return 0;
    }
    WireWriter writer({buffer.get(), length});
    WriteHeader(writer, length, id);
    fill(writer);
    if (!writer.Complete()) {
        return 0;
    }
    buffer_ = std::move(buffer);
    length_ = length;
    return 1;
}

int CKvtComProtocolFactory::BuildByte(std::uint32_t id, std::uint8_t value) {
    return Build(id, kByteBody, [&](WireWriter& w) { w.PutU8(value); });
}

int CKvtComProtocolFactory::BuildBytes(std::uint32_t id, std::uint64_t bytes) {
    return Build(id, kBytesBody, [&](WireWriter& w) { w.PutU64(bytes); });
}

int CKvtComProtocolFactory::BuildTimeResult(std::uint32_t id, std::int32_t result,
                                            const base::SystemTime& time) {
    return Build(id, kTimeResultBody, [&](WireWriter& w) {
        w.PutI32(result);
        w.PutTime(time);
    });
}

int CKvtComProtocolFactory::BuildStartResponse(std::uint8_t result) {
    return BuildByte(cmd::kStartResponse, result);
}

int CKvtComProtocolFactory::BuildStopAlarmResponse(std::uint8_t result) {
    return BuildByte(cmd::kStopAlarmResponse, result);
}

int CKvtComProtocolFactory::BuildSetAccelerateProcessResponse(std::uint8_t result) {
    return BuildByte(cmd::kSetAccelerateProcessResponse, result);
}

int CKvtComProtocolFactory::BuildSetUnclearProcessNameResponse(std::uint8_t result) {
    return Build(cmd::kSetUnclearProcessNameResponse, kByteReservedBody, [&](WireWriter& w) {
        w.PutU8(result);
        w.PutZeros(1);
    });
}

int CKvtComProtocolFactory::BuildGetLocalDownRefluxResponse(std::uint64_t bytes) {
    return Build(cmd::kGetLocalDownRefluxResponse, kPaddedBytesBody, [&](WireWriter& w) {
        w.PutU64(bytes);
        w.PutZeros(8);
    });
}

int CKvtComProtocolFactory::BuildGetLocalUpRefluxResponse(std::uint64_t bytes) {
    return BuildBytes(cmd::kGetLocalUpRefluxResponse, bytes);
}

int CKvtComProtocolFactory::BuildGetLocalTotalRefluxResponse(std::uint64_t bytes) {
    return BuildBytes(cmd::kGetLocalTotalRefluxResponse, bytes);
}

int CKvtComProtocolFactory::BuildGetAccelerateDownRefluxResponse(std::uint64_t bytes) {
    return BuildBytes(cmd::kGetAccelerateDownRefluxResponse, bytes);
}

int CKvtComProtocolFactory::BuildGetAccelerateUpRefluxResponse(std::uint64_t bytes) {
    return BuildBytes(cmd::kGetAccelerateUpRefluxResponse, bytes);
}

int CKvtComProtocolFactory::BuildGetAccelerateTotalRefluxResponse(std::uint64_t bytes) {
    return BuildBytes(cmd::kGetAccelerateTotalRefluxResponse, bytes);
}

int CKvtComProtocolFactory::BuildGetSuspensionDlgStateResponse(std::uint8_t state) {
    return BuildByte(cmd::kGetSuspensionDlgStateResponse, state);
}

int CKvtComProtocolFactory::BuildGetProcessDownRefluxByProcessNameResponse(std::uint64_t bytes) {
    return BuildBytes(cmd::kGetProcessDownRefluxByProcessNameResponse, bytes);
}

int CKvtComProtocolFactory::BuildGetProcessDownRefluxByPIdResponse(std::uint64_t bytes) {
    return BuildBytes(cmd::kGetProcessDownRefluxByPIdResponse, bytes);
}

int CKvtComProtocolFactory::BuildGetProcessUpRefluxByProcessNameResponse(std::uint64_t bytes) {
    return BuildBytes(cmd::kGetProcessUpRefluxByProcessNameResponse, bytes);
}

int CKvtComProtocolFactory::BuildGetProcessUpRefluxByPIdResponse(std::uint64_t bytes) {
    return BuildBytes(cmd::kGetProcessUpRefluxByPIdResponse, bytes);
}

int CKvtComProtocolFactory::BuildGetProcessStartTimeByProcessNameResponse(std::int32_t result,
                                                                          const base::SystemTime& time) {
    return BuildTimeResult(cmd::kGetProcessStartTimeByProcessNameResponse, result, time);
}

int CKvtComProtocolFactory::BuildGetProcessStartTimeByPIdResponse(std::int32_t result,
                                                                  const base::SystemTime& time) {
    return BuildTimeResult(cmd::kGetProcessStartTimeByPIdResponse, result, time);
}

int CKvtComProtocolFactory::BuildGetProcessExitTimeByProcessNameResponse(std::int32_t result,
                                                                         const base::SystemTime& time) {
    return BuildTimeResult(cmd::kGetProcessExitTimeByProcessNameResponse, result, time);
}

int CKvtComProtocolFactory::BuildGetProcessExitTimeByPIdResponse(std::int32_t result,
                                                                 const base::SystemTime& time) {
    return BuildTimeResult(cmd::kGetProcessExitTimeByPIdResponse, result, time);
}

int CKvtComProtocolFactory::BuildGetProcessTotalTimeResponse(std::uint32_t seconds) {
    return Build(cmd::kGetProcessTotalTimeResponse, kSecondsBody, [&](WireWriter& w) { w.PutU32(seconds); });
}

int CKvtComProtocolFactory::BuildGetFirstAccelerateStartTimeResponse(std::int32_t result,
                                                                     const base::SystemTime& time) {
    return BuildTimeResult(cmd::kGetFirstAccelerateStartTimeResponse, result, time);
}

int CKvtComProtocolFactory::BuildGetLastAccelerateExitTimeResponse(std::int32_t result,
                                                                   const base::SystemTime& time) {
    return BuildTimeResult(cmd::kGetLastAccelerateExitTimeResponse, result, time);
}

int CKvtComProtocolFactory::BuildGetProcessDownRefluxBetweenTimeByNameResponse(std::uint64_t bytes) {
    return BuildBytes(cmd::kGetProcessDownRefluxBetweenTimeByNameResponse, bytes);
}

int CKvtComProtocolFactory::BuildGetProcessDownRefluxBetweenTimeByIdResponse(std::uint64_t bytes) {
    return BuildBytes(cmd::kGetProcessDownRefluxBetweenTimeByIdResponse, bytes);
}

int CKvtComProtocolFactory::BuildGetProcessUpRefluxBetweenTimeByNameResponse(std::uint64_t bytes) {
    return BuildBytes(cmd::kGetProcessUpRefluxBetweenTimeByNameResponse, bytes);
}

int CKvtComProtocolFactory::BuildGetProcessUpRefluxBetweenTimeByIdResponse(std::uint64_t bytes) {
    return BuildBytes(cmd::kGetProcessUpRefluxBetweenTimeByIdResponse, bytes);
}

int CKvtComProtocolFactory::BuildGetAlarmStateResponse(std::uint8_t state) {
    return BuildByte(cmd::kGetAlarmStateResponse, state);
}

int CKvtComProtocolFactory::BuildPostLocalDownReflux(std::uint64_t bytes) {
    return BuildBytes(cmd::kPostLocalDownReflux, bytes);
}

int CKvtComProtocolFactory::BuildPostLocalUpReflux(std::uint64_t bytes) {
    return BuildBytes(cmd::kPostLocalUpReflux, bytes);
}

int CKvtComProtocolFactory::BuildPostAccelerateDownReflux(std::uint64_t bytes) {
    return BuildBytes(cmd::kPostAccelerateDownReflux, bytes);
}

int CKvtComProtocolFactory::BuildPostAccelerateUpReflux(std::uint64_t bytes) {
    return BuildBytes(cmd::kPostAccelerateUpReflux, bytes);
}

int CKvtComProtocolFactory::BuildPostProcessListReflux(const engine::ProcessListEntry& entry) {
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

}  // namespace ipc
