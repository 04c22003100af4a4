#pragma once

// How the console prints a message: one line each, stamped with the local time it arrived (or was sent).
//   text: 2026-12-06 10:00:00.123 < GetLocalDownRefluxResponse (20) bytes=1024 reserved=0
//   JSON: {"time":"2026-12-06 10:00:00.123","dir":"in","id":20,"name":"GetLocalDownRefluxResponse",
//          "status":"ok","fields":{"bytes":1024,"reserved":0}}
// "<" and "in" mark what the monitor sent, ">" and "out" what the console sent. A text value that is
// empty or holds blanks or quotes is quoted as the request syntax reads it ("" for a quote); control
// characters show as \xNN. A message that did not decode says why and how long it was.

#include <cstddef>
#include <string>

#include "base/system_time.h"
#include "ipc/message_fields.h"

namespace console {

enum class OutputFormat { kText, kJson };
enum class Direction { kReceived, kSent };

// Without the line end.
std::string FormatMessageLine(const ipc::DecodedMessage& message, std::size_t size,
                              const base::SystemTime& at, Direction direction, OutputFormat format);

}  // namespace console
