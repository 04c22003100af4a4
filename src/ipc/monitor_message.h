#pragma once

// Decoding of what the monitor sends: answers and pushes. The plugin side (the console, the tests)
// uses it; the monitor itself only builds these messages.

#include <cstdint>
#include <span>
#include <string>
#include <variant>

#include "base/system_time.h"
#include "engine/process_list_entry.h"
#include "ipc/parse_status.h"
#include "ipc/wire_format.h"

namespace ipc {

// The process list push parses into the engine's own row.
using engine::ProcessListEntry;

enum class MonitorLayout : std::uint8_t {
    kByte,          // u8                                      10 bytes
    kByteReserved,  // u8 result, u8 reserved                  11
    kPaddedBytes,   // u64 bytes, 8 reserved bytes             25
    kBytes,         // u64 bytes                               17
    kTimeResult,    // i32 result, SYSTEMTIME time             29
    kSeconds,       // u32 seconds                             13
    kProcessList,   // one process of the list                 1121
    kAlarmRecord,   // one record of a raised alarm            585
};

struct MonitorMessageInfo {
    std::uint32_t id;
    const char* name;
    MonitorLayout layout;
    std::uint32_t length;
    // Field name of a kByte body ("result" or "state"), null for other layouts.
    const char* valueName;
    // Whether the monitor sends it unasked.
    bool push;
};

std::span<const MonitorMessageInfo> MonitorMessageTable();
// Null for an id the monitor never sends (79, 82, 84 to 95 among them).
const MonitorMessageInfo* FindMonitorMessage(std::uint32_t id);

struct ByteAnswer {
    std::uint8_t value = 0;
    friend bool operator==(const ByteAnswer&, const ByteAnswer&) = default;
};

struct ByteReservedAnswer {
    std::uint8_t result = 0;
    std::uint8_t reserved = 0;
    friend bool operator==(const ByteReservedAnswer&, const ByteReservedAnswer&) = default;
};

struct BytesAnswer {
    std::uint64_t bytes = 0;
    friend bool operator==(const BytesAnswer&, const BytesAnswer&) = default;
};

struct PaddedBytesAnswer {
    std::uint64_t bytes = 0;
    std::uint64_t reserved = 0;
    friend bool operator==(const PaddedBytesAnswer&, const PaddedBytesAnswer&) = default;
};

struct TimeAnswer {
    std::int32_t result = 0;
    base::SystemTime time;
    friend bool operator==(const TimeAnswer&, const TimeAnswer&) = default;
};

struct SecondsAnswer {
    std::uint32_t seconds = 0;
    friend bool operator==(const SecondsAnswer&, const SecondsAnswer&) = default;
};

// PostAlarmRecord: one record an alarm appended to the history (layout in command_ids.h). The two totals
// are the machine's, set only when machine is 1.
struct AlarmRecordPush {
    base::SystemTime time;
    std::uint32_t pid = 0;
    std::uint32_t machine = 0;
    std::uint64_t bytesUp = 0;
    std::uint64_t bytesDown = 0;
    std::uint64_t nonAcceleratedTotal = 0;
    std::uint64_t localTotal = 0;
    std::u16string name;
    friend bool operator==(const AlarmRecordPush&, const AlarmRecordPush&) = default;
};

using MonitorFields =
    std::variant<std::monostate, ByteAnswer, ByteReservedAnswer, BytesAnswer, PaddedBytesAnswer, TimeAnswer,
                 SecondsAnswer, ProcessListEntry, AlarmRecordPush>;

struct ParsedMonitorMessage {
    ParseStatus status = ParseStatus::kBadFrame;
    std::uint32_t id = 0;  // set for every status but kBadFrame
    MonitorFields fields;  // the alternative of the id's layout when status is kOk

    bool Ok() const { return status == ParseStatus::kOk; }
};

// Checks the frame, looks the id up among the answers and pushes and requires its exact length. Id 67
// is read as the answer it is in this direction.
ParsedMonitorMessage ParseMonitorMessage(Bytes message);

}  // namespace ipc
