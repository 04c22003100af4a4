#include "plugin/script_line.h"

#include <vector>

#include "ipc/monitor_message.h"
#include "plugin/time_text.h"

namespace plugin {
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

}  // namespace plugin
