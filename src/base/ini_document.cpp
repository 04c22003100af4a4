#include "base/ini_document.h"

#include <initializer_list>

#include "base/text.h"

namespace base {
namespace {

constexpr std::string_view kUtf16ByteOrderMark = "\xFF\xFE";

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f';
}

std::u16string_view Trim(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::u16string Joined(std::initializer_list<std::u16string_view> parts) {
    std::u16string text;
    for (const std::u16string_view part : parts) {
        text.append(part);
    }
    return text;
}

char16_t FoldAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool SameName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// Blank lines and ';' comments are kOther; every other line that does not open a section is a key,
// with a value only when it holds '='.
enum class LineKind { kOther, kSection, kKey };

struct ParsedLine {
    LineKind kind = LineKind::kOther;
    std::u16string_view name;
    std::optional<std::u16string_view> value;
};

ParsedLine ParseLine(std::u16string_view text) {
    text = Trim(text);
    if (text.empty() || text.front() == u';') {
        return {};
    }
    if (text.front() == u'[') {
        // Text after the first ']' does not belong to the name; a header without ']' still counts.
        text.remove_prefix(1);
        return {LineKind::kSection, Trim(text.substr(0, text.find(u']'))), std::nullopt};
    }
    const std::size_t equals = text.find(u'=');
    if (equals == std::u16string_view::npos) {
        return {LineKind::kKey, text, std::nullopt};
    }
    return {LineKind::kKey, Trim(text.substr(0, equals)), Trim(text.substr(equals + 1))};
}

}  // namespace

IniDocument IniDocument::Parse(std::string_view bytes) {
    IniDocument doc;
    std::size_t unit = 1;
    if (bytes.substr(0, kUtf16ByteOrderMark.size()) == kUtf16ByteOrderMark) {
        doc.encoding_ = IniEncoding::kUtf16;
        doc.byteOrderMark_ = kUtf16ByteOrderMark;
        bytes.remove_prefix(kUtf16ByteOrderMark.size());
        unit = 2;
    }
    const auto unitAt = [&](std::size_t i) -> char16_t {
        const auto low = static_cast<unsigned char>(bytes[i]);
        return unit == 1 ? low : static_cast<char16_t>(low | static_cast<unsigned char>(bytes[i + 1]) << 8);
    };
    // An odd last byte of a UTF-16 file stays in the last line's bytes without being a character.
    const std::size_t whole = bytes.size() - bytes.size() % unit;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < whole) {
        const char16_t c = unitAt(i);
        if (c != u'\r' && c != u'\n') {
            i += unit;
            continue;
        }
        std::size_t end = i + unit;
        if (c == u'\r' && end < whole && unitAt(end) == u'\n') {
            end += unit;
        }
        const std::string_view content = bytes.substr(start, i - start);
        const std::string_view lineBreak = bytes.substr(i, end - i);
        doc.lines_.push_back({doc.Decode(content), std::string(content), std::string(lineBreak)});
        if (doc.newLine_.empty()) {
            doc.newLine_ = lineBreak;
        }
        start = i = end;
    }
    if (start < bytes.size()) {
        const std::string_view content = bytes.substr(start);
        doc.lines_.push_back({doc.Decode(content), std::string(content), {}});
    }
    if (doc.newLine_.empty()) {
        doc.newLine_ = doc.Encode(u"\r\n");
    }
    return doc;
}

std::optional<std::u16string_view> IniDocument::Find(std::u16string_view section,
                                                     std::u16string_view key) const {
    const std::optional<std::size_t> header = FindSection(Trim(section));
    if (!header) {
        return std::nullopt;
    }
    const std::optional<std::size_t> line = FindKey(*header, Trim(key));
    if (!line) {
        return std::nullopt;
    }
    return ParseLine(lines_[*line].text).value;
}

void IniDocument::Set(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
    section = Trim(section);
    key = Trim(key);
    // Leading blanks of the value are not stored (trailing ones are).
    while (!value.empty() && IsBlank(value.front())) {
        value.remove_prefix(1);
    }
    const std::optional<std::size_t> header = FindSection(section);
    if (!header) {
        Insert(lines_.size(), Joined({u"[", section, u"]"}));
        Insert(lines_.size(), Joined({key, u"=", value}));
        return;
    }
    if (const std::optional<std::size_t> line = FindKey(*header, key)) {
        // The name keeps its spelling from the file.
        const std::u16string name(ParseLine(lines_[*line].text).name);
        Replace(*line, Joined({name, u"=", value}));
        return;
    }
    // Blank lines that separate the section from the next one stay after the new key.
    std::size_t last = *header;
    const std::size_t end = SectionEnd(*header);
    for (std::size_t i = *header + 1; i < end; ++i) {
        if (!Trim(lines_[i].text).empty()) {
            last = i;
        }
    }
    Insert(last + 1, Joined({key, u"=", value}));
}

std::string IniDocument::Bytes() const {
    std::string bytes = byteOrderMark_;
    for (const Line& line : lines_) {
        bytes += line.content;
        bytes += line.lineBreak;
    }
    return bytes;
}

std::u16string IniDocument::Decode(std::string_view content) const {
    if (encoding_ == IniEncoding::kAnsi) {
        return GbkToUtf16(content);
    }
    std::u16string text;
    text.reserve(content.size() / 2);
    for (std::size_t i = 0; i + 1 < content.size(); i += 2) {
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(content[i]) |
                                             static_cast<unsigned char>(content[i + 1]) << 8));
    }
    return text;
}

std::string IniDocument::Encode(std::u16string_view text) const {
    if (encoding_ == IniEncoding::kAnsi) {
        return Utf16ToGbk(text);
    }
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (const char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

std::optional<std::size_t> IniDocument::FindSection(std::u16string_view name) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const ParsedLine parsed = ParseLine(lines_[i].text);
        if (parsed.kind == LineKind::kSection && SameName(parsed.name, name)) {
            return i;
        }
    }
    return std::nullopt;
}

std::size_t IniDocument::SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && ParseLine(lines_[i].text).kind != LineKind::kSection) {
        ++i;
    }
    return i;
}

std::optional<std::size_t> IniDocument::FindKey(std::size_t header, std::u16string_view name) const {
    const std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        const ParsedLine parsed = ParseLine(lines_[i].text);
        if (parsed.kind == LineKind::kKey && SameName(parsed.name, name)) {
            return i;
        }
    }
    return std::nullopt;
}

void IniDocument::Replace(std::size_t index, std::u16string text) {
    lines_[index].content = Encode(text);
    lines_[index].text = std::move(text);
}

void IniDocument::Insert(std::size_t index, std::u16string text) {
    // Only the file's last line can lack a break; a line added after it needs one first.
    if (index > 0 && lines_[index - 1].lineBreak.empty()) {
        Line& last = lines_[index - 1];
        // A stray odd byte at the end of a UTF-16 file is no character; followed by more text it would
        // shift every unit after it, so it goes.
        if (encoding_ == IniEncoding::kUtf16 && last.content.size() % 2 != 0) {
            last.content.pop_back();
        }
        last.lineBreak = newLine_;
    }
    Line line{std::move(text), {}, newLine_};
    line.content = Encode(line.text);
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index), std::move(line));
}

}  // namespace base
