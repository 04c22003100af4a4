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

constexpr std::size_t kCapacity = 64;
constexpr std::u16string_view kDefault = u"DEF";

std::string Utf16File(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

struct ReadCase {
    const char* what;
    std::string file;
    std::u16string_view section;
    std::u16string_view key;
    std::u16string_view expected;
};

class Profile : public ::testing::Test {
  protected:
    // A file of its own for every case: Wine caches profiles by name.
    std::u16string NewPath() { return dir_.File("case" + std::to_string(next_++) + ".ini").u16string(); }
    std::u16string FileWith(std::string_view bytes) {
        const std::u16string path = NewPath();
        testing_support::WriteFileBytes(std::filesystem::path(path), bytes);
        return path;
    }
    std::string BytesOf(const std::u16string& path) {
        return testing_support::ReadFileBytes(std::filesystem::path(path));
    }
    void CheckReads(const std::vector<ReadCase>& cases) {
        for (const ReadCase& c : cases) {
            SCOPED_TRACE(c.what);
            EXPECT_EQ(base::ReadIniString(c.section, c.key, kDefault, kCapacity, FileWith(c.file)),
                      c.expected);
        }
    }

    testing_support::TempDir dir_;
    int next_ = 0;
};

TEST_F(Profile, FindsSectionsAndKeysLikeWindows) {
    const std::vector<ReadCase> cases = {
        {"names match without regard to case", "[Sec]\r\nKey=val\r\n", u"sEC", u"kEY", u"val"},
        {"blanks around names and values are trimmed", "[ Sec ]\r\n  Key  =  val  \r\n", u"sec", u"key",
         u"val"},
        {"tabs are blanks", "[a]\r\nk\t=\tv\t\r\n", u"a", u"k", u"v"},
        {"the caller's names are trimmed", "[a]\r\nk=v\r\n", u" a ", u" k ", u"v"},
        {"text after ']' is ignored", "[Sec] junk\r\nKey=val\r\n", u"sec", u"key", u"val"},
        {"only the first of duplicate sections is searched", "[a]\r\nk=1\r\n[b]\r\n[a]\r\nk2=2\r\n", u"a",
         u"k2", kDefault},
        {"the first of duplicate keys wins", "[a]\r\nk=1\r\nk=2\r\n", u"a", u"k", u"1"},
        {"a ';' line is a comment", "[a]\r\n;k=1\r\nk=2\r\n", u"a", u"k", u"2"},
        {"an indented ';' line is a comment", "[a]\r\n  ;k=1\r\nk=2\r\n", u"a", u"k", u"2"},
        {"a later ';' is part of the value", "[a]\r\nk=1 ; c\r\n", u"a", u"k", u"1 ; c"},
        {"'#' is not special", "[a]\r\n#k=1\r\n", u"a", u"#k", u"1"},
        {"a line without '=' has no value", "[a]\r\nk\r\n", u"a", u"k", kDefault},
        {"a line without '=' hides a later duplicate", "[a]\r\nk\r\nk=5\r\n", u"a", u"k", kDefault},
        {"an empty value is not the default", "[a]\r\nk=\r\n", u"a", u"k", u""},
        {"the value runs from the first '='", "[a]\r\nk=1=2\r\n", u"a", u"k", u"1=2"},
        {"a key of the next section is not found", "[a]\r\n[b]\r\nk=1\r\n", u"a", u"k", kDefault},
        {"a missing section", "[a]\r\nk=1\r\n", u"b", u"k", kDefault},
        {"lines ending in LF", "[a]\nk=1\n", u"a", u"k", u"1"},
        {"lines ending in CR", "[a]\rk=1\r", u"a", u"k", u"1"},
        {"GBK names and values", "[\xD6\xD0]\r\nk=\xCE\xC4\r\n", u"中", u"k", u"文"},
        {"a UTF-16LE file", Utf16File(u"[中]\r\n键=文本\r\n"), u"中", u"键", u"文本"},
        {"an empty file", "", u"a", u"k", kDefault},
        {"a UTF-16LE file with only its byte-order mark", "\xFF\xFE", u"a", u"k", kDefault},
    };
    CheckReads(cases);
}

TEST_F(Profile, StripsMatchingQuotesOnly) {
    const std::vector<ReadCase> cases = {
        {"double quotes", "[a]\r\nk=\"v\"\r\n", u"a", u"k", u"v"},
        {"single quotes", "[a]\r\nk='v'\r\n", u"a", u"k", u"v"},
        {"blanks inside the quotes stay", "[a]\r\nk= \" v \" \r\n", u"a", u"k", u" v "},
        {"an empty pair", "[a]\r\nk=\"\"\r\n", u"a", u"k", u""},
        {"mismatched quotes stay", "[a]\r\nk=\"v'\r\n", u"a", u"k", u"\"v'"},
        {"a lone quote stays", "[a]\r\nk=\"\r\n", u"a", u"k", u"\""},
        {"a closing quote alone stays", "[a]\r\nk=v\"\r\n", u"a", u"k", u"v\""},
        {"text after the closing quote keeps both", "[a]\r\nk=\"v\" x\r\n", u"a", u"k", u"\"v\" x"},
    };
    CheckReads(cases);
}

TEST_F(Profile, MissingFileGivesDefaults) {
    const std::u16string path = NewPath();
    EXPECT_EQ(base::ReadIniString(u"a", u"k", kDefault, kCapacity, path), kDefault);
    EXPECT_EQ(base::ReadIniInt(u"a", u"k", 5000, path), 5000u);
    const std::u16string noDirectory = (dir_.path() / "missing" / "x.ini").u16string();
    EXPECT_EQ(base::ReadIniString(u"a", u"k", u"", kCapacity, noDirectory), u"");
}

struct CutCase {
    const char* what;
    std::string file;
    std::u16string_view defaultValue;
    std::size_t capacity;
    std::u16string_view expected;
};

TEST_F(Profile, CutsToCapacityAndTrimsTheDefault) {
    const std::vector<CutCase> cases = {
        {"a long value is cut to capacity - 1", "[a]\r\nk=abcdefgh\r\n", kDefault, 4, u"abc"},
        {"a value that fits exactly", "[a]\r\nk=abc\r\n", kDefault, 4, u"abc"},
        {"capacity 1 holds nothing", "[a]\r\nk=abc\r\n", kDefault, 1, u""},
        {"a 20-character buffer holds 19", "[a]\r\nk=0123456789abcdefghijklmn\r\n", kDefault, 20,
         u"0123456789abcdefghi"},
        {"GBK characters count once", "[a]\r\nk=\xD6\xD0\xCE\xC4\r\n", kDefault, 2, u"中"},
        {"quotes go before the cut", "[a]\r\nk='abcdef'\r\n", kDefault, 4, u"abc"},
        {"the default loses trailing blanks", "[a]\r\n", u"one two  ", kCapacity, u"one two"},
        {"the default keeps leading blanks", "[a]\r\n", u"  x", kCapacity, u"  x"},
        {"the default is cut too", "[a]\r\n", u"defg", 3, u"de"},
        {"the default loses its quotes", "[a]\r\n", u"'de'", kCapacity, u"de"},
        {"an empty default", "[a]\r\n", u"", kCapacity, u""},
    };
    for (const CutCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::u16string path = FileWith(c.file);
        EXPECT_EQ(base::ReadIniString(u"a", u"k", c.defaultValue, c.capacity, path), c.expected);
    }
}

struct IntCase {
    const char* what;
    std::string line;  // the key's line in section [a], without its break
    std::int32_t defaultValue;
    std::uint32_t expected;
};

TEST_F(Profile, ParsesIntegersLikeWindows) {
    const std::vector<IntCase> cases = {
        {"decimal", "k=12", 7, 12},
        {"blanks before the value are trimmed", "k= \t12", 7, 12},
        {"blanks inside quotes are skipped", "k=\"  7\"", 0, 7},
        {"quotes are removed", "k='12'", 0, 12},
        {"minus", "k=-12", 7, 0xFFFFFFF4u},
        {"plus, stopping at a letter", "k=+12x", 7, 12},
        {"stops at the first non-digit", "k=42A94967297", 7, 42},
        {"hexadecimal", "k=0x1A", 7, 26},
        {"an upper-case X is not a prefix", "k=0X1A", 7, 0},
        {"negative hexadecimal", "k=-0x10", 7, 0xFFFFFFF0u},
        {"binary prefix", "k=0b101", 7, 5},
        {"octal prefix", "k=0o17", 7, 15},
        {"a leading zero is still decimal", "k=017", 7, 17},
        {"wraps past 2^32", "k=4294967297", 7, 1},
        {"2^31 is not clamped", "k=2147483648", 7, 0x80000000u},
        {"negative wrap", "k=-4294967297", 7, 0xFFFFFFFFu},
        {"no digits gives 0", "k=abc", 7, 0},
        {"a blank after the sign stops", "k=- 5", 7, 0},
        {"an empty value gives the default", "k=", 7, 7},
        {"an empty quoted value gives the default", "k=\"\"", 7, 7},
        {"a line without '=' gives the default", "k", 7, 7},
        {"a missing key gives the default", "other=1", 7, 7},
        {"a negative default comes back as unsigned", "other=1", -1, 0xFFFFFFFFu},
    };
    for (const IntCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::u16string path = FileWith("[a]\r\n" + c.line + "\r\n");
        EXPECT_EQ(base::ReadIniInt(u"a", u"k", c.defaultValue, path), c.expected);
    }
}

struct Probe {
    std::u16string_view section;
    std::u16string_view key;
    std::u16string_view expected;
};

struct WriteCase {
    const char* what;
    std::optional<std::string> before;  // no file when empty
    std::u16string_view section;
    std::u16string_view key;
    std::u16string_view value;
    std::vector<Probe> reads;          // what reads give afterwards
    std::optional<std::string> after;  // the file's bytes, where Windows and Wine agree on them
};

TEST_F(Profile, WritesKeysAndSections) {
    // clang-format off
    const std::vector<WriteCase> cases = {
        {"a new file", std::nullopt, u"App", u"key", u"v", {{u"App", u"key", u"v"}}, "[App]\r\nkey=v\r\n"},
        {"an empty file and an empty value", "", u"App", u"key", u"", {{u"App", u"key", u""}},
         "[App]\r\nkey=\r\n"},
        {"a key added to its section", "[a]\r\nx=1\r\n[b]\r\ny=2\r\n", u"a", u"z", u"3",
         {{u"a", u"z", u"3"}, {u"a", u"x", u"1"}, {u"b", u"y", u"2"}}, "[a]\r\nx=1\r\nz=3\r\n[b]\r\ny=2\r\n"},
        {"a section added after a last line without a break", "[a]\r\nx=1", u"b", u"z", u"3",
         {{u"b", u"z", u"3"}, {u"a", u"x", u"1"}}, "[a]\r\nx=1\r\n[b]\r\nz=3\r\n"},
        {"a key changed", "[a]\r\nx=1\r\ny=2\r\n", u"a", u"x", u"9", {{u"a", u"x", u"9"}, {u"a", u"y", u"2"}},
         "[a]\r\nx=9\r\ny=2\r\n"},
        {"names matched without regard to case", "[A]\r\nX=1\r\n", u"a", u"x", u"9", {{u"A", u"X", u"9"}},
         {}},
        {"a line without '=' takes the value", "[a]\r\nk\r\n", u"a", u"k", u"9", {{u"a", u"k", u"9"}}, {}},
        {"the first of duplicate sections takes a new key", "[a]\r\nx=1\r\n[a]\r\ny=2\r\n", u"a", u"y", u"5",
         {{u"a", u"y", u"5"}}, "[a]\r\nx=1\r\ny=5\r\n[a]\r\ny=2\r\n"},
        {"the first of duplicate keys changes", "[a]\r\nx=1\r\nx=2\r\n", u"a", u"x", u"5",
         {{u"a", u"x", u"5"}}, "[a]\r\nx=5\r\nx=2\r\n"},
        {"the value loses leading blanks only", "[a]\r\n", u"a", u"x", u"  v  ", {{u"a", u"x", u"v"}},
         "[a]\r\nx=v  \r\n"},
        {"a new file is ANSI (GBK)", std::nullopt, u"设置", u"键", u"中文", {{u"设置", u"键", u"中文"}},
         "[\xC9\xE8\xD6\xC3]\r\n\xBC\xFC=\xD6\xD0\xCE\xC4\r\n"},
        {"a UTF-16LE file stays UTF-16LE", Utf16File(u"[a]\r\n"), u"a", u"k", u"中文", {{u"a", u"k", u"中文"}},
         Utf16File(u"[a]\r\nk=中文\r\n")},
        {"other lines keep their values", "[a]\r\n  x = 1 ; c \r\n\r\n; note\r\ny=3\r\n[b]\r\nx=4\r\n", u"a",
         u"x", u"2", {{u"a", u"x", u"2"}, {u"a", u"y", u"3"}, {u"b", u"x", u"4"}}, {}},
    };
    // clang-format on
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::u16string path = c.before ? FileWith(*c.before) : NewPath();
        ASSERT_TRUE(base::WriteIniString(c.section, c.key, c.value, path));
        for (const Probe& p : c.reads) {
            EXPECT_EQ(base::ReadIniString(p.section, p.key, kDefault, kCapacity, path), p.expected);
        }
        if (c.after) {
            EXPECT_EQ(BytesOf(path), *c.after);
        }
    }
}

