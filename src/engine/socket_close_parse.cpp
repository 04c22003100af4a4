#include "engine/socket_close_parse.h"

#include <charconv>
#include <cstring>

namespace engine {

namespace {

constexpr std::uint16_t kFamilyInet = 2;   // AF_INET
constexpr std::uint16_t kProtocolTcp = 6;  // IPPROTO_TCP
constexpr std::int32_t kTcpFinWait1 = 4;
constexpr std::int32_t kTcpLastAck = 9;
constexpr std::int32_t kTcpEstablished = 1;
constexpr std::int32_t kTcpClose = 7;
constexpr std::int32_t kTcpCloseWait = 8;
// The trace flags of a change made in a hard or soft interrupt or an NMI: not the owner's doing.
constexpr std::uint8_t kInterruptFlags = 0x08 | 0x10 | 0x40;

std::string_view Trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && blank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// The whole of `text` as a decimal number.
template <typename T>
std::optional<T> Number(std::string_view text) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

// "const void * skaddr" -> "skaddr", "__u8 saddr[4]" -> "saddr".
std::string_view FieldName(std::string_view declaration) {
    declaration = Trim(declaration);
    if (!declaration.empty() && declaration.back() == ']') {
        declaration = Trim(declaration.substr(0, declaration.rfind('[')));
    }
    const std::size_t start = declaration.find_last_of(" \t*");
    return start == std::string_view::npos ? declaration : declaration.substr(start + 1);
}

// The value after "key:" in one ';'-separated part of a field line.
std::optional<std::string_view> Value(std::string_view part, std::string_view key) {
    part = Trim(part);
    if (part.size() <= key.size() || part.substr(0, key.size()) != key || part[key.size()] != ':') {
        return std::nullopt;
    }
    return Trim(part.substr(key.size() + 1));
}

std::optional<TraceField> Field(const std::map<std::string, TraceField, std::less<>>& fields,
                                std::string_view name, std::size_t size) {
    const auto it = fields.find(name);
    if (it == fields.end() || it->second.size != size) {
        return std::nullopt;
    }
    return it->second;
}

// A field's bytes in host order, or nothing when it lies past the record.
template <typename T>
bool Read(std::span<const std::uint8_t> bytes, std::size_t offset, T& value) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof value) {
        return false;
    }
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return true;
}

template <typename T>
bool Read(std::span<const std::uint8_t> raw, const TraceField& field, T& value) {
    return field.size == sizeof value && Read(raw, field.offset, value);
}

}  // namespace

std::map<std::string, TraceField, std::less<>> ParseTraceFormat(std::string_view text) {
    std::map<std::string, TraceField, std::less<>> fields;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);

        std::optional<std::string_view> declaration, offset, size;
        std::string_view rest = line;
        while (!rest.empty()) {
            const std::size_t semicolon = rest.find(';');
            const std::string_view part = rest.substr(0, semicolon);
            rest = semicolon == std::string_view::npos ? std::string_view() : rest.substr(semicolon + 1);
            if (auto v = Value(part, "field")) {
                declaration = v;
            } else if (auto v = Value(part, "offset")) {
                offset = v;
            } else if (auto v = Value(part, "size")) {
                size = v;
            }
        }
        if (!declaration || !offset || !size) {
            continue;
        }
        const std::string_view name = FieldName(*declaration);
        const auto offsetValue = Number<std::size_t>(*offset);
        const auto sizeValue = Number<std::size_t>(*size);
        if (!name.empty() && offsetValue && sizeValue) {
            fields.emplace(std::string(name), TraceField{*offsetValue, *sizeValue});
        }
    }
    return fields;
}

std::optional<std::uint64_t> ParseTraceId(std::string_view text) {
    return Number<std::uint64_t>(Trim(text));
}

