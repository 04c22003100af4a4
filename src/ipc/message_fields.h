#pragma once

// Any message of either direction as named fields, in wire order, for printing ("name: value" lines or
// JSON) by the plugin console.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/system_time.h"
#include "ipc/parse_status.h"
#include "ipc/wire_format.h"

namespace ipc {

using FieldValue =
    std::variant<std::uint64_t, std::int64_t, std::u16string, base::SystemTime, std::vector<std::uint8_t>>;

struct DecodedField {
    std::string name;
    FieldValue value;
};

struct DecodedMessage {
    ParseStatus status = ParseStatus::kBadFrame;
    std::uint32_t id = 0;
    std::string name;                  // empty for an unknown id or a bad frame
    std::vector<DecodedField> fields;  // empty unless status is kOk

    // The field of that name, null when there is none.
    const DecodedField* Find(std::string_view fieldName) const;
};

// A message the plugin sends to the monitor (id 67 is the request here).
DecodedMessage DescribeRequest(Bytes message);
// A message the monitor sends to the plugin (id 67 is the answer here).
DecodedMessage DescribeMonitorMessage(Bytes message);

}  // namespace ipc
