#include "plugin/request_line.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

#include "base/text.h"
#include "plugin/time_text.h"

namespace console {
namespace {

using ipc::RequestInfo;
using ipc::RequestLayout;

enum class ArgKind { kByte, kU32, kText, kTime, kHex };

struct Argument {
    const char* key;
    ArgKind kind;
    bool optional;
};

// The fields of a request's body, named as the decoded messages name them.
std::vector<Argument> ArgumentsOf(const RequestInfo& info) {
    // A value the monitor does not read may be left out; it is sent as 0.
    const bool valueOptional = !info.checked;
    switch (info.layout) {
        case RequestLayout::kNone:
            return {};
        case RequestLayout::kStart:
            return {{"data", ArgKind::kHex, true}};
        case RequestLayout::kByte:
            return {{info.valueName, ArgKind::kByte, valueOptional}};
        case RequestLayout::kU32:
            return {{info.valueName, ArgKind::kU32, valueOptional}};
        case RequestLayout::kNameList:
            return {{"names", ArgKind::kText, false}, {"separator", ArgKind::kText, false}};
        case RequestLayout::kName:
            return {{"name", ArgKind::kText, false}};
        case RequestLayout::kNameTimeRange:
            return {{"name", ArgKind::kText, false},
                    {"from", ArgKind::kTime, false},
                    {"to", ArgKind::kTime, false}};
        case RequestLayout::kPidTimeRange:
            return {{"pid", ArgKind::kU32, false},
                    {"from", ArgKind::kTime, false},
                    {"to", ArgKind::kTime, false}};
        case RequestLayout::kGameInfo:
            return {{"gameId", ArgKind::kU32, false},
                    {"name", ArgKind::kText, false},
                    {"info", ArgKind::kText, false}};
    }
    return {};
}

const char* Placeholder(ArgKind kind) {
    switch (kind) {
        case ArgKind::kByte:
            return "0..255";
        case ArgKind::kU32:
            return "N";
        case ArgKind::kText:
            return "TEXT";
        case ArgKind::kTime:
            return "TIME";
        case ArgKind::kHex:
            return "HEX";
    }
    return "?";
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerText(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), Lower);
    return lower;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = Lower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Decimal, or hexadecimal after "0x".
std::optional<std::uint64_t> ParseUnsigned(std::string_view text, std::uint64_t max) {
    unsigned base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0 || static_cast<unsigned>(digit) >= base) {
            return std::nullopt;
        }
        const auto d = static_cast<std::uint64_t>(digit);
        if (value > (max - d) / base) {
            return std::nullopt;
        }
        value = value * base + d;
    }
    return value;
}

std::optional<std::vector<std::uint8_t>> ParseHex(std::string_view text) {
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return bytes;
}

std::size_t EditDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// A request without a name of its own is reached by its id alone.
bool HasName(const RequestInfo& info) {
    return info.name[0] != '(';
}

std::string UsageLine(const RequestInfo& info) {
    const std::string usage = RequestUsage(info);
    return std::string(HasName(info) ? info.name : std::to_string(info.id).c_str()) +
           (usage.empty() ? "" : " " + usage);
}

class ArgReader {
  public:
    ArgReader(const RequestInfo& info, const base::SystemTime& now, std::string& error)
        : info_(info), now_(now), error_(error), arguments_(ArgumentsOf(info)), values_(arguments_.size()) {}

    bool Read(std::span<const std::string> words) {
        for (const std::string& word : words) {
            const std::size_t equals = word.find('=');
            if (equals == std::string::npos || equals == 0) {
                return Fail("'" + word + "' is not NAME=VALUE");
            }
            std::string key = word.substr(0, equals);
            if (EqualsIgnoringCase(key, "sep")) {
                key = "separator";
            }
            const auto argument = std::find_if(arguments_.begin(), arguments_.end(), [&](const Argument& s) {
                return EqualsIgnoringCase(s.key, key);
            });
            if (argument == arguments_.end()) {
                return Fail(arguments_.empty() ? std::string("takes no arguments")
                                               : "unknown argument '" + key + "'");
            }
            auto& slot = values_[static_cast<std::size_t>(argument - arguments_.begin())];
            if (slot) {
                return Fail(std::string(argument->key) + " given twice");
            }
            slot = word.substr(equals + 1);
        }
        for (std::size_t i = 0; i < arguments_.size(); ++i) {
            if (!values_[i] && !arguments_[i].optional) {
                return Fail(std::string("missing ") + arguments_[i].key + "=" +
                            Placeholder(arguments_[i].kind));
            }
        }
        return true;
    }

