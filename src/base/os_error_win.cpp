#include <windows.h>

#include "base/os_error.h"

namespace base {

std::uint32_t LastOsError() {
    return GetLastError();
}

void SetLastOsError(std::uint32_t error) {
    SetLastError(error);
}

}  // namespace base
