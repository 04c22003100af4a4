#include <cerrno>

#include "base/os_error.h"

namespace base {

std::uint32_t LastOsError() {
    return static_cast<std::uint32_t>(errno);
}

}  // namespace base