    bool Build(ipc::RequestArgs& args) {
        switch (info_.layout) {
            case RequestLayout::kNone:
                args = ipc::NoArgs{};
                return true;
            case RequestLayout::kStart: {
                ipc::StartArgs a;
                if (!Hex(0, a.data)) {
                    return false;
                }
                args = a;
                return true;
            }
            case RequestLayout::kByte: {
                std::uint64_t v = 0;
                if (!Number(0, 0xFF, v)) {
                    return false;
                }
                args = ipc::ByteArgs{static_cast<std::uint8_t>(v)};
                return true;
            }
            case RequestLayout::kU32: {
                std::uint64_t v = 0;
                if (!Number(0, 0xFFFFFFFF, v)) {
                    return false;
                }
                args = ipc::U32Args{static_cast<std::uint32_t>(v)};
                return true;
            }
            case RequestLayout::kNameList:
                args = ipc::NameListArgs{Text(0), Text(1)};
                return true;
            case RequestLayout::kName:
                args = ipc::NameArgs{Text(0)};
                return true;
            case RequestLayout::kNameTimeRange: {
                ipc::NameTimeRangeArgs a;
                a.name = Text(0);
                if (!Time(1, a.from) || !Time(2, a.to)) {
                    return false;
                }
                args = a;
                return true;
            }
            case RequestLayout::kPidTimeRange: {
                ipc::PidTimeRangeArgs a;
                std::uint64_t pid = 0;
                if (!Number(0, 0xFFFFFFFF, pid) || !Time(1, a.from) || !Time(2, a.to)) {
                    return false;
                }
                a.pid = static_cast<std::uint32_t>(pid);
                args = a;
                return true;
            }
            case RequestLayout::kGameInfo: {
                std::uint64_t gameId = 0;
                if (!Number(0, 0xFFFFFFFF, gameId)) {
                    return false;
                }
                args = ipc::GameInfoArgs{static_cast<std::uint32_t>(gameId), Text(1), Text(2)};
                return true;
            }
        }
        return Fail("unsupported layout");
    }

  private:
    bool Fail(const std::string& problem) {
        error_ = std::string(HasName(info_) ? info_.name : std::to_string(info_.id).c_str()) + ": " +
                 problem + " (usage: " + UsageLine(info_) + ")";
        return false;
    }

    std::string Given(std::size_t i) const { return std::string(arguments_[i].key) + "=" + *values_[i]; }

    std::u16string Text(std::size_t i) const { return values_[i] ? base::Utf8ToUtf16(*values_[i]) : u""; }

    bool Number(std::size_t i, std::uint64_t max, std::uint64_t& value) {
        if (!values_[i]) {
            value = 0;
            return true;
        }
        const auto v = ParseUnsigned(*values_[i], max);
        if (!v) {
            return Fail(Given(i) + " is not a number from 0 to " + std::to_string(max));
        }
        value = *v;
        return true;
    }

    bool Time(std::size_t i, base::SystemTime& time) {
        if (!ParseTimeText(*values_[i], now_, time)) {
            return Fail(Given(i) + " is not a time: write YYYY-MM-DDTHH:MM:SS[.mmm], now, or now-N[s|m|h|d]");
        }
        return true;
    }

    bool Hex(std::size_t i, std::vector<std::uint8_t>& bytes) {
        if (!values_[i]) {
            return true;
        }
        auto parsed = ParseHex(*values_[i]);
        if (!parsed) {
            return Fail(Given(i) + " is not an even number of hex digits");
        }
        bytes = std::move(*parsed);
        return true;
    }

