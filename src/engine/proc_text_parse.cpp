#include "engine/proc_text_parse.h"

#include <algorithm>

namespace engine {
namespace {

std::optional<std::uint64_t> ParseNumber(std::string_view text, unsigned base, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (char c : text) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else {
            return std::nullopt;
        }
        if (digit >= base) {
            return std::nullopt;
        }
        value = value * base + digit;
    }
    return value;
}

// The next blank-separated field of `text`, which loses it.
std::string_view NextField(std::string_view& text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    const std::size_t end = std::min(text.find_first_of(" \n"), text.size());
    const std::string_view field = text.substr(0, end);
    text.remove_prefix(end);
    return field;
}

}  // namespace

std::optional<ProcStat> ParseProcStat(std::string_view text) {
    const std::size_t open = text.find(" (");
    const std::size_t close = text.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open + 2) {
        return std::nullopt;
    }
    const auto pid = ParseNumber(text.substr(0, open), 10, 10);
    if (!pid || *pid > 0xFFFFFFFF) {
        return std::nullopt;
    }
    ProcStat stat;
    stat.pid = static_cast<std::uint32_t>(*pid);
    stat.comm.assign(text.substr(open + 2, close - open - 2));
    std::string_view rest = text.substr(close + 1);
    const std::string_view state = NextField(rest);
    if (state.size() != 1) {
        return std::nullopt;
    }
    stat.state = state.front();
    // Fields 4 (ppid) to 21 come before the start time.
    for (int field = 4; field <= 21; ++field) {
        if (NextField(rest).empty()) {
            return std::nullopt;
        }
    }
    const auto start = ParseNumber(NextField(rest), 10, 19);
    if (!start) {
        return std::nullopt;
    }
    stat.startTime = *start;
    return stat;
}

std::optional<std::uint64_t> ParseStatusMask(std::string_view statusText, std::string_view name) {
    while (!statusText.empty()) {
        const std::size_t end = std::min(statusText.find('\n'), statusText.size());
        std::string_view line = statusText.substr(0, end);
        statusText.remove_prefix(std::min(end + 1, statusText.size()));
        if (line.size() > name.size() && line.substr(0, name.size()) == name && line[name.size()] == ':') {
            line.remove_prefix(name.size() + 1);
            while (!line.empty() && (line.front() == '\t' || line.front() == ' ')) {
                line.remove_prefix(1);
            }
            return ParseNumber(line, 16, 16);
        }
    }
    return std::nullopt;
}

}  // namespace engine
