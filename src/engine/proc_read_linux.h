#pragma once

// Small readers of /proc for the Linux variants of the engine's system tables. /proc files report a
// size of 0, so they are read until the end.

#include <cstdint>
#include <string>

namespace engine {

// The whole file at `path`, relative to the directory `dirFd` (AT_FDCWD for an absolute path). 0, or
// the errno of the failed call.
std::uint32_t ReadProcFile(int dirFd, const char* path, std::string& text);

// The target of the symbolic link at `path`. 0, or the errno of the failed call.
std::uint32_t ReadProcLink(int dirFd, const char* path, std::string& target);

}  // namespace engine