    const RequestInfo& info_;
    const base::SystemTime& now_;
    std::string& error_;
    std::vector<Argument> arguments_;
    std::vector<std::optional<std::string>> values_;
};

}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && LowerText(a) == LowerText(b);
}

bool SplitWords(std::string_view line, std::vector<std::string>& words, std::string& error) {
    words.clear();
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c != '"') {
                word.push_back(c);
            } else if (i + 1 < line.size() && line[i + 1] == '"') {
                word.push_back('"');
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
            inWord = true;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (inWord) {
                words.push_back(std::move(word));
                word.clear();
                inWord = false;
            }
        } else {
            word.push_back(c);
            inWord = true;
        }
    }
    if (quoted) {
        error = "unclosed quote";
        return false;
    }
    if (inWord) {
        words.push_back(std::move(word));
    }
    return true;
}

bool GroupRequestWords(std::span<const std::string> words, std::vector<std::vector<std::string>>& requests,
                       std::string& error) {
    requests.clear();
    for (const std::string& word : words) {
        if (word.find('=') == std::string::npos) {
            requests.push_back({word});
        } else if (requests.empty()) {
            error = "'" + word + "' comes before any request name";
            return false;
        } else {
            requests.back().push_back(word);
        }
    }
    return true;
}

const RequestInfo* FindRequestByName(std::string_view nameOrId) {
    if (const auto id = ParseUnsigned(nameOrId, 0xFFFFFFFF)) {
        return ipc::FindRequest(static_cast<std::uint32_t>(*id));
    }
    for (const RequestInfo& info : ipc::RequestTable()) {
        if (HasName(info) && EqualsIgnoringCase(info.name, nameOrId)) {
            return &info;
        }
    }
    return nullptr;
}

std::string SuggestRequestNames(std::string_view unknown) {
    const std::string wanted = LowerText(unknown);
    const std::size_t allowed = std::max<std::size_t>(2, wanted.size() / 4);
    std::vector<std::pair<std::size_t, const char*>> close;
    for (const RequestInfo& info : ipc::RequestTable()) {
        if (!HasName(info)) {
            continue;
        }
        const std::string name = LowerText(info.name);
        // A fragment of a name ("localdown") ranks with the nearest misses.
        const std::size_t distance =
            wanted.size() >= 4 && name.find(wanted) != std::string::npos ? 0 : EditDistance(wanted, name);
        if (distance <= allowed) {
            close.emplace_back(distance, info.name);
        }
    }
    std::stable_sort(close.begin(), close.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    // Only the nearest, and no more than three of them.
    if (!close.empty()) {
        const std::size_t best = close.front().first;
        std::erase_if(close, [best](const auto& c) { return c.first > best; });
    }
    if (close.size() > 3) {
        close.resize(3);
    }
    std::string text;
    for (std::size_t i = 0; i < close.size(); ++i) {
        if (i > 0) {
            text += i + 1 == close.size() ? " or " : ", ";
        }
        text += close[i].second;
    }
    return text;
}

std::string RequestUsage(const RequestInfo& info) {
    std::string usage;
    for (const Argument& argument : ArgumentsOf(info)) {
        if (!usage.empty()) {
            usage += ' ';
        }
        const std::string arg = std::string(argument.key) + "=" + Placeholder(argument.kind);
        usage += argument.optional ? "[" + arg + "]" : arg;
    }
    return usage;
}

bool ParseRequestWords(std::span<const std::string> words, const base::SystemTime& now, RequestCall& call,
                       std::string& error) {
    if (words.empty()) {
        error = "no request";
        return false;
    }
    const RequestInfo* info = FindRequestByName(words[0]);
    if (info == nullptr) {
        error = "unknown request '" + words[0] + "'";
        const std::string suggestion = SuggestRequestNames(words[0]);
        error += suggestion.empty() ? " (--list shows them all)" : "; did you mean " + suggestion + "?";
        return false;
    }
    ArgReader reader(*info, now, error);
    if (!reader.Read(words.subspan(1)) || !reader.Build(call.args)) {
        return false;
    }
    call.info = info;
    return true;
}

}  // namespace console
