// The Linux INI writer edits in place as Windows does: only the key's line changes, everything else keeps
// its bytes. (Wine rewrites the whole file, so these run on Linux only.)

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/profile.h"
#include "support/temp_dir.h"

namespace {

using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

struct EditCase {
    const char* what;
    std::string before;
    std::u16string_view section;
    std::u16string_view key;
    std::u16string_view value;
    std::string after;
};

TEST(ProfileLinux, WriteKeepsEveryOtherByte) {
    using namespace std::string_literals;
    const std::vector<EditCase> cases = {
        {"blank lines, comments and layout around the key",
         "; top\r\n\r\n[a]\r\n  x = 1 ; c \r\n\r\n; n\r\ny = 3\r\n", u"a", u"x", u"2",
         "; top\r\n\r\n[a]\r\nx=2\r\n\r\n; n\r\ny = 3\r\n"},
        {"the key's name keeps its spelling", "[A]\r\n Key=1\r\n", u"a", u"KEY", u"2", "[A]\r\nKey=2\r\n"},
        {"a line without '='", "[a]\r\n k \r\nz=1\r\n", u"a", u"k", u"v", "[a]\r\nk=v\r\nz=1\r\n"},
        {"a new key goes after the section's last line, before blank lines",
         "[a]\r\nx=1\r\n; tail\r\n\r\n\r\n[b]\r\n", u"a", u"z", u"3",
         "[a]\r\nx=1\r\n; tail\r\nz=3\r\n\r\n\r\n[b]\r\n"},
        {"a new key in an empty last section without a break", "[a]\r\nx=1\r\n[b]", u"b", u"z", u"3",
         "[a]\r\nx=1\r\n[b]\r\nz=3\r\n"},
        {"LF line endings stay LF", "[a]\nx=1\n", u"a", u"y", u"2", "[a]\nx=1\ny=2\n"},
        {"CR line endings stay CR", "[a]\rx=1\r", u"b", u"y", u"2", "[a]\rx=1\r[b]\ry=2\r"},
        {"a file without any break gets CRLF", "[a]", u"a", u"y", u"2", "[a]\r\ny=2\r\n"},
        {"bytes that are no GBK stay as they were", "\x81\n[a]\r\nv=\xFF\xFE\x80\r\nx=1\r\n", u"a", u"x",
         u"2", "\x81\n[a]\r\nv=\xFF\xFE\x80\r\nx=2\r\n"},
        {"NUL bytes before the first section", "Data \0 before\r\n[s]\r\n"s, u"s", u"k", u"1",
         "Data \0 before\r\n[s]\r\nk=1\r\n"s},
        {"a UTF-8 byte-order mark is ANSI text: the new key is GBK", "\xEF\xBB\xBF[a]\r\nx=1\r\n", u"a", u"x",
         u"中", "\xEF\xBB\xBF[a]\r\nx=1\r\n[a]\r\nx=\xD6\xD0\r\n"},
        {"a header without ']' is a section", "[a\r\nx=1\r\n", u"a", u"x", u"2", "[a\r\nx=2\r\n"},
        {"UTF-16LE edits keep the rest", "\xFF\xFE;\0\n\0[\0a\0]\0\n\0x\0 \0=\0 \0\x31\0\n\0"s, u"a", u"x",
         u"\u4E2D", "\xFF\xFE;\0\n\0[\0a\0]\0\n\0x\0=\0\x2D\x4E\n\0"s},
        // Found by fuzzing: kept, the byte would shift every unit written after it.
        {"a stray odd last byte of UTF-16 goes when a line follows it", "\xFF\xFE;\0x\0\x41"s, u"a", u"k",
         u"1", "\xFF\xFE;\0x\0\r\0\n\0[\0a\0]\0\r\0\n\0k\0=\0\x31\0\r\0\n\0"s},
    };
    testing_support::TempDir dir;
    int next = 0;
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.what);
        const auto file = dir.File("edit" + std::to_string(next++) + ".ini");
        WriteFileBytes(file, c.before);
        ASSERT_TRUE(base::WriteIniString(c.section, c.key, c.value, file.u16string()));
        EXPECT_EQ(ReadFileBytes(file), c.after);
    }
}

TEST(ProfileLinux, ChoicesWhereWineIsNoGuide) {
    testing_support::TempDir dir;
    const auto file = dir.File("p.ini");
    // Wine hands out a comment as a key named ";k" and cuts "'abc'" to "ab" in a 4-character buffer.
    WriteFileBytes(file, "[a]\r\n;k=1\r\nq='abc'\r\n[b]x]\r\nk=2\r\n");
    EXPECT_EQ(base::ReadIniString(u"a", u";k", u"D", 64, file.u16string()), u"D");
    EXPECT_EQ(base::ReadIniString(u"a", u"q", u"D", 4, file.u16string()), u"abc");
    // A section name ends at its first ']' (Wine takes the last one).
    EXPECT_EQ(base::ReadIniString(u"b", u"k", u"D", 64, file.u16string()), u"2");
}

// Far more than one read's worth of bytes, lines without '=' before and inside the section: every byte
// is read and passed over, and an edit keeps every other one. (How fast this runs is a figure, printed by
// the end-to-end test of broken configuration files, not a pass/fail condition.)
TEST(ProfileLinux, ALargeFileIsReadAndEditedWhole) {
    testing_support::TempDir dir;
    const auto file = dir.File("large.ini");
    std::string filler;
    for (int i = 0; filler.size() < 3 * 1024 * 1024; ++i) {
        filler += "filler line " + std::to_string(i) + " \xD6\xD0\r\n";
    }
    const std::string before = "[first]\r\n" + filler + "[last]\r\n" + filler + "key=at the end\r\n";
    const std::string after = "[other]\r\nkey=7\r\n" + filler;
    WriteFileBytes(file, before + after);
    EXPECT_EQ(base::ReadIniString(u"LAST", u"key", u"D", 64, file.u16string()), u"at the end");
    EXPECT_EQ(base::ReadIniString(u"other", u"key", u"D", 64, file.u16string()), u"7");
    EXPECT_EQ(base::ReadIniInt(u"first", u"missing", 17, file.u16string()), 17u);
    ASSERT_TRUE(base::WriteIniString(u"last", u"key", u"changed", file.u16string()));
    EXPECT_EQ(ReadFileBytes(file),
              "[first]\r\n" + filler + "[last]\r\n" + filler + "key=changed\r\n" + after);
}

TEST(ProfileLinux, NothingReplacesWhatCannotBeRead) {
    testing_support::TempDir dir;
    std::filesystem::create_directory(dir.File("sub"));
    EXPECT_FALSE(base::WriteIniString(u"a", u"k", u"v", dir.File("sub").u16string()));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("sub")));
    EXPECT_EQ(base::ReadIniInt(u"a", u"k", 3, dir.File("sub").u16string()), 3u);
}

}  // namespace
