#include "ipc/request_builder.h"

#include <limits>

#include "ipc/message_header.h"
#include "ipc/wire_writer.h"

namespace ipc {
namespace {

template <typename Count>
bool FitsCount(std::size_t units) {
    return units <= std::numeric_limits<Count>::max() / 2;
}

std::size_t TextBytes(const std::u16string& text) {
    return text.size() * 2;
}

std::size_t BodySize(const RequestArgs& args) {
    struct Sizer {
        std::size_t operator()(const NoArgs&) const { return 0; }
        std::size_t operator()(const StartArgs& a) const { return 2 + a.data.size(); }
        std::size_t operator()(const ByteArgs&) const { return 1; }
        std::size_t operator()(const U32Args&) const { return 4; }
        std::size_t operator()(const NameListArgs& a) const {
            return 4 + TextBytes(a.names) + 1 + TextBytes(a.separator);
        }
        std::size_t operator()(const NameArgs& a) const { return 2 + TextBytes(a.name); }
        std::size_t operator()(const NameTimeRangeArgs& a) const { return 2 + TextBytes(a.name) + 32; }
        std::size_t operator()(const PidTimeRangeArgs&) const { return 4 + 32; }
        std::size_t operator()(const GameInfoArgs& a) const {
            return 4 + 4 + TextBytes(a.name) + 4 + TextBytes(a.info);
        }
    };
    return std::visit(Sizer{}, args);
}

struct CountChecker {
    bool operator()(const StartArgs& a) const {
        return a.data.size() <= std::numeric_limits<std::uint16_t>::max();
    }
    bool operator()(const NameListArgs& a) const {
        return FitsCount<std::uint32_t>(a.names.size()) && FitsCount<std::uint8_t>(a.separator.size());
    }
    bool operator()(const NameArgs& a) const { return FitsCount<std::uint16_t>(a.name.size()); }
    bool operator()(const NameTimeRangeArgs& a) const { return FitsCount<std::uint16_t>(a.name.size()); }
    bool operator()(const GameInfoArgs& a) const {
        return FitsCount<std::uint32_t>(a.name.size()) && FitsCount<std::uint32_t>(a.info.size());
    }
    template <typename Other>
    bool operator()(const Other&) const {
        return true;
    }
};

struct BodyWriter {
    WireWriter& w;

    void operator()(const NoArgs&) const {}
    void operator()(const StartArgs& a) const {
        w.PutU16(static_cast<std::uint16_t>(a.data.size()));
        w.PutBytes(a.data);
    }
    void operator()(const ByteArgs& a) const { w.PutU8(a.value); }
    void operator()(const U32Args& a) const { w.PutU32(a.value); }
    void operator()(const NameListArgs& a) const {
        w.PutU32(static_cast<std::uint32_t>(TextBytes(a.names)));
        w.PutText(a.names);
        w.PutU8(static_cast<std::uint8_t>(TextBytes(a.separator)));
        w.PutText(a.separator);
    }
    void operator()(const NameArgs& a) const {
        w.PutU16(static_cast<std::uint16_t>(TextBytes(a.name)));
        w.PutText(a.name);
    }
    void operator()(const NameTimeRangeArgs& a) const {
        w.PutU16(static_cast<std::uint16_t>(TextBytes(a.name)));
        w.PutText(a.name);
        w.PutTime(a.from);
        w.PutTime(a.to);
    }
    void operator()(const PidTimeRangeArgs& a) const {
        w.PutU32(a.pid);
        w.PutTime(a.from);
        w.PutTime(a.to);
    }
    void operator()(const GameInfoArgs& a) const {
        w.PutU32(a.gameId);
        w.PutU32(static_cast<std::uint32_t>(TextBytes(a.name)));
        w.PutText(a.name);
        w.PutU32(static_cast<std::uint32_t>(TextBytes(a.info)));
        w.PutText(a.info);
    }
};

}  // namespace

std::vector<std::uint8_t> EncodeRequest(std::uint32_t id, const RequestArgs& args) {
    if (!std::visit(CountChecker{}, args)) {
        return {};
    }
    const std::size_t length = kHeaderSize + BodySize(args);
    if (length > std::numeric_limits<std::uint32_t>::max()) {
        return {};
    }
    std::vector<std::uint8_t> message(length);
    WireWriter writer(message);
    WriteHeader(writer, static_cast<std::uint32_t>(length), id);
    std::visit(BodyWriter{writer}, args);
    if (!writer.Complete()) {
        return {};
    }
    return message;
}

}  // namespace ipc
