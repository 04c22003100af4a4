#pragma once

// An INI file as the private-profile functions see it. The document keeps the exact bytes of every line,
// so that an edit re-encodes only the line it changes and the rest of the file stays byte for byte.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace base {

enum class IniEncoding { kAnsi, kUtf16 };

class IniDocument {
  public:
    // A file that starts with the UTF-16LE byte-order mark is UTF-16; anything else is in the ANSI code
    // page (GBK), a UTF-8 byte-order mark included. Lines end at "\r\n", "\n" or "\r".
    static IniDocument Parse(std::string_view bytes);

    IniEncoding encoding() const { return encoding_; }

    // The value of key in the first section of that name, white space around it removed and quotes
    // kept. Nothing when the section or the key is missing or the key's line has no '='. The view lives
    // as long as the document is not changed.
    std::optional<std::u16string_view> Find(std::u16string_view section, std::u16string_view key) const;

    // Rewrites the key's line as "name=value", or adds "key=value" after the last non-blank line of the
    // section, or adds the section and the key at the end of the file. The value's leading blanks are
    // dropped.
    void Set(std::u16string_view section, std::u16string_view key, std::u16string_view value);

    // The file's bytes: the lines as read, edited lines in the file's encoding.
    std::string Bytes() const;

  private:
    struct Line {
        std::u16string text;    // decoded, without the line break
        std::string content;    // the bytes of text as they are in the file
        std::string lineBreak;  // the bytes of the break; empty on a last line without one
    };

    std::u16string Decode(std::string_view content) const;
    std::string Encode(std::u16string_view text) const;
    std::optional<std::size_t> FindSection(std::u16string_view name) const;
    std::size_t SectionEnd(std::size_t header) const;
    std::optional<std::size_t> FindKey(std::size_t header, std::u16string_view name) const;
    void Replace(std::size_t index, std::u16string text);
    void Insert(std::size_t index, std::u16string text);

    IniEncoding encoding_ = IniEncoding::kAnsi;
    std::string byteOrderMark_;
    std::vector<Line> lines_;
    std::string newLine_;  // the break for added lines: the file's first one, else "\r\n"
};

}  // namespace base
