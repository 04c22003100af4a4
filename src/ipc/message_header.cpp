#include "ipc/message_header.h"

#include "ipc/wire_reader.h"

namespace ipc {

std::optional<MessageHeader> ReadHeader(Bytes message) {
    WireReader reader(message);
    MessageHeader header;
    reader.ReadU32(header.length);
    reader.ReadU32(header.commandId);
    reader.ReadU8(header.version);
    if (reader.Failed()) {
        return std::nullopt;
    }
    return header;
}

std::optional<MessageHeader> CheckFrame(Bytes message) {
    const std::optional<MessageHeader> header = ReadHeader(message);
    if (!header || header->length != message.size()) {
        return std::nullopt;
    }
    return header;
}

bool WriteHeader(WireWriter& writer, std::uint32_t length, std::uint32_t commandId) {
    return writer.PutU32(length) && writer.PutU32(commandId) && writer.PutU8(kProtocolVersion);
}

}  // namespace ipc
