// The Linux INI reader and writer where Wine is no guide: Wine rewrites the whole file on every write,
// Windows edits in place, and so must we: only the key's line changes, every other byte stays.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "base/ini_document.h"
#include "base/profile.h"
#include "support/temp_dir.h"

namespace {

using testing_support::ReadFileBytes;
using testing_support::Utf16LeFile;
using testing_support::WriteFileBytes;

TEST(ProfileLinux, WriteKeepsEveryOtherByte) {
    const struct {
        std::string before;
        std::u16string_view section, key, value;
        std::string after;
    } cases[] = {
        {"; top\r\n\r\n[a]\r\n  x = 1 ; c \r\n\r\n; n\r\ny = 3\r\n", u"a", u"x", u"2",
         "; top\r\n\r\n[a]\r\nx=2\r\n\r\n; n\r\ny = 3\r\n"},
        {"[A]\r\n Key=1\r\n", u"a", u"KEY", u"2", "[A]\r\nKey=2\r\n"},  // the name keeps its spelling
        {"[a]\r\n k \r\nz=1\r\n", u"a", u"k", u"v", "[a]\r\nk=v\r\nz=1\r\n"},
        // A new key goes after the section's last non-blank line, one character long here.
        {"[a]\r\nx=1\r\n;\r\n\r\n\r\n[b]\r\n", u"a", u"z", u"3", "[a]\r\nx=1\r\n;\r\nz=3\r\n\r\n\r\n[b]\r\n"},
        // Added lines take the file's first break; a file without one gets CRLF.
        {"[a]\nx=1\n", u"a", u"y", u"2", "[a]\nx=1\ny=2\n"},
        {"[a]\rx=1\r", u"b", u"y", u"2", "[a]\rx=1\r[b]\ry=2\r"},
        {"[a]", u"a", u"y", u"2", "[a]\r\ny=2\r\n"},
        {"\x81\n[a]\r\nv=\xFF\xFE\x80\r\nx=1\r\n", u"a", u"x", u"2",
         "\x81\n[a]\r\nv=\xFF\xFE\x80\r\nx=2\r\n"},
        // A UTF-8 byte-order mark is ANSI text that hides the first header; the new key is GBK.
        {"\xEF\xBB\xBF[a]\r\nx=1\r\n", u"a", u"x", u"中", "\xEF\xBB\xBF[a]\r\nx=1\r\n[a]\r\nx=\xD6\xD0\r\n"},
        {Utf16LeFile(u";\n[a]\nx = 1\n"), u"a", u"x", u"中", Utf16LeFile(u";\n[a]\nx=中\n")},
        // Found by fuzzing: a stray odd last byte of UTF-16 would shift every unit written after it.
        {Utf16LeFile(u";x") + "\x41", u"a", u"k", u"1", Utf16LeFile(u";x\r\n[a]\r\nk=1\r\n")},
    };
    testing_support::TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.before));
        const auto file = dir.File("edit.ini");
        WriteFileBytes(file, c.before);
        ASSERT_TRUE(base::WriteIniString(c.section, c.key, c.value, file.u16string()));
        EXPECT_EQ(ReadFileBytes(file), c.after);
    }
}

TEST(ProfileLinux, ChoicesWhereWineIsNoGuide) {
    testing_support::TempDir dir;
    const auto file = dir.File("p.ini").u16string();
    // Wine hands out a comment as a key named ";k", cuts "'abc'" to "ab" in a 4-character buffer and ends
    // a section name at its last ']'.
    WriteFileBytes(file, "[a]\r\n;k=1\r\nq='abc'\r\n[b]x]\r\nk=2\r\n");
    EXPECT_EQ(base::ReadIniString(u"a", u";k", u"D", 64, file), u"D");
    EXPECT_EQ(base::ReadIniString(u"a", u"q", u"D", 4, file), u"abc");
    EXPECT_EQ(base::ReadIniString(u"b", u"k", u"D", 64, file), u"2");
    // A directory is neither read nor replaced.
    EXPECT_FALSE(base::WriteIniString(u"a", u"k", u"v", dir.path().u16string()));
    EXPECT_EQ(base::ReadIniInt(u"a", u"k", 3, dir.path().u16string()), 3u);
    // More than one read's worth of bytes: the reader sizes its buffer once and reads on where it was.
    WriteFileBytes(file, "[a]\r\n;" + std::string(20000, 'x') + "\r\nk=1\r\n");
    EXPECT_EQ(base::ReadIniString(u"a", u"k", u"D", 64, file), u"1");
}

// The profile reader looks keys up straight in the file's bytes; the fuzz target holds that lookup to
// what the parsed document finds.
TEST(IniDocument, LookupReadsLinesFromTheBytes) {
    // A '[' as the second byte of a GBK character opens no section.
    EXPECT_EQ(base::IniDocument::FindIn("\xB0[b]\r\n[a]\r\nx=1\r\n[b]\r\nx=2\r\n", u"b", u"x"), u"2");
    // A UTF-16 unit made of line-break bytes is no break; a stray odd last byte is no unit.
    EXPECT_EQ(base::IniDocument::FindIn(Utf16LeFile(u"[a]\r\nx=1\u0A0Ay\r\n"), u"a", u"x"), u"1\u0A0Ay");
    EXPECT_EQ(base::IniDocument::FindIn(Utf16LeFile(u"[a]\r\nx=12") + "\x41", u"a", u"x"), u"12");
}

}  // namespace
