#pragma once

// The traffic log: the program's one diagnostic output, "traffic.log" beside the executable, emptied at
// every service start. One GBK line per event, stamped "[YYYY-MM-DD hh:mm:ss]". Every call is safe from
// any thread; while the log is closed, writes are dropped silently.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/system_time.h"

namespace base {

// A line holds at most this many bytes, stamp included.
inline constexpr std::size_t kTrafficLogLineLimit = 1023;

// Opens (creating or truncating) traffic.log in the program directory. False when the path cannot be
// formed or the file cannot be opened; the log then stays closed.
[[nodiscard]] bool OpenTrafficLog();
// The same for an explicit path (tests, tools).
[[nodiscard]] bool OpenTrafficLogAt(std::u16string_view path);

// Writes the stamp and the message as one line and flushes. The message carries its own line end. The
// thread's OS error (base::LastOsError) is the same after the call as before it.
void WriteTrafficLog(std::u16string_view message);
// Writes a fixed message whose one conversion, the "error no = %d" most lines end with, shows `osError`:
// the OS error the caller read where the failure happened.
void WriteTrafficLogError(const char* format, std::uint32_t osError);

void CloseTrafficLog();
bool IsTrafficLogOpen();

// The bytes written for one message at local time `now`: the stamp joined to the message in code page
// 936, cut to at most kTrafficLogLineLimit bytes without splitting a double-byte character.
std::string FormatTrafficLogLine(std::u16string_view message, const SystemTime& now);

}  // namespace base
