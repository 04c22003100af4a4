#include "plugin/message_line.h"

#include <cstdio>

#include "ipc/message_text.h"
#include "plugin/time_text.h"

namespace console {
namespace {

std::string QuoteIfNeeded(const std::string& text) {
    bool quote = text.empty();
    std::string shown;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", unsigned{byte});
            shown += escape;
            quote = true;
        } else if (c == '"') {
            shown += "\"\"";
            quote = true;
        } else {
            quote = quote || c == ' ';
            shown.push_back(c);
        }
    }
    return quote ? "\"" + shown + "\"" : shown;
}

std::string TextLine(const ipc::DecodedMessage& message, std::size_t size) {
    std::string line = message.name.empty() ? "id" : message.name;
    line += " (" + std::to_string(message.id) + ")";
    if (message.status != ipc::ParseStatus::kOk) {
        line += ": ";
        line += ipc::ParseStatusName(message.status);
        line += ", " + std::to_string(size) + " bytes";
    }
    for (const ipc::DecodedField& field : message.fields) {
        const std::string value = ipc::FormatFieldValue(field.value);
        line += " " + field.name + "=" +
                (std::holds_alternative<std::u16string>(field.value) ? QuoteIfNeeded(value) : value);
    }
    return line;
}

}  // namespace

std::string FormatMessageLine(const ipc::DecodedMessage& message, std::size_t size,
                              const base::SystemTime& at, Direction direction, OutputFormat format) {
    const std::string time = FormatTimeText(at);
    if (format == OutputFormat::kText) {
        return time + (direction == Direction::kReceived ? " < " : " > ") + TextLine(message, size);
    }
    std::string json = "{\"time\":" + ipc::JsonQuote(time) + ",\"dir\":\"" +
                       (direction == Direction::kReceived ? "in" : "out") + "\",";
    if (message.status != ipc::ParseStatus::kOk) {
        json += "\"size\":" + std::to_string(size) + ",";
    }
    // FormatMessageJson gives one object; its members follow ours.
    json += ipc::FormatMessageJson(message).substr(1);
    return json;
}

}  // namespace console
