#pragma once

#include <cstdint>
#include <string>

#include "base/system_time.h"

namespace engine {

inline constexpr std::uint32_t kProcessListReserved = 0xFFFFFFFF;

// The sequence word of the process list push: 1 for the first process of a round, 2 for every later one.
constexpr std::uint32_t ProcessListSequenceOf(std::uint32_t index) {
    return index == 0 ? 1 : 2;
}

// One process of the process list push (id 83), field for field: the row the engine hands the plugin
// channel, which ipc turns into wire bytes.
struct ProcessListEntry {
    std::uint32_t sequence = 1;  // 1 for the first process of a round, 2 for every later one
    std::uint32_t index = 0;     // 0-based position in the round
    std::uint32_t state = 2;     // 2 running, 1 exited
    std::uint32_t reserved = kProcessListReserved;  // as received; the builder always sends 0xFFFFFFFF
    std::uint32_t portCount = 0;
    std::uint32_t pid = 0;
    std::uint64_t bytesUp = 0;
    std::uint64_t bytesDown = 0;
    base::SystemTime startTime;
    base::SystemTime exitTime;
    std::u16string name;  // cut to 259 characters on the wire
    std::u16string path;

    friend bool operator==(const ProcessListEntry&, const ProcessListEntry&) = default;
};

}  // namespace engine
