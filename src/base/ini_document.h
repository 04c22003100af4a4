#pragma once

// An INI file as the private-profile functions see it. The document keeps the file's bytes and, per
// line, where its text and its line break are; an edit re-encodes only the line it changes and the rest
// of the file stays byte for byte. A line is decoded only when a lookup needs its text, so that a large
// file costs little more than one pass over its bytes.

#include <cstddef>
#include <cstdint>
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
    // The same, keeping the string rather than a copy of it.
    static IniDocument Parse(std::string&& bytes);

    // What Parse(bytes).Find(section, key) gives, without making a document of the bytes: for a single
    // read of a file.
    static std::optional<std::u16string> FindIn(std::string_view bytes, std::u16string_view section,
                                                std::u16string_view key);

    IniEncoding encoding() const { return encoding_; }

    // The value of key in the first section of that name, white space around it removed and quotes
    // kept. Nothing when the section or the key is missing or the key's line has no '='.
    std::optional<std::u16string> Find(std::u16string_view section, std::u16string_view key) const;

    // Rewrites the key's line as "name=value", or adds "key=value" after the last non-blank line of the
    // section, or adds the section and the key at the end of the file. The value's leading blanks are
    // dropped.
    void Set(std::u16string_view section, std::u16string_view key, std::u16string_view value);

    // The file's bytes: the lines as read, edited lines in the file's encoding.
    std::string Bytes() const;

  private:
    // Bytes of the file (own == false) or of the edits (own == true).
    struct Piece {
        std::size_t offset = 0;
        std::size_t size = 0;
        bool own = false;
    };
    struct Line {
        Piece content;    // without the line break
        Piece lineBreak;  // empty on a last line without one
    };

    std::string_view View(const Piece& piece) const;
    std::u16string Text(std::size_t line) const;
    bool OpensSection(std::size_t line) const;
    bool IsBlank(std::size_t line) const;
    Piece AddBytes(std::string_view bytes);
    std::string Encode(std::u16string_view text) const;
    std::optional<std::size_t> FindSection(std::u16string_view name) const;
    std::size_t SectionEnd(std::size_t header) const;
    std::optional<std::size_t> FindKey(std::size_t header, std::u16string_view name) const;
    void Replace(std::size_t index, std::u16string_view text);
    void Insert(std::size_t index, std::u16string_view text);

    IniEncoding encoding_ = IniEncoding::kAnsi;
    std::string file_;           // the bytes as read, the byte-order mark included
    std::string edits_;          // the bytes of edited and added lines and of added breaks
    std::size_t textStart_ = 0;  // where the first line starts: after the byte-order mark
    std::vector<Line> lines_;
    Piece newLine_;  // the break for added lines: the file's first one, else "\r\n"
};

}  // namespace base