TEST_F(Profile, WriteIntoMissingDirectoryFails) {
    const std::filesystem::path missing = dir_.path() / "tmp";
    EXPECT_FALSE(base::WriteIniString(u"a", u"k", u"v", (missing / "kestrivonsetting.txt").u16string()));
    EXPECT_FALSE(std::filesystem::exists(missing));
}

// Windows documents these; Wine reads a UTF-8 byte-order mark and drops a header without ']'.
TEST_F(Profile, WindowsReadingWineDoesNotShare) {
    if (testing_support::RunningUnderWine()) {
        GTEST_SKIP() << "Wine differs from Windows here";
    }
    const std::vector<ReadCase> cases = {
        {"a UTF-8 byte-order mark hides the first header", "\xEF\xBB\xBF[a]\r\nk=1\r\n", u"a", u"k",
         kDefault},
        {"later sections of a UTF-8 file are found", "\xEF\xBB\xBF[a]\r\nk=1\r\n[b]\r\nk=2\r\n", u"b", u"k",
         u"2"},
        {"a header without ']' counts", "[Sec\r\nKey=val\r\n", u"sec", u"key", u"val"},
        {"a header without ']' ends the section before it", "[a]\r\nk=1\r\n[b\r\nj=2\r\n", u"a", u"j",
         kDefault},
    };
    CheckReads(cases);
}

}  // namespace
