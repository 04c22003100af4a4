// The INI document serves the Linux profile functions (Windows has its own), so this runs on Linux.
// The lookup straight from a file's bytes must find what the parsed document finds, in every encoding
// and layout.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/ini_document.h"

namespace {

using namespace std::string_literals;

struct LookupCase {
    const char* what;
    std::string bytes;
    std::u16string section;
    std::u16string key;
    std::optional<std::u16string> expected;
};

std::string Utf16(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

TEST(IniDocument, LookupFromTheBytesFindsWhatTheDocumentFinds) {
    // Only what the profile reader's table (profile_test.cpp, which reads through FindIn here) leaves
    // out: both lookups must agree on it.
    const std::vector<LookupCase> cases = {
        {"a key before any section belongs to none", "x=1\r\n[a]\r\ny=2\r\n", u"a", u"x", std::nullopt},
        {"an empty file", "", u"a", u"x", std::nullopt},
        {"a key without '=' has no value, and stops the search", "[a]\r\nx\r\nx=2\r\n", u"a", u"x",
         std::nullopt},
        {"only the first of duplicate sections counts", "[a]\r\ny=1\r\n[b]\r\n[A]\r\nx=2\r\n", u"a", u"x",
         std::nullopt},
        {"quotes are kept", "[a]\r\nx=\"q\"\r\n", u"a", u"x", u"\"q\""},
        {"a last line without a break", "[a]\r\nx=1", u"a", u"x", u"1"},
        {"bytes that are no GBK in other lines", "\x81\xFF\r\n[a]\r\nv=\x80\xFF\r\nx=1\r\n", u"a", u"x",
         u"1"},
        {"a '[' as the second byte of a GBK character opens no section",
         "\xB0[b]\r\n[a]\r\nx=1\r\n[b]\r\nx=2\r\n", u"b", u"x", u"2"},
        {"NUL bytes in a line", "\0[a]\r\n[a]\r\nx=\0y\r\n"s, u"a", u"x", u"\0y"s},
        {"a UTF-8 byte-order mark stays part of the first line", "\xEF\xBB\xBF[a]\r\nx=1\r\n[a]\r\nx=2\r\n",
         u"a", u"x", u"2"},
        {"UTF-16 with LF breaks and a blank before the header", Utf16(u"\t[ A ]\nX=2\n"), u"a", u"x", u"2"},
        {"UTF-16 whose break units have a high byte are no breaks", Utf16(u"[a]\r\nx=1\u0A0Ay\r\n"), u"a",
         u"x", u"1\u0A0Ay"},
        {"UTF-16 with an odd last byte", Utf16(u"[a]\r\nx=12") + "\x41", u"a", u"x", u"12"},
    };
    for (const LookupCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<std::u16string> fromBytes = base::IniDocument::FindIn(c.bytes, c.section, c.key);
        EXPECT_EQ(fromBytes, c.expected);
        EXPECT_EQ(base::IniDocument::Parse(c.bytes).Find(c.section, c.key), c.expected);
    }
}

TEST(IniDocument, AsciiTextReadsAsItsOwnCodePoints) {
    std::string value;
    for (int c = 0x21; c < 0x7F; ++c) {
        value.push_back(static_cast<char>(c));
    }
    // The value may hold '=', ';', quotes and brackets: only its first '=' ends the key.
    const std::string bytes = "[s]\r\nk=" + value + "\r\n";
    std::u16string expected;
    for (const char c : value) {
        expected.push_back(static_cast<char16_t>(c));
    }
    const std::optional<std::u16string> found = base::IniDocument::FindIn(bytes, u"s", u"k");
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(base::IniDocument::Parse(bytes).Find(u"s", u"k"), found);
    // From '!' to '~': no blank at either end to trim.
    EXPECT_EQ(*found, expected);
}

}  // namespace
