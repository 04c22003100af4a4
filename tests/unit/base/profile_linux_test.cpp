// The Linux INI reader and writer where Wine is no guide: Wine rewrites the whole file on every write,
// Windows edits in place, and so must we: only the key's line changes, every other byte stays.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/ini_document.h"
#include "base/profile.h"
#include "support/temp_dir.h"

namespace {

using namespace std::string_literals;
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
        {"[a]\r\nx=1\r\n[b]", u"b", u"z", u"3", "[a]\r\nx=1\r\n[b]\r\nz=3\r\n"},
        // Added lines take the file's first break; a file without one gets CRLF.
        {"[a]\nx=1\n", u"a", u"y", u"2", "[a]\nx=1\ny=2\n"},
        {"[a]\rx=1\r", u"b", u"y", u"2", "[a]\rx=1\r[b]\ry=2\r"},
        {"[a]", u"a", u"y", u"2", "[a]\r\ny=2\r\n"},
        {"\x81\n[a]\r\nv=\xFF\xFE\x80\r\nx=1\r\n", u"a", u"x", u"2",
         "\x81\n[a]\r\nv=\xFF\xFE\x80\r\nx=2\r\n"},
        {"Data \0 before\r\n[s]\r\n"s, u"s", u"k", u"1", "Data \0 before\r\n[s]\r\nk=1\r\n"s},
        // A UTF-8 byte-order mark is ANSI text that hides the first header; the new key is GBK.
        {"\xEF\xBB\xBF[a]\r\nx=1\r\n", u"a", u"x", u"中", "\xEF\xBB\xBF[a]\r\nx=1\r\n[a]\r\nx=\xD6\xD0\r\n"},
        {"[a\r\nx=1\r\n", u"a", u"x", u"2", "[a\r\nx=2\r\n"},
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
    EXPECT_TRUE(std::filesystem::is_directory(dir.path()));
    EXPECT_EQ(base::ReadIniInt(u"a", u"k", 3, dir.path().u16string()), 3u);
}

// Far more than one read's worth of bytes, lines without '=' before and inside the section: every byte
// is read and passed over, and an edit keeps every other one.
TEST(ProfileLinux, ALargeFileIsReadAndEditedWhole) {
    testing_support::TempDir dir;
    const auto file = dir.File("large.ini").u16string();
    std::string filler;
    for (int i = 0; filler.size() < 64 * 1024; ++i) {
        filler += "filler line " + std::to_string(i) + " \xD6\xD0\r\n";
    }
    const std::string head = "[first]\r\n" + filler + "[last]\r\n" + filler;
    const std::string tail = "[other]\r\nkey=7\r\n" + filler;
    WriteFileBytes(file, head + "key=at the end\r\n" + tail);
    EXPECT_EQ(base::ReadIniString(u"LAST", u"key", u"D", 64, file), u"at the end");
    EXPECT_EQ(base::ReadIniString(u"other", u"key", u"D", 64, file), u"7");
    EXPECT_EQ(base::ReadIniInt(u"first", u"missing", 17, file), 17u);
    ASSERT_TRUE(base::WriteIniString(u"last", u"key", u"changed", file));
    EXPECT_EQ(ReadFileBytes(file), head + "key=changed\r\n" + tail);
}

// The lookup straight from a file's bytes must find what the parsed document finds. Only what the
// profile reader's table (which reads through FindIn) leaves out.
TEST(IniDocument, LookupFromTheBytesFindsWhatTheDocumentFinds) {
    std::string ascii;  // '!' to '~': '=', ';', quotes and brackets in a value, nothing to trim
    std::u16string asciiText;
    for (char c = 0x21; c < 0x7F; ++c) {
        ascii.push_back(c);
        asciiText.push_back(static_cast<char16_t>(c));
    }
    const struct {
        std::string bytes;
        std::u16string section, key;
        std::optional<std::u16string> expected;
    } cases[] = {
        {"x=1\r\n[a]\r\ny=2\r\n", u"a", u"x", std::nullopt},  // a key before any section belongs to none
        {"", u"a", u"x", std::nullopt},
        {"[a]\r\nx\r\nx=2\r\n", u"a", u"x", std::nullopt},
        {"[a]\r\ny=1\r\n[b]\r\n[A]\r\nx=2\r\n", u"a", u"x", std::nullopt},
        {"[a]\r\nx=\"q\"\r\n", u"a", u"x", u"\"q\""},  // quotes are the reader's business
        {"[a]\r\nx=1", u"a", u"x", u"1"},
        {"\x81\xFF\r\n[a]\r\nv=\x80\xFF\r\nx=1\r\n", u"a", u"x", u"1"},
        // A '[' as the second byte of a GBK character opens no section.
        {"\xB0[b]\r\n[a]\r\nx=1\r\n[b]\r\nx=2\r\n", u"b", u"x", u"2"},
        {"\0[a]\r\n[a]\r\nx=\0y\r\n"s, u"a", u"x", u"\0y"s},
        {"\xEF\xBB\xBF[a]\r\nx=1\r\n[a]\r\nx=2\r\n", u"a", u"x", u"2"},
        {Utf16LeFile(u"\t[ A ]\nX=2\n"), u"a", u"x", u"2"},
        {Utf16LeFile(u"[a]\r\nx=1\u0A0Ay\r\n"), u"a", u"x",
         u"1\u0A0Ay"},  // units with a high byte are no breaks
        {Utf16LeFile(u"[a]\r\nx=12") + "\x41", u"a", u"x", u"12"},
        {"[s]\r\nk=" + ascii + "\r\n", u"s", u"k", asciiText},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        EXPECT_EQ(base::IniDocument::FindIn(c.bytes, c.section, c.key), c.expected);
        EXPECT_EQ(base::IniDocument::Parse(c.bytes).Find(c.section, c.key), c.expected);
    }
}

}  // namespace
