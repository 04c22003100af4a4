#include "plugin/script_line.h"

#include <vector>

#include "ipc/monitor_message.h"
#include "plugin/time_text.h"

namespace console {
namespace {

bool IsDecimal(std::string_view text) {
    if (text.empty() || text.size() > 9) {
        return false;
    }
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The words after "raw": hex digits, two a byte, whole bytes grouped as one likes.
bool ParseHexWords(const std::vector<std::string>& words, std::vector<std::uint8_t>& bytes) {
    std::string digits;
    for (std::size_t i = 1; i < words.size(); ++i) {
        if (words[i].size() % 2 != 0) {
            return false;
        }
        digits += words[i];
    }
    if (digits.empty() || digits.size() % 2 != 0) {
        return false;
    }
    bytes.clear();
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        const int high = HexDigit(digits[i]);
        const int low = HexDigit(digits[i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return true;
}

}  // namespace

bool FindMonitorMessageId(std::string_view nameOrId, std::uint32_t& id) {
    if (IsDecimal(nameOrId)) {
        const auto value = static_cast<std::uint32_t>(std::stoul(std::string(nameOrId)));
        if (ipc::FindMonitorMessage(value) == nullptr) {
            return false;
        }
        id = value;
        return true;
    }
    for (const ipc::MonitorMessageInfo& info : ipc::MonitorMessageTable()) {
        if (EqualsIgnoringCase(info.name, nameOrId)) {
            id = info.id;
            return true;
        }
    }
    const ipc::RequestInfo* request = FindRequestByName(nameOrId);
    if (request != nullptr && request->answerId != 0) {
        id = request->answerId;
        return true;
    }
    return false;
}

bool ParseScriptLine(std::string_view line, const base::SystemTime& now, ScriptStep& step,
                     std::string& error) {
    step = ScriptStep{};
    const std::size_t first = line.find_first_not_of(" \t\r\n");
    if (first == line.npos || line[first] == '#') {
        return true;
    }
    std::vector<std::string> words;
    if (!SplitWords(line, words, error)) {
        return false;
    }
    if (words[0] == "wait") {
        if (words.size() != 2 || !ParseSecondsText(words[1], step.duration)) {
            error = "wait: write 'wait SECONDS' (for example 'wait 1.5')";
            return false;
        }
        step.kind = ScriptStep::Kind::kWait;
        return true;
    }
    if (words[0] == "pause-reading" || words[0] == "resume-reading") {
        if (words.size() != 1) {
            error = words[0] + ": takes no arguments";
            return false;
        }
        step.kind =
            words[0] == "pause-reading" ? ScriptStep::Kind::kPauseReading : ScriptStep::Kind::kResumeReading;
        return true;
    }
    if (words[0] == "raw") {
        if (!ParseHexWords(words, step.bytes)) {
            error =
                "raw: write 'raw HEX...' with two hex digits a byte (for example 'raw 09000000 13000000 01')";
            return false;
        }
        step.kind = ScriptStep::Kind::kRaw;
        return true;
    }
    if (words[0] == "wait-for") {
        if (words.size() < 2 || words.size() > 3) {
            error = "wait-for: write 'wait-for MESSAGE [SECONDS]' (a message name or id)";
            return false;
        }
        if (!FindMonitorMessageId(words[1], step.messageId)) {
            error = "wait-for: the monitor sends no message '" + words[1] + "' (--list shows them)";
            return false;
        }
        if (words.size() == 3) {
            if (!ParseSecondsText(words[2], step.duration)) {
                error = "wait-for: '" + words[2] + "' is not a number of seconds";
                return false;
            }
            step.hasTimeout = true;
        }
        step.kind = ScriptStep::Kind::kWaitFor;
        return true;
    }
    if (!ParseRequestWords(words, now, step.request, error)) {
        return false;
    }
    step.kind = ScriptStep::Kind::kRequest;
    return true;
}

}  // namespace console
