#pragma once

// Text forms of decoded messages, UTF-8: "name: value" lines and one-line JSON.

#include <string>

#include "ipc/message_fields.h"

namespace ipc {

// Numbers in decimal, texts as they are, times as "2024-05-01 12:30:45.123", data bytes as lower-case hex.
std::string FormatFieldValue(const FieldValue& value);
// The same as a JSON value: numbers bare, everything else a string.
std::string FormatFieldJson(const FieldValue& value);

// "GetLocalUpRefluxResponse (22)" and one "  name: value" line per field; a message that did not
// decode says why on its first line ("StopAlarm (7): malformed").
std::string FormatMessageText(const DecodedMessage& message);
// {"id":22,"name":"GetLocalUpRefluxResponse","status":"ok","fields":{"bytes":123}}
std::string FormatMessageJson(const DecodedMessage& message);

// A JSON string literal with its quotes.
std::string JsonQuote(std::string_view utf8);

// "2024-05-01 12:30:45.123", as a time field shows.
std::string FormatTimeText(const base::SystemTime& time);

}  // namespace ipc
