#pragma once

// The decoded bodies of plugin requests, one type per body layout. Texts are taken up to their first NUL
// or the end of their counted bytes.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "base/system_time.h"

namespace ipc {

struct NoArgs {
    friend bool operator==(const NoArgs&, const NoArgs&) = default;
};

// Start: the bytes that arrived of the byteCount announced, not interpreted.
struct StartArgs {
    std::vector<std::uint8_t> data;
    friend bool operator==(const StartArgs&, const StartArgs&) = default;
};

struct ByteArgs {
    std::uint8_t value = 0;
    friend bool operator==(const ByteArgs&, const ByteArgs&) = default;
};

struct U32Args {
    std::uint32_t value = 0;
    friend bool operator==(const U32Args&, const U32Args&) = default;
};

// SetAccelerateProcess, SetUnclearProcessName.
struct NameListArgs {
    std::u16string names;
    std::u16string separator;
    friend bool operator==(const NameListArgs&, const NameListArgs&) = default;
};

// The by-name queries.
struct NameArgs {
    std::u16string name;
    friend bool operator==(const NameArgs&, const NameArgs&) = default;
};

struct NameTimeRangeArgs {
    std::u16string name;
    base::SystemTime from;
    base::SystemTime to;
    friend bool operator==(const NameTimeRangeArgs&, const NameTimeRangeArgs&) = default;
};

struct PidTimeRangeArgs {
    std::uint32_t pid = 0;
    base::SystemTime from;
    base::SystemTime to;
    friend bool operator==(const PidTimeRangeArgs&, const PidTimeRangeArgs&) = default;
};

struct GameInfoArgs {
    std::uint32_t gameId = 0;
    std::u16string name;
    std::u16string info;
    friend bool operator==(const GameInfoArgs&, const GameInfoArgs&) = default;
};

using RequestArgs = std::variant<NoArgs, StartArgs, ByteArgs, U32Args, NameListArgs, NameArgs,
                                 NameTimeRangeArgs, PidTimeRangeArgs, GameInfoArgs>;

}  // namespace ipc
