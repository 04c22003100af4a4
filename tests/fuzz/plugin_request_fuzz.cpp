// Arbitrary bytes as one message received from the plugin.

#include <cstddef>
#include <cstdint>
#include <variant>

#include "fuzz/fuzz_check.h"
#include "ipc/message_header.h"
#include "ipc/request_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ipc::Bytes message(data, size);
    const auto frame = ipc::CheckFrame(message);
    FUZZ_CHECK(!frame || frame->length == size);
    const ipc::ParsedRequest request = ipc::ParseRequest(message);
    FUZZ_CHECK((request.status == ipc::ParseStatus::kBadFrame) == !frame.has_value());
    FUZZ_CHECK(request.Ok() || std::holds_alternative<ipc::NoArgs>(request.args));
    // Texts are UTF-16 taken from the body, so none holds more units than half its bytes.
    const std::size_t body = size < ipc::kHeaderSize ? 0 : size - ipc::kHeaderSize;
    if (const auto* names = std::get_if<ipc::NameListArgs>(&request.args)) {
        FUZZ_CHECK((names->names.size() + names->separator.size()) * 2 <= body);
    } else if (const auto* game = std::get_if<ipc::GameInfoArgs>(&request.args)) {
        FUZZ_CHECK((game->name.size() + game->info.size()) * 2 <= body);
    } else if (const auto* start = std::get_if<ipc::StartArgs>(&request.args)) {
        FUZZ_CHECK(start->data.size() <= body);
    }
    return 0;
}