std::optional<SetStateLayout> SetStateLayoutFrom(std::string_view formatText) {
    const auto fields = ParseTraceFormat(formatText);
    const auto commonFlags = Field(fields, "common_flags", 1);
    const auto oldState = Field(fields, "oldstate", 4);
    const auto newState = Field(fields, "newstate", 4);
    const auto sport = Field(fields, "sport", 2);
    const auto dport = Field(fields, "dport", 2);
    const auto family = Field(fields, "family", 2);
    const auto protocol = Field(fields, "protocol", 2);
    const auto saddr = Field(fields, "saddr", 4);
    const auto daddr = Field(fields, "daddr", 4);
    if (!commonFlags || !oldState || !newState || !sport || !dport || !family || !protocol || !saddr ||
        !daddr) {
        return std::nullopt;
    }
    return SetStateLayout{*commonFlags, *oldState, *newState, *sport, *dport,
                          *family,      *protocol, *saddr,    *daddr};
}

std::optional<SetStateRecord> ParseSetStateRecord(std::span<const std::uint8_t> raw,
                                                  const SetStateLayout& layout) {
    SetStateRecord r;
    if (!Read(raw, layout.commonFlags, r.commonFlags) || !Read(raw, layout.oldState, r.oldState) ||
        !Read(raw, layout.newState, r.newState) || !Read(raw, layout.localPort, r.localPort) ||
        !Read(raw, layout.remotePort, r.remotePort) || !Read(raw, layout.family, r.family) ||
        !Read(raw, layout.protocol, r.protocol) || !Read(raw, layout.localAddress, r.localAddress) ||
        !Read(raw, layout.remoteAddress, r.remoteAddress)) {
        return std::nullopt;
    }
    return r;
}

std::optional<SocketCloseEvent> CloseEventFrom(const SetStateRecord& record, std::uint32_t pid) {
    const bool abortive = record.newState == kTcpClose &&
                          (record.oldState == kTcpEstablished || record.oldState == kTcpCloseWait) &&
                          (record.commonFlags & kInterruptFlags) == 0;
    if (record.family != kFamilyInet || record.protocol != kProtocolTcp || record.localPort == 0 ||
        (record.newState != kTcpFinWait1 && record.newState != kTcpLastAck && !abortive)) {
        return std::nullopt;
    }
    return SocketCloseEvent{kProtocolTcp,         record.localAddress, record.localPort,
                            record.remoteAddress, record.remotePort,   pid};
}

std::optional<PerfSample> ParsePerfSample(std::span<const std::uint8_t> body) {
    PerfSample sample;
    std::uint32_t rawSize = 0;
    if (!Read(body, 0, sample.pid) || !Read(body, 4, sample.tid) || !Read(body, 8, rawSize) ||
        body.size() - 12 < rawSize) {
        return std::nullopt;
    }
    sample.raw = body.subspan(12, rawSize);
    return sample;
}

std::uint64_t ParsePerfLost(std::span<const std::uint8_t> body) {
    std::uint64_t lost = 0;
    return Read(body, 8, lost) ? lost : 0;
}

std::optional<SocketCloseEvent> ParseCloseSample(std::span<const std::uint8_t> body,
                                                 const SetStateLayout& layout) {
    const auto sample = ParsePerfSample(body);
    if (!sample) {
        return std::nullopt;
    }
    const auto record = ParseSetStateRecord(sample->raw, layout);
    return record ? CloseEventFrom(*record, sample->pid) : std::nullopt;
}

std::optional<std::vector<std::uint32_t>> ParseCpuList(std::string_view text) {
    std::vector<std::uint32_t> cpus;
    text = Trim(text);
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view part = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        const std::size_t dash = part.find('-');
        const auto first = Number<std::uint32_t>(part.substr(0, dash));
        const auto last =
            dash == std::string_view::npos ? first : Number<std::uint32_t>(part.substr(dash + 1));
        // A bound on the range keeps a corrupt list from asking for billions of entries.
        if (!first || !last || *last < *first || *last - *first > 4096) {
            return std::nullopt;
        }
        for (std::uint32_t cpu = *first; cpu <= *last; ++cpu) {
            cpus.push_back(cpu);
        }
    }
    if (cpus.empty()) {
        return std::nullopt;
    }
    return cpus;
}

}  // namespace engine
