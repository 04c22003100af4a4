// Runs in both builds: on Linux against the project's INI reader and writer, in the Windows build against
// the system's private-profile functions (under Wine, the oracle for the Linux side).

#include "base/profile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/wine_check.h"

namespace {

using testing_support::Utf16LeFile;

constexpr std::u16string_view kDefault = u"DEF";

struct ReadCase {
    std::string file;
    std::u16string_view section, key, expected;
    std::size_t capacity = 64;
    std::u16string_view defaultValue = kDefault;
};

class Profile : public ::testing::Test {
  protected:
    // A file of its own for every case: Wine caches profiles by name.
    std::u16string NewPath() { return dir_.File("case" + std::to_string(next_++) + ".ini").u16string(); }
    std::u16string FileWith(std::string_view bytes) {
        const std::u16string path = NewPath();
        testing_support::WriteFileBytes(path, bytes);
        return path;
    }
    void CheckReads(const std::vector<ReadCase>& cases) {
        for (const ReadCase& c : cases) {
            SCOPED_TRACE(testing::PrintToString(c.file));
            EXPECT_EQ(base::ReadIniString(c.section, c.key, c.defaultValue, c.capacity, FileWith(c.file)),
                      c.expected);
        }
    }

    testing_support::TempDir dir_;
    int next_ = 0;
};

TEST_F(Profile, ReadsStringsLikeWindows) {
    CheckReads({
        // Names match without regard to case, blanks (tabs too) around names and values are trimmed.
        {"[Sec]\r\nKey=val\r\n", u"sEC", u"kEY", u"val"},
        {"[ Sec ]\r\n  Key  =  val  \r\n", u"sec", u"key", u"val"},
        {"[a]\r\nk\t=\tv\t\r\n", u"a", u"k", u"v"},
        {"[a]\r\nk=v\r\n", u" a ", u" k ", u"v"},
        {"[Sec] junk\r\nKey=val\r\n", u"sec", u"key", u"val"},
        // Only the first of duplicate sections is searched; the first of duplicate keys wins.
        {"[a]\r\nk=1\r\n[b]\r\n[a]\r\nk2=2\r\n", u"a", u"k2", kDefault},
        {"[a]\r\nk=1\r\nk=2\r\n", u"a", u"k", u"1"},
        // Neither ';' after a value nor '#' makes a comment.
        {"[a]\r\nk=1 ; c\r\n", u"a", u"k", u"1 ; c"},
        {"[a]\r\n#k=1\r\n", u"a", u"#k", u"1"},
        // A line without '=' is a key without a value, and hides a later duplicate.
        {"[a]\r\nk\r\n", u"a", u"k", kDefault},
        {"[a]\r\nk\r\nk=5\r\n", u"a", u"k", kDefault},
        {"[a]\r\nk=\r\n", u"a", u"k", u""},
        {"[a]\r\nk=1=2\r\n", u"a", u"k", u"1=2"},
        {"[a]\r\n[b]\r\nk=1\r\n", u"a", u"k", kDefault},
        {"[a]\nk=1\n", u"a", u"k", u"1"},
        {"[a]\rk=1\r", u"a", u"k", u"1"},
        {"[\xD6\xD0]\r\nk=\xCE\xC4\r\n", u"中", u"k", u"文"},
        {Utf16LeFile(u"[中]\r\n键=文本\r\n"), u"中", u"键", u"文本"},
        {"", u"a", u"k", kDefault},
        {"\xFF\xFE", u"a", u"k", kDefault},
        // A matching pair of quotes goes, before the cut; anything else stays.
        {"[a]\r\nk=\"v\"\r\n", u"a", u"k", u"v"},
        {"[a]\r\nk='v'\r\n", u"a", u"k", u"v"},
        {"[a]\r\nk= \" v \" \r\n", u"a", u"k", u" v "},
        {"[a]\r\nk=\"\"\r\n", u"a", u"k", u""},
        {"[a]\r\nk=\"v'\r\n", u"a", u"k", u"\"v'"},
        {"[a]\r\nk=\"\r\n", u"a", u"k", u"\""},
        // capacity - 1 characters fit, a GBK character counting once.
        {"[a]\r\nk='abcdef'\r\n", u"a", u"k", u"abc", 4},
        {"[a]\r\nk=abc\r\n", u"a", u"k", u"abc", 4},
        {"[a]\r\nk=abc\r\n", u"a", u"k", u"", 1},
        {"[a]\r\nk=\xD6\xD0\xCE\xC4\r\n", u"a", u"k", u"中", 2},
        // The default loses trailing blanks and quotes, and is cut too.
        {"[a]\r\n", u"a", u"k", u"one two", 64, u"one two  "},
        {"[a]\r\n", u"a", u"k", u"  x", 64, u"  x"},
        {"[a]\r\n", u"a", u"k", u"de", 3, u"defg"},
        {"[a]\r\n", u"a", u"k", u"de", 64, u"'de'"},
        {"[a]\r\n", u"a", u"k", u"", 64, u""},
    });
}

// Windows documents these; Wine reads a UTF-8 byte-order mark and drops a header without ']'.
TEST_F(Profile, ReadsLikeWindowsWhereWineDiffers) {
    if (testing_support::RunningUnderWine()) {
        GTEST_SKIP() << "Wine differs from Windows here";
    }
    CheckReads({
        {"\xEF\xBB\xBF[a]\r\nk=1\r\n", u"a", u"k", kDefault},
        {"[Sec\r\nKey=val\r\n", u"sec", u"key", u"val"},
        {"[a]\r\nk=1\r\n[b\r\nj=2\r\n", u"a", u"j", kDefault},
    });
}

TEST_F(Profile, ParsesIntegersLikeWindows) {
    const struct {
        std::string line;  // the key's line in section [a]
        std::int32_t defaultValue;
        std::uint32_t expected;
    } cases[] = {
        {"k=12", 7, 12},
        {"k=\"  7\"", 0, 7},
        {"k=-12", 7, 0xFFFFFFF4u},
        {"k=+12x", 7, 12},
        {"k=42A94967297", 7, 42},
        {"k=0x1A", 7, 26},
        {"k=0X1A", 7, 0},
        {"k=0b101", 7, 5},
        {"k=0o17", 7, 15},
        {"k=017", 7, 17},
        {"k=4294967297", 7, 1},
        {"k=", 7, 7},
        {"k=\"\"", 7, 7},
        {"k", 7, 7},
        {"other=1", -1, 0xFFFFFFFFu},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(base::ReadIniInt(u"a", u"k", c.defaultValue, FileWith("[a]\r\n" + c.line + "\r\n")),
                  c.expected);
    }
}

TEST_F(Profile, WritesKeysAndSections) {
    const struct {
        std::optional<std::string> before;  // no file when empty
        std::u16string_view section, key, value, reads;
        std::optional<std::string> after;  // the file's bytes, where Windows and Wine agree on them
    } cases[] = {
        {std::nullopt, u"App", u"key", u"v", u"v", "[App]\r\nkey=v\r\n"},
        {"", u"App", u"key", u"", u"", "[App]\r\nkey=\r\n"},
        {"[a]\r\nx=1\r\n[b]\r\ny=2\r\n", u"a", u"z", u"3", u"3", "[a]\r\nx=1\r\nz=3\r\n[b]\r\ny=2\r\n"},
        {"[a]\r\nx=1", u"b", u"z", u"3", u"3", "[a]\r\nx=1\r\n[b]\r\nz=3\r\n"},
        {"[a]\r\nx=1\r\ny=2\r\n", u"a", u"x", u"9", u"9", "[a]\r\nx=9\r\ny=2\r\n"},
        {"[a]\r\nk\r\n", u"a", u"k", u"9", u"9", {}},
        {"[a]\r\nx=1\r\n[a]\r\ny=2\r\n", u"a", u"y", u"5", u"5", "[a]\r\nx=1\r\ny=5\r\n[a]\r\ny=2\r\n"},
        {"[a]\r\nx=1\r\nx=2\r\n", u"a", u"x", u"5", u"5", "[a]\r\nx=5\r\nx=2\r\n"},
        {"[a]\r\n", u"a", u"x", u"  v  ", u"v", "[a]\r\nx=v  \r\n"},
        // A new file is ANSI (GBK); a UTF-16LE one stays UTF-16LE.
        {std::nullopt, u"设置", u"键", u"中文", u"中文",
         "[\xC9\xE8\xD6\xC3]\r\n\xBC\xFC=\xD6\xD0\xCE\xC4\r\n"},
        {Utf16LeFile(u"[a]\r\n"), u"a", u"k", u"中文", u"中文", Utf16LeFile(u"[a]\r\nk=中文\r\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.before));
        const std::u16string path = c.before ? FileWith(*c.before) : NewPath();
        ASSERT_TRUE(base::WriteIniString(c.section, c.key, c.value, path));
        EXPECT_EQ(base::ReadIniString(c.section, c.key, kDefault, 64, path), c.reads);
        if (c.after) {
            EXPECT_EQ(testing_support::ReadFileBytes(path), *c.after);
        }
    }
}

TEST_F(Profile, MissingFileReadsDefaultsAndMissingDirectoryFailsTheWrite) {
    EXPECT_EQ(base::ReadIniString(u"a", u"k", kDefault, 64, NewPath()), kDefault);
    EXPECT_EQ(base::ReadIniInt(u"a", u"k", 5000, NewPath()), 5000u);
    const std::filesystem::path missing = dir_.path() / "tmp";
    EXPECT_FALSE(base::WriteIniString(u"a", u"k", u"v", (missing / "kestrivonsetting.txt").u16string()));
    EXPECT_FALSE(std::filesystem::exists(missing));
}

}  // namespace
