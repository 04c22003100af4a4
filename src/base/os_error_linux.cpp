#include <cerrno>

#include "base/os_error.h"

namespace base {

std::uint32_t LastOsError() {
    return static_cast<std::uint32_t>(errno);
}

void SetLastOsError(std::uint32_t error) {
    errno = static_cast<int>(error);
}

}  // namespace base
