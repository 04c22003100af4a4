#include "ipc/request_parser.h"

#include <algorithm>
#include <optional>

#include "ipc/message_header.h"
#include "ipc/request_table.h"
#include "ipc/wire_reader.h"

namespace ipc {
namespace {

// Every UTF-16LE unit of the bytes, NULs included; an odd last byte is no unit.
std::u16string Units(Bytes bytes) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        units.push_back(static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8));
    }
    return units;
}

// Each reader below starts right after the header. `size` is the message length, already known to
// equal the header's length field; sums are taken in 64 bits so that a huge count cannot wrap.
using Parsed = std::optional<RequestArgs>;

Parsed ParseNone(const RequestInfo& info, std::uint64_t size) {
    if (info.checked && size != kHeaderSize) {
        return std::nullopt;
    }
    return NoArgs{};
}

Parsed ParseStart(WireReader& reader, std::uint64_t size) {
    std::uint16_t byteCount = 0;
    if (size < 13 || !reader.ReadU16(byteCount)) {
        return std::nullopt;
    }
    // The count is not checked against the length; take what arrived of it.
    Bytes data;
    reader.ReadBytes(std::min<std::size_t>(byteCount, reader.Remaining()), data);
    return StartArgs{{data.begin(), data.end()}};
}

Parsed ParseByte(const RequestInfo& info, WireReader& reader, std::uint64_t size) {
    ByteArgs args;
    if (info.checked) {
        if (size != kHeaderSize + 1 || !reader.ReadU8(args.value)) {
            return std::nullopt;
        }
    } else if (reader.Remaining() >= 1) {
        reader.ReadU8(args.value);
    }
    return args;
}

Parsed ParseU32(const RequestInfo& info, WireReader& reader, std::uint64_t size) {
    U32Args args;
    if (info.checked) {
        if (size != kHeaderSize + 4 || !reader.ReadU32(args.value)) {
            return std::nullopt;
        }
    } else if (reader.Remaining() >= 4) {
        reader.ReadU32(args.value);
    }
    return args;
}

std::u16string UpToNul(const std::u16string& units) {
    return units.substr(0, units.find(u'\0'));
}

Parsed ParseNameList(Bytes message) {
    const std::optional<NameListUnits> units = ReadNameListUnits(message);
    if (!units) {
        return std::nullopt;
    }
    return NameListArgs{UpToNul(units->names), UpToNul(units->separator)};
}

Parsed ParseName(WireReader& reader, std::uint64_t size) {
    std::uint16_t nameBytes = 0;
    NameArgs args;
    if (size < 13 || !reader.ReadU16(nameBytes) || size != 11ull + nameBytes ||
        nameBytes < kMinQueryNameBytes || !reader.ReadText(nameBytes, args.name)) {
        return std::nullopt;
    }
    return args;
}

Parsed ParseNameTimeRange(WireReader& reader, std::uint64_t size) {
    std::uint16_t nameBytes = 0;
    NameTimeRangeArgs args;
    if (size < 45 || !reader.ReadU16(nameBytes) || size != 43ull + nameBytes ||
        nameBytes < kMinQueryNameBytes || !reader.ReadText(nameBytes, args.name) ||
        !reader.ReadTime(args.from) || !reader.ReadTime(args.to)) {
        return std::nullopt;
    }
    return args;
}

Parsed ParsePidTimeRange(WireReader& reader, std::uint64_t size) {
    PidTimeRangeArgs args;
    if (size != 45 || !reader.ReadU32(args.pid) || !reader.ReadTime(args.from) || !reader.ReadTime(args.to)) {
        return std::nullopt;
    }
    return args;
}

Parsed ParseGameInfo(WireReader& reader, std::uint64_t size) {
    std::uint32_t nameBytes = 0;
    std::uint32_t infoBytes = 0;
    GameInfoArgs args;
    // "length > 17 + nameBytes" alone would let the infoBytes read run past the end; the reader refuses.
    if (size < 26 || !reader.ReadU32(args.gameId) || !reader.ReadU32(nameBytes) ||
        size <= 17ull + nameBytes || !reader.ReadText(nameBytes, args.name) || !reader.ReadU32(infoBytes) ||
        size != 21ull + nameBytes + infoBytes || !reader.ReadText(infoBytes, args.info)) {
        return std::nullopt;
    }
    return args;
}

Parsed ParseBody(const RequestInfo& info, Bytes message) {
    WireReader reader(message, kHeaderSize);
    const std::uint64_t size = message.size();
    switch (info.layout) {
        case RequestLayout::kNone:
            return ParseNone(info, size);
        case RequestLayout::kStart:
            return ParseStart(reader, size);
        case RequestLayout::kByte:
            return ParseByte(info, reader, size);
        case RequestLayout::kU32:
            return ParseU32(info, reader, size);
        case RequestLayout::kNameList:
            return ParseNameList(message);
        case RequestLayout::kName:
            return ParseName(reader, size);
        case RequestLayout::kNameTimeRange:
            return ParseNameTimeRange(reader, size);
        case RequestLayout::kPidTimeRange:
            return ParsePidTimeRange(reader, size);
        case RequestLayout::kGameInfo:
            return ParseGameInfo(reader, size);
    }
    return std::nullopt;
}

}  // namespace

std::optional<NameListUnits> ReadNameListUnits(Bytes message) {
    WireReader reader(message, kHeaderSize);
    const std::uint64_t size = message.size();
    std::uint32_t namesBytes = 0;
    std::uint8_t separatorBytes = 0;
    Bytes names;
    Bytes separator;
    if (size < 18 || !reader.ReadU32(namesBytes) || size <= 13ull + namesBytes ||
        !reader.ReadBytes(namesBytes, names) || !reader.ReadU8(separatorBytes) ||
        size != 14ull + namesBytes + separatorBytes || !reader.ReadBytes(separatorBytes, separator)) {
        return std::nullopt;
    }
    return NameListUnits{Units(names), Units(separator)};
}

ParsedRequest ParseRequest(Bytes message) {
    ParsedRequest result;
    const std::optional<MessageHeader> header = CheckFrame(message);
    if (!header) {
        return result;
    }
    result.id = header->commandId;
    const RequestInfo* info = FindRequest(header->commandId);
    if (info == nullptr) {
        result.status = ParseStatus::kUnknownId;
        return result;
    }
    Parsed args = ParseBody(*info, message);
    if (!args) {
        result.status = ParseStatus::kMalformed;
        return result;
    }
    result.status = ParseStatus::kOk;
    result.args = std::move(*args);
    return result;
}

}  // namespace ipc
