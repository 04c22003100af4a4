#pragma once

// Pure parsers of per-process texts of Linux's /proc.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace engine {

struct ProcStat {
    std::uint32_t pid = 0;
    std::string comm;             // the command name, at most 15 bytes, any characters
    char state = '?';             // R, S, D, Z, X, ...
    std::uint64_t startTime = 0;  // field 22: clock ticks after boot
};

// /proc/PID/stat: "pid (comm) state ppid ...". The command name may hold blanks and parentheses, so it
// ends at the last ')'. Nothing when the text is cut short or a field does not parse.
std::optional<ProcStat> ParseProcStat(std::string_view text);

// The hexadecimal mask of a "Name:\tHEX" line of /proc/PID/status, such as "CapEff".
std::optional<std::uint64_t> ParseStatusMask(std::string_view statusText, std::string_view name);

}  // namespace engine
