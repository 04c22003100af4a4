#pragma once

// What the engine asks the system about processes. Windows answers through OpenProcess, psapi, Tool
// Help and TerminateProcess; Linux through /proc/PID/exe, /proc/PID/stat and kill.

#include <cstdint>
#include <memory>
#include <string>

namespace engine {

// Terminate's answer when the process cannot be reached at all.
inline constexpr std::uint32_t kCannotOpenProcess = 1;

class IProcessSource {
public:
    virtual ~IProcessSource() = default;
    // The full path of the process's executable. 0, or the OS error of the step that failed.
    virtual std::uint32_t QueryImagePath(std::uint32_t pid, std::u16string& path) = 0;
    // The fallback of snapshots: the full path of the process's first module, or, when its modules
    // cannot be listed, the executable's file name alone. 0, or the OS error.
    virtual std::uint32_t QuerySnapshotName(std::uint32_t pid, std::u16string& name) = 0;
    // True while the process runs. A non-zero startStamp must equal the running process's stamp: a pid
    // taken over by a later process does not count as the same process.
    virtual bool IsRunning(std::uint32_t pid, std::uint64_t startStamp) = 0;
    // What tells this process from a later one with the same pid; 0 where the system offers nothing.
    virtual std::uint64_t StartStamp(std::uint32_t pid) = 0;
    // The system's own process ("System"): named, never tested for exit. 0xFFFFFFFF where there is none.
    virtual std::uint32_t KernelPid() const = 0;
    // Ends the process at once: 0, kCannotOpenProcess, or the OS error of the termination. A non-zero
    // startStamp that no longer matches counts as a process that cannot be reached.
    virtual std::uint32_t Terminate(std::uint32_t pid, std::uint64_t startStamp) = 0;
};

std::unique_ptr<IProcessSource> CreateProcessSource();

}  // namespace engine
