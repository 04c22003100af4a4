#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>

#include "base/scoped_handle_linux.h"
#include "engine/proc_read_linux.h"

namespace engine {

std::uint32_t ReadProcFile(int dirFd, const char* path, std::string& text) {
    text.clear();
    const base::ScopedFd fd(openat(dirFd, path, O_RDONLY | O_CLOEXEC));
    if (!fd.IsValid()) {
        return static_cast<std::uint32_t>(errno);
    }
    char buffer[16384];
    std::uint32_t result = 0;
    for (;;) {
        const ssize_t n = read(fd.Get(), buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            result = static_cast<std::uint32_t>(errno);
            break;
        }
    }
    return result;
}

std::uint32_t ReadProcLink(int dirFd, const char* path, std::string& target) {
    char buffer[PATH_MAX];
    const ssize_t n = readlinkat(dirFd, path, buffer, sizeof buffer);
    if (n < 0) {
        target.clear();
        return static_cast<std::uint32_t>(errno);
    }
    target.assign(buffer, static_cast<std::size_t>(n));
    return 0;
}

}  // namespace engine
