#pragma once

// Names and liveness of processes, as the port table and the process registry ask for them: the
// system's answers with the program's fall-backs, its names for the idle and system processes, and
// its log messages.

#include <cstdint>
#include <string>

#include "engine/process_source.h"

namespace engine {

// The result of a call with an invalid argument.
inline constexpr std::uint32_t kInvalidArgument = 0x80000003;
// Capacity, in characters, of a resolved path.
inline constexpr std::int32_t kProcessPathCapacity = 260;

inline constexpr std::uint32_t kIdlePid = 0;

class ProcessNames {
public:
    explicit ProcessNames(IProcessSource& source) : source_(source) {}

    // The full executable path of `pid` into `path`: 0, the OS error of the step that failed (the
    // snapshot fallback may still have given a name), or kInvalidArgument for a negative pid. The idle
    // and system processes get "System Idle Process" and "System" when nothing else names them.
    std::uint32_t GetProcessNameById(std::int32_t pid, std::u16string& path);

    // The snapshot fallback into `buffer` (at most capacity - 1 characters and a terminating 0):
    // 0, the OS error, or kInvalidArgument for a null buffer, a negative pid or a capacity below 1.
    std::uint32_t GetProcessNameByIdEx(std::int32_t pid, char16_t* buffer, std::int32_t capacity);

    // 1 while the process runs, 0 when it does not or the pid is negative.
    std::uint32_t IsPrcessActive(std::int32_t pid);
    // The same for a record: the pid must still belong to the process that was recorded.
    bool IsRecordActive(std::uint32_t pid, std::uint64_t startStamp) {
        return source_.IsRunning(pid, startStamp);
    }
    std::uint64_t StartStamp(std::uint32_t pid) { return source_.StartStamp(pid); }

    // The idle and system processes, and the empty record's pid: never tested for exit.
    bool IsSystemPid(std::uint32_t pid) const;

    IProcessSource& Source() { return source_; }

private:
    IProcessSource& source_;
};

// The executable file name of a path: the text after its last separator, the whole text without one.
std::u16string FileNameOfPath(const std::u16string& path);

}  // namespace engine
