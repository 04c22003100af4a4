#pragma once

#include <cstdint>

namespace base {

// The calling thread's last OS error: GetLastError() on Windows, errno on Linux. The traffic log's
// "error no = %d" shows it.
std::uint32_t LastOsError();

}  // namespace base
