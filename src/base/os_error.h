#pragma once

#include <cstdint>

namespace base {

// The calling thread's last OS error: GetLastError() on Windows, errno on Linux. The traffic log's
// "error no = %d" shows it.
std::uint32_t LastOsError();
// Sets it: a seam that fails without the OS setting it leaves its error where LastOsError finds it.
void SetLastOsError(std::uint32_t error);

}  // namespace base
