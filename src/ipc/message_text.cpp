#include "ipc/message_text.h"

#include <cstdio>

#include "base/text.h"

namespace ipc {
namespace {

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        text.push_back(kDigits[b >> 4]);
        text.push_back(kDigits[b & 0xF]);
    }
    return text;
}

struct ValueText {
    std::string operator()(std::uint64_t v) const { return std::to_string(v); }
    std::string operator()(std::int64_t v) const { return std::to_string(v); }
    std::string operator()(const std::u16string& v) const { return base::Utf16ToUtf8(v); }
    std::string operator()(const base::SystemTime& v) const { return FormatTimeText(v); }
    std::string operator()(const std::vector<std::uint8_t>& v) const { return Hex(v); }
};

bool IsNumber(const FieldValue& value) {
    return std::holds_alternative<std::uint64_t>(value) || std::holds_alternative<std::int64_t>(value);
}

}  // namespace

std::string FormatFieldValue(const FieldValue& value) {
    return std::visit(ValueText{}, value);
}

std::string FormatFieldJson(const FieldValue& value) {
    const std::string text = FormatFieldValue(value);
    return IsNumber(value) ? text : JsonQuote(text);
}

std::string FormatTimeText(const base::SystemTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", unsigned{t.year},
                  unsigned{t.month}, unsigned{t.day}, unsigned{t.hour}, unsigned{t.minute},
                  unsigned{t.second}, unsigned{t.milliseconds});
    return text;
}

std::string JsonQuote(std::string_view utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", unsigned{byte});
            out += escape;
        } else {
            out.push_back(c);
        }
    }
    out.push_back('"');
    return out;
}

std::string FormatMessageText(const DecodedMessage& message) {
    std::string text = message.name.empty() ? "id" : message.name;
    text += " (" + std::to_string(message.id) + ")";
    if (message.status != ParseStatus::kOk) {
        text += ": ";
        text += ParseStatusName(message.status);
    }
    text += "\n";
    for (const DecodedField& field : message.fields) {
        text += "  " + field.name + ": " + FormatFieldValue(field.value) + "\n";
    }
    return text;
}

std::string FormatMessageJson(const DecodedMessage& message) {
    std::string json = "{\"id\":" + std::to_string(message.id) + ",\"name\":" + JsonQuote(message.name) +
                       ",\"status\":" + JsonQuote(ParseStatusName(message.status)) + ",\"fields\":{";
    for (std::size_t i = 0; i < message.fields.size(); ++i) {
        if (i > 0) {
            json += ",";
        }
        json += JsonQuote(message.fields[i].name) + ":" + FormatFieldJson(message.fields[i].value);
    }
    json += "}}";
    return json;
}

}  // namespace ipc
