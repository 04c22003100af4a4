#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "base/system_time.h"
#include "engine/process_list_entry.h"

namespace ipc {

class WireWriter;

// Builds one message the monitor sends. Each Build operation makes its id's message whole (header with
// version 1, fields at their offsets, reserved bytes zero) in a buffer of exactly GetLength() bytes and
// returns 1, or 0 when the buffer cannot be allocated. Building again replaces the previous message.
class CKvtComProtocolFactory {
  public:
    CKvtComProtocolFactory() = default;
    virtual ~CKvtComProtocolFactory();
    CKvtComProtocolFactory(const CKvtComProtocolFactory&) = delete;
    CKvtComProtocolFactory& operator=(const CKvtComProtocolFactory&) = delete;

    int BuildStartResponse(std::uint8_t result);                     // 2, also sent unasked at start-up
    int BuildStopAlarmResponse(std::uint8_t result);                 // 8
    int BuildSetAccelerateProcessResponse(std::uint8_t result);      // 16
    int BuildSetUnclearProcessNameResponse(std::uint8_t result);     // 18, then a reserved zero byte
    int BuildGetLocalDownRefluxResponse(std::uint64_t bytes);        // 20, then 8 reserved zero bytes
    int BuildGetLocalUpRefluxResponse(std::uint64_t bytes);          // 22
    int BuildGetLocalTotalRefluxResponse(std::uint64_t bytes);       // 24
    int BuildGetAccelerateDownRefluxResponse(std::uint64_t bytes);   // 26
    int BuildGetAccelerateUpRefluxResponse(std::uint64_t bytes);     // 28
    int BuildGetAccelerateTotalRefluxResponse(std::uint64_t bytes);  // 30
    int BuildGetSuspensionDlgStateResponse(std::uint8_t state);      // 34
    int BuildGetProcessDownRefluxByProcessNameResponse(std::uint64_t bytes);  // 40
    int BuildGetProcessDownRefluxByPIdResponse(std::uint64_t bytes);          // 42
    int BuildGetProcessUpRefluxByProcessNameResponse(std::uint64_t bytes);    // 44
    int BuildGetProcessUpRefluxByPIdResponse(std::uint64_t bytes);            // 46
    int BuildGetProcessStartTimeByProcessNameResponse(std::int32_t result,
                                                      const base::SystemTime& time);               // 48
    int BuildGetProcessStartTimeByPIdResponse(std::int32_t result, const base::SystemTime& time);  // 50
    int BuildGetProcessExitTimeByProcessNameResponse(std::int32_t result,
                                                     const base::SystemTime& time);                   // 52
    int BuildGetProcessExitTimeByPIdResponse(std::int32_t result, const base::SystemTime& time);      // 54
    int BuildGetProcessTotalTimeResponse(std::uint32_t seconds);                                      // 56
    int BuildGetFirstAccelerateStartTimeResponse(std::int32_t result, const base::SystemTime& time);  // 58
    int BuildGetLastAccelerateExitTimeResponse(std::int32_t result, const base::SystemTime& time);    // 60
    int BuildGetProcessDownRefluxBetweenTimeByNameResponse(std::uint64_t bytes);                      // 62
    int BuildGetProcessDownRefluxBetweenTimeByIdResponse(std::uint64_t bytes);                        // 64
    int BuildGetProcessUpRefluxBetweenTimeByNameResponse(std::uint64_t bytes);                        // 66
    int BuildGetProcessUpRefluxBetweenTimeByIdResponse(std::uint64_t bytes);  // 67, the request's own id
    int BuildGetAlarmStateResponse(std::uint8_t state);                       // 70
    int BuildPostLocalDownReflux(std::uint64_t bytes);                        // 77
    int BuildPostLocalUpReflux(std::uint64_t bytes);                          // 78
    int BuildPostAccelerateDownReflux(std::uint64_t bytes);                   // 80
    int BuildPostAccelerateUpReflux(std::uint64_t bytes);                     // 81
    // 83. The reserved word is always 0xFFFFFFFF, whatever entry.reserved holds.
    int BuildPostProcessListReflux(const engine::ProcessListEntry& entry);

    // The message, null and 0 before a successful build.
    const std::uint8_t* GetBuffer() const { return buffer_.get(); }
    std::uint32_t GetLength() const { return length_; }
    // Not GetMessage: windows.h turns that name into GetMessageW.
    std::span<const std::uint8_t> GetBytes() const { return {buffer_.get(), length_}; }

  private:
    template <typename Fill>
    int Build(std::uint32_t id, std::uint32_t fieldBytes, Fill fill);
    int BuildByte(std::uint32_t id, std::uint8_t value);
    int BuildBytes(std::uint32_t id, std::uint64_t bytes);
    int BuildTimeResult(std::uint32_t id, std::int32_t result, const base::SystemTime& time);

    std::unique_ptr<std::uint8_t[]> buffer_;
    std::uint32_t length_ = 0;
};

}  // namespace ipc
