#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ipc {

// Where the Linux build keeps the socket of a pipe named \\.\pipe\NAME: /run/kvtmon/NAME for root, else
// RUNTIME/kvtmon/NAME when the user's runtime directory (XDG_RUNTIME_DIR) is set to an absolute path,
// else /tmp/kvtmon-UID/NAME. Both ends compute it alike. The "\\.\pipe\" prefix is matched without
// regard to case; NAME is kept as it is (a socket file name is case-sensitive, where Windows pipe names
// are not: both ends use one spelling).
struct PipeSocketLocation {
    std::string directory;  // created by the server, only its owner may enter it
    std::string path;       // the socket file
};

// False for a name without the prefix, an empty NAME, or a NAME that contains '/', "..", or NUL, or
// that is ".": none of them may leave the directory.
bool LocatePipeSocket(std::u16string_view pipeName, std::uint32_t uid, std::string_view runtimeDir,
                      PipeSocketLocation& location);

}  // namespace ipc
