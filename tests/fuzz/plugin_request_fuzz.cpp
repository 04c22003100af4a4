// Arbitrary bytes as one message received from the plugin.

#include <cstddef>
#include <cstdint>
#include <variant>

#include "fuzz/fuzz_check.h"
#include "ipc/message_header.h"
#include "ipc/request_parser.h"

namespace {

// Texts are UTF-16 taken from the message, so none can hold more units than half its bytes.
bool FitsIn(std::size_t units, std::size_t size) {
    return units * 2 <= size;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ipc::Bytes message(data, size);
    const auto header = ipc::ReadHeader(message);
    FUZZ_CHECK(header.has_value() == (size >= ipc::kHeaderSize));
    const auto frame = ipc::CheckFrame(message);
    if (frame) {
        FUZZ_CHECK(frame->length == size);
        FUZZ_CHECK(*frame == *header);
    }

    const ipc::ParsedRequest request = ipc::ParseRequest(message);
    FUZZ_CHECK((request.status == ipc::ParseStatus::kBadFrame) == !frame.has_value());
    if (request.status != ipc::ParseStatus::kBadFrame) {
        FUZZ_CHECK(request.id == frame->commandId);
    }
    if (!request.Ok()) {
        FUZZ_CHECK(std::holds_alternative<ipc::NoArgs>(request.args));
        return 0;
    }
    const std::size_t body = size - ipc::kHeaderSize;
    if (const auto* start = std::get_if<ipc::StartArgs>(&request.args)) {
        FUZZ_CHECK(start->data.size() <= body);
    } else if (const auto* names = std::get_if<ipc::NameListArgs>(&request.args)) {
        FUZZ_CHECK(FitsIn(names->names.size() + names->separator.size(), body));
    } else if (const auto* name = std::get_if<ipc::NameArgs>(&request.args)) {
        FUZZ_CHECK(FitsIn(name->name.size(), body));
    } else if (const auto* range = std::get_if<ipc::NameTimeRangeArgs>(&request.args)) {
        FUZZ_CHECK(FitsIn(range->name.size(), body));
    } else if (const auto* game = std::get_if<ipc::GameInfoArgs>(&request.args)) {
        FUZZ_CHECK(FitsIn(game->name.size() + game->info.size(), body));
    }
    return 0;
}
