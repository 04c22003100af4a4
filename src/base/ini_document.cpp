#include "base/ini_document.h"

#include <algorithm>
#include <initializer_list>

#include "base/text.h"

namespace base {
namespace {

constexpr std::string_view kUtf16ByteOrderMark = "\xFF\xFE";

bool IsBlankUnit(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f';
}

std::u16string_view Trim(std::u16string_view text) {
    while (!text.empty() && IsBlankUnit(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlankUnit(text.back())) {
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

// The encoding of a file's bytes and the size of its code unit.
std::size_t UnitOf(IniEncoding encoding) {
    return encoding == IniEncoding::kUtf16 ? 2 : 1;
}

IniEncoding EncodingOf(std::string_view bytes) {
    return bytes.substr(0, kUtf16ByteOrderMark.size()) == kUtf16ByteOrderMark ? IniEncoding::kUtf16
                                                                              : IniEncoding::kAnsi;
}

char16_t UnitAt(std::string_view bytes, std::size_t i, std::size_t unit) {
    const auto low = static_cast<unsigned char>(bytes[i]);
    return unit == 1 ? low : static_cast<char16_t>(low | static_cast<unsigned char>(bytes[i + 1]) << 8);
}

// Calls onLine(contentStart, contentSize, breakSize) for each line of text (the bytes after the
// byte-order mark). An odd last byte of a UTF-16 file stays in the last line's content without being a
// character. onLine returns false to stop.
template <typename OnLine>
void ForEachLine(std::string_view text, std::size_t unit, OnLine onLine) {
    const std::size_t whole = text.size() - text.size() % unit;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        if (unit == 1) {
            end = std::min(text.find_first_of("\r\n", start), text.size());
        } else {
            while (end < whole && UnitAt(text, end, 2) != u'\r' && UnitAt(text, end, 2) != u'\n') {
                end += 2;
            }
            if (end >= whole) {
                end = text.size();
            }
        }
        std::size_t next = end;
        if (end < text.size()) {
            next += unit;
            if (UnitAt(text, end, unit) == u'\r' && next < whole && UnitAt(text, next, unit) == u'\n') {
                next += unit;
            }
        }
        if (!onLine(start, end - start, next - end)) {
            return;
        }
        start = next;
    }
}

// Only a line whose first character after blanks is '[' opens a section. ASCII is the same in GBK and
// a GBK character's first byte is never ASCII, so that character can be read from the bytes.
bool ContentOpensSection(std::string_view content, std::size_t unit) {
    std::size_t i = 0;
    while (i + unit <= content.size() && IsBlankUnit(UnitAt(content, i, unit))) {
        i += unit;
    }
    return i + unit <= content.size() && UnitAt(content, i, unit) == u'[';
}

bool ContentIsBlank(std::string_view content, std::size_t unit) {
    for (std::size_t i = 0; i + unit <= content.size(); i += unit) {
        if (!IsBlankUnit(UnitAt(content, i, unit))) {
            return false;
        }
    }
    return true;
}

std::u16string DecodeContent(std::string_view content, IniEncoding encoding) {
    if (encoding == IniEncoding::kAnsi) {
        // ASCII is the same in GBK: most lines need no converter.
        std::u16string text(content.size(), u'\0');
        for (std::size_t i = 0; i < content.size(); ++i) {
            const auto byte = static_cast<unsigned char>(content[i]);
            if (byte >= 0x80) {
                return GbkToUtf16(content);
            }
            text[i] = byte;
        }
        return text;
    }
    std::u16string text;
    text.reserve(content.size() / 2);
    for (std::size_t i = 0; i + 1 < content.size(); i += 2) {
        text.push_back(UnitAt(content, i, 2));
    }
    return text;
}

}  // namespace

IniDocument IniDocument::Parse(std::string_view bytes) {
    return Parse(std::string(bytes));
}

IniDocument IniDocument::Parse(std::string&& bytes) {
    IniDocument doc;
    doc.file_ = std::move(bytes);
    doc.encoding_ = EncodingOf(doc.file_);
    const std::size_t unit = UnitOf(doc.encoding_);
    // Room for every line at once: no break byte is missed, and a CRLF counts twice.
    doc.lines_.reserve(static_cast<std::size_t>(
        std::count_if(doc.file_.begin(), doc.file_.end(), [](char c) { return c == '\r' || c == '\n'; }) +
        1));
    doc.textStart_ = doc.encoding_ == IniEncoding::kUtf16 ? kUtf16ByteOrderMark.size() : 0;
    const std::string_view text = std::string_view(doc.file_).substr(doc.textStart_);
    bool haveNewLine = false;
    ForEachLine(text, unit, [&](std::size_t start, std::size_t size, std::size_t breakSize) {
        const std::size_t at = doc.textStart_ + start;
        doc.lines_.push_back({{at, size, false}, {at + size, breakSize, false}});
        if (!haveNewLine && breakSize > 0) {
            doc.newLine_ = {at + size, breakSize, false};
            haveNewLine = true;
        }
        return true;
    });
    if (!haveNewLine) {
        doc.newLine_ = doc.AddBytes(doc.Encode(u"\r\n"));
    }
    return doc;
}

std::optional<std::u16string> IniDocument::FindIn(std::string_view bytes, std::u16string_view section,
                                                  std::u16string_view key) {
    const IniEncoding encoding = EncodingOf(bytes);
    const std::size_t unit = UnitOf(encoding);
    const std::string_view text =
        bytes.substr(encoding == IniEncoding::kUtf16 ? kUtf16ByteOrderMark.size() : 0);
    section = Trim(section);
    key = Trim(key);
    bool inSection = false;
    std::optional<std::u16string> found;
    ForEachLine(text, unit, [&](std::size_t start, std::size_t size, std::size_t) {
        const std::string_view content = text.substr(start, size);
        const bool header = ContentOpensSection(content, unit);
        if (!header && !inSection) {
            return true;
        }
        if (header && inSection) {
            return false;  // only the first section of the name counts
        }
        const std::u16string decoded = DecodeContent(content, encoding);
        const ParsedLine parsed = ParseLine(decoded);
        if (header) {
            inSection = SameName(parsed.name, section);
            return true;
        }
        if (parsed.kind != LineKind::kKey || !SameName(parsed.name, key)) {
            return true;
        }
        if (parsed.value) {
            found.emplace(*parsed.value);
        }
        return false;  // the first key of the name counts, with or without a value
    });
    return found;
}

std::optional<std::u16string> IniDocument::Find(std::u16string_view section, std::u16string_view key) const {
    const std::optional<std::size_t> header = FindSection(Trim(section));
    if (!header) {
        return std::nullopt;
    }
    const std::optional<std::size_t> line = FindKey(*header, Trim(key));
    if (!line) {
        return std::nullopt;
    }
    const std::u16string text = Text(*line);
    const std::optional<std::u16string_view> value = ParseLine(text).value;
    if (!value) {
        return std::nullopt;
    }
    return std::u16string(*value);
}

void IniDocument::Set(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
    section = Trim(section);
    key = Trim(key);
    // Leading blanks of the value are not stored (trailing ones are).
    while (!value.empty() && IsBlankUnit(value.front())) {
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
        const std::u16string text = Text(*line);
        Replace(*line, Joined({ParseLine(text).name, u"=", value}));
        return;
    }
    // Blank lines that separate the section from the next one stay after the new key.
    std::size_t last = *header;
    const std::size_t end = SectionEnd(*header);
    for (std::size_t i = *header + 1; i < end; ++i) {
        if (!IsBlank(i)) {
            last = i;
        }
    }
    Insert(last + 1, Joined({key, u"=", value}));
}

std::string IniDocument::Bytes() const {
    std::string bytes;
    std::size_t size = textStart_;
    for (const Line& line : lines_) {
        size += line.content.size + line.lineBreak.size;
    }
    bytes.reserve(size);
    bytes.append(file_, 0, textStart_);
    for (const Line& line : lines_) {
        bytes += View(line.content);
        bytes += View(line.lineBreak);
    }
    return bytes;
}

std::string_view IniDocument::View(const Piece& piece) const {
    return std::string_view(piece.own ? edits_ : file_).substr(piece.offset, piece.size);
}

std::u16string IniDocument::Text(std::size_t line) const {
    return DecodeContent(View(lines_[line].content), encoding_);
}

bool IniDocument::OpensSection(std::size_t line) const {
    return ContentOpensSection(View(lines_[line].content), UnitOf(encoding_));
}

bool IniDocument::IsBlank(std::size_t line) const {
    return ContentIsBlank(View(lines_[line].content), UnitOf(encoding_));
}

IniDocument::Piece IniDocument::AddBytes(std::string_view bytes) {
    const Piece piece{edits_.size(), bytes.size(), true};
    edits_.append(bytes);
    return piece;
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
        if (OpensSection(i) && SameName(ParseLine(Text(i)).name, name)) {
            return i;
        }
    }
    return std::nullopt;
}

std::size_t IniDocument::SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && !OpensSection(i)) {
        ++i;
    }
    return i;
}

std::optional<std::size_t> IniDocument::FindKey(std::size_t header, std::u16string_view name) const {
    const std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        const std::u16string text = Text(i);
        const ParsedLine parsed = ParseLine(text);
        if (parsed.kind == LineKind::kKey && SameName(parsed.name, name)) {
            return i;
        }
    }
    return std::nullopt;
}

void IniDocument::Replace(std::size_t index, std::u16string_view text) {
    lines_[index].content = AddBytes(Encode(text));
}

void IniDocument::Insert(std::size_t index, std::u16string_view text) {
    // Only the file's last line can lack a break; a line added after it needs one first.
    if (index > 0 && lines_[index - 1].lineBreak.size == 0) {
        Line& last = lines_[index - 1];
        // A stray odd byte at the end of a UTF-16 file is no character; followed by more text it would
        // shift every unit after it, so it goes.
        if (encoding_ == IniEncoding::kUtf16 && last.content.size % 2 != 0) {
            --last.content.size;
        }
        last.lineBreak = newLine_;
    }
    const Line line{AddBytes(Encode(text)), newLine_};
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index), line);
}

}  // namespace base
