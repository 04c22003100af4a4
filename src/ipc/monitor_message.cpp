#include "ipc/monitor_message.h"

#include <optional>

#include "ipc/command_ids.h"
#include "ipc/message_header.h"
#include "ipc/wire_reader.h"

namespace ipc {
namespace {

using L = MonitorLayout;

// clang-format off
constexpr MonitorMessageInfo kMessages[] = {
    {cmd::kStartResponse, "StartResponse", L::kByte, 10, "result", false},
    {cmd::kStopAlarmResponse, "StopAlarmResponse", L::kByte, 10, "result", false},
    {cmd::kSetAccelerateProcessResponse, "SetAccelerateProcessResponse", L::kByte, 10, "result", false},
    {cmd::kSetUnclearProcessNameResponse, "SetUnclearProcessNameResponse", L::kByteReserved, 11, nullptr, false},
    {cmd::kGetLocalDownRefluxResponse, "GetLocalDownRefluxResponse", L::kPaddedBytes, 25, nullptr, false},
    {cmd::kGetLocalUpRefluxResponse, "GetLocalUpRefluxResponse", L::kBytes, 17, nullptr, false},
    {cmd::kGetLocalTotalRefluxResponse, "GetLocalTotalRefluxResponse", L::kBytes, 17, nullptr, false},
    {cmd::kGetAccelerateDownRefluxResponse, "GetAccelerateDownRefluxResponse", L::kBytes, 17, nullptr, false},
    {cmd::kGetAccelerateUpRefluxResponse, "GetAccelerateUpRefluxResponse", L::kBytes, 17, nullptr, false},
    {cmd::kGetAccelerateTotalRefluxResponse, "GetAccelerateTotalRefluxResponse", L::kBytes, 17, nullptr, false},
    {cmd::kGetSuspensionDlgStateResponse, "GetSuspensionDlgStateResponse", L::kByte, 10, "state", false},
    {cmd::kGetProcessDownRefluxByProcessNameResponse, "GetProcessDownRefluxByProcessNameResponse", L::kBytes, 17, nullptr, false},
    {cmd::kGetProcessDownRefluxByPIdResponse, "GetProcessDownRefluxByPIdResponse", L::kBytes, 17, nullptr, false},
    {cmd::kGetProcessUpRefluxByProcessNameResponse, "GetProcessUpRefluxByProcessNameResponse", L::kBytes, 17, nullptr, false},
    {cmd::kGetProcessUpRefluxByPIdResponse, "GetProcessUpRefluxByPIdResponse", L::kBytes, 17, nullptr, false},
    {cmd::kGetProcessStartTimeByProcessNameResponse, "GetProcessStartTimeByProcessNameResponse", L::kTimeResult, 29, nullptr, false},
    {cmd::kGetProcessStartTimeByPIdResponse, "GetProcessStartTimeByPIdResponse", L::kTimeResult, 29, nullptr, false},
    {cmd::kGetProcessExitTimeByProcessNameResponse, "GetProcessExitTimeByProcessNameResponse", L::kTimeResult, 29, nullptr, false},
    {cmd::kGetProcessExitTimeByPIdResponse, "GetProcessExitTimeByPIdResponse", L::kTimeResult, 29, nullptr, false},
    {cmd::kGetProcessTotalTimeResponse, "GetProcessTotalTimeResponse", L::kSeconds, 13, nullptr, false},
    {cmd::kGetFirstAccelerateStartTimeResponse, "GetFirstAccelerateStartTimeResponse", L::kTimeResult, 29, nullptr, false},
    {cmd::kGetLastAccelerateExitTimeResponse, "GetLastAccelerateExitTimeResponse", L::kTimeResult, 29, nullptr, false},
    {cmd::kGetProcessDownRefluxBetweenTimeByNameResponse, "GetProcessDownRefluxBetweenTimeByNameResponse", L::kBytes, 17, nullptr, false},
    {cmd::kGetProcessDownRefluxBetweenTimeByIdResponse, "GetProcessDownRefluxBetweenTimeByIdResponse", L::kBytes, 17, nullptr, false},
    {cmd::kGetProcessUpRefluxBetweenTimeByNameResponse, "GetProcessUpRefluxBetweenTimeByNameResponse", L::kBytes, 17, nullptr, false},
    {cmd::kGetProcessUpRefluxBetweenTimeByIdResponse, "GetProcessUpRefluxBetweenTimeByIdResponse", L::kBytes, 17, nullptr, false},
    {cmd::kGetAlarmStateResponse, "GetAlarmStateResponse", L::kByte, 10, "state", false},
    {cmd::kGetUnattributedRefluxResponse, "GetUnattributedRefluxResponse", L::kBytes, 17, nullptr, false},
    {cmd::kPostLocalDownReflux, "PostLocalDownReflux", L::kBytes, 17, nullptr, true},
    {cmd::kPostLocalUpReflux, "PostLocalUpReflux", L::kBytes, 17, nullptr, true},
    {cmd::kPostAccelerateDownReflux, "PostAccelerateDownReflux", L::kBytes, 17, nullptr, true},
    {cmd::kPostAccelerateUpReflux, "PostAccelerateUpReflux", L::kBytes, 17, nullptr, true},
    {cmd::kPostProcessListReflux, "PostProcessListReflux", L::kProcessList, 1121, nullptr, true},
    {cmd::kPostAlarmRecord, "PostAlarmRecord", L::kAlarmRecord, 585, nullptr, true},
};
// clang-format on

using Parsed = std::optional<MonitorFields>;

Parsed ReadProcessListEntry(WireReader& r) {
    ProcessListEntry e;
    r.ReadU32(e.sequence);
    r.ReadU32(e.index);
    r.ReadU32(e.state);
    r.ReadU32(e.reserved);
    r.ReadU32(e.portCount);
    r.ReadU32(e.pid);
    r.ReadU64(e.bytesUp);
    r.ReadU64(e.bytesDown);
    r.ReadTime(e.startTime);
    r.ReadTime(e.exitTime);
    r.ReadFixedText(e.name);
    r.ReadFixedText(e.path);
    if (r.Failed()) {
        return std::nullopt;
    }
    return e;
}

Parsed ReadAlarmRecord(WireReader& r) {
    AlarmRecordPush a;
    r.ReadTime(a.time);
    r.ReadU32(a.pid);
    r.ReadU32(a.machine);
    r.ReadU64(a.bytesUp);
    r.ReadU64(a.bytesDown);
    r.ReadU64(a.nonAcceleratedTotal);
    r.ReadU64(a.localTotal);
    r.ReadFixedText(a.name);
    if (r.Failed()) {
        return std::nullopt;
    }
    return a;
}

Parsed ReadBody(MonitorLayout layout, WireReader& r) {
    switch (layout) {
        case L::kByte: {
            ByteAnswer a;
            return r.ReadU8(a.value) ? Parsed(a) : std::nullopt;
        }
        case L::kByteReserved: {
            ByteReservedAnswer a;
            return r.ReadU8(a.result) && r.ReadU8(a.reserved) ? Parsed(a) : std::nullopt;
        }
        case L::kPaddedBytes: {
            PaddedBytesAnswer a;
            return r.ReadU64(a.bytes) && r.ReadU64(a.reserved) ? Parsed(a) : std::nullopt;
        }
        case L::kBytes: {
            BytesAnswer a;
            return r.ReadU64(a.bytes) ? Parsed(a) : std::nullopt;
        }
        case L::kTimeResult: {
            TimeAnswer a;
            return r.ReadI32(a.result) && r.ReadTime(a.time) ? Parsed(a) : std::nullopt;
        }
        case L::kSeconds: {
            SecondsAnswer a;
            return r.ReadU32(a.seconds) ? Parsed(a) : std::nullopt;
        }
        case L::kProcessList:
            return ReadProcessListEntry(r);
        case L::kAlarmRecord:
            return ReadAlarmRecord(r);
    }
    return std::nullopt;
}

}  // namespace

std::span<const MonitorMessageInfo> MonitorMessageTable() {
    return kMessages;
}

const MonitorMessageInfo* FindMonitorMessage(std::uint32_t id) {
    for (const MonitorMessageInfo& info : kMessages) {
        if (info.id == id) {
            return &info;
        }
    }
    return nullptr;
}

ParsedMonitorMessage ParseMonitorMessage(Bytes message) {
    ParsedMonitorMessage result;
    const std::optional<MessageHeader> header = CheckFrame(message);
    if (!header) {
        return result;
    }
    result.id = header->commandId;
    const MonitorMessageInfo* info = FindMonitorMessage(header->commandId);
    if (info == nullptr) {
        result.status = ParseStatus::kUnknownId;
        return result;
    }
    WireReader reader(message, kHeaderSize);
    Parsed fields = message.size() == info->length ? ReadBody(info->layout, reader) : std::nullopt;
    if (!fields || reader.Remaining() != 0) {
        result.status = ParseStatus::kMalformed;
        return result;
    }
    result.status = ParseStatus::kOk;
    result.fields = std::move(*fields);
    return result;
}

}  // namespace ipc
