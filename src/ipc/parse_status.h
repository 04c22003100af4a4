#pragma once

#include <cstdint>

namespace ipc {

enum class ParseStatus : std::uint8_t {
    kOk,
    kBadFrame,   // shorter than a header, or the length field differs from the bytes received: dropped
    kUnknownId,  // not an id of this direction: ignored
    kMalformed,  // the id's layout check failed: answered with the failure value
};

const char* ParseStatusName(ParseStatus status);

}  // namespace ipc
