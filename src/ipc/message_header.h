#pragma once

#include <cstdint>
#include <optional>

#include "ipc/wire_format.h"
#include "ipc/wire_writer.h"

namespace ipc {

struct MessageHeader {
    std::uint32_t length = 0;  // the whole message, header included
    std::uint32_t commandId = 0;
    std::uint8_t version = 0;

    friend bool operator==(const MessageHeader&, const MessageHeader&) = default;
};

// The header at the start of the bytes; nothing when fewer than 9 bytes arrived.
std::optional<MessageHeader> ReadHeader(Bytes message);

// The header of a well-framed message: at least a whole header, and a length field equal to the number
// of bytes received. Anything else is dropped without an answer. The version byte is not checked.
std::optional<MessageHeader> CheckFrame(Bytes message);

// Writes a header with the current protocol version.
bool WriteHeader(WireWriter& writer, std::uint32_t length, std::uint32_t commandId);

}  // namespace ipc
