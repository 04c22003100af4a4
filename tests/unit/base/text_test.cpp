#include "base/text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Utf8Utf16, RoundTripsAndInvalidInputBecomesReplacementCharacters) {
    const struct {
        std::string utf8;
        std::u16string utf16;
        bool roundTrip = true;
    } cases[] = {
        {"", u""},
        {"启动流量监控成功", u"启动流量监控成功"},
        {"\xC3\xA9t\xC3\xA9", u"\u00E9t\u00E9"},
        {"\xF0\x9F\x8E\xAE \xF0\xA0\x80\x80", u"\U0001F3AE \U00020000"},
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
        {"a\x80z", u"a\uFFFDz", false},  // a lone continuation byte
        {"a\xE5\x90", u"a\uFFFD", false},
        {"\xE5\x90z", u"\uFFFDz", false},
        {"\xC0\xAF", u"\uFFFD", false},          // overlong
        {"\xED\xA0\x80", u"\uFFFD", false},      // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD", false},  // above U+10FFFF
        {"\xFF", u"\uFFFD", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(base::Utf8ToUtf16(c.utf8), c.utf16) << testing::PrintToString(c.utf8);
        if (c.roundTrip) {
            EXPECT_EQ(base::Utf16ToUtf8(c.utf16), c.utf8) << testing::PrintToString(c.utf8);
        }
    }
    EXPECT_EQ(base::Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(base::Utf16ToUtf8(u"x" + std::u16string(1, char16_t(0xDC00)) + u"y"), "x\xEF\xBF\xBDy");
    // A high surrogate before a unit above the low ones is unpaired too.
    EXPECT_EQ(base::Utf16ToUtf8(u"x" + std::u16string(1, char16_t(0xD800)) + u"\uE000"),
              "x\xEF\xBF\xBD\xEE\x80\x80");
}

// The log's messages go out in code page 936, where '€' is the single byte 0x80.
TEST(Gbk, EncodesTheLogMessagesAsCodePage936) {
    EXPECT_EQ(base::Utf16ToGbk(u"启动，€\n"), "\xC6\xF4\xB6\xAF\xA3\xAC\x80\n");
    EXPECT_EQ(base::GbkToUtf16("\xC6\xF4\xB6\xAF\xA3\xAC\x80\n"), u"启动，€\n");
    // What the code page lacks becomes '?', one per UTF-16 unit.
    EXPECT_EQ(base::Utf16ToGbk(u"a\U0001F3AEb\u0E01"), "a??b?");
}

TEST(FormatText, FormatsIntoAFixedWideBuffer) {
    EXPECT_EQ(base::FormatText(128, "Init failed，error no = %d \n", 5), u"Init failed，error no = 5 \n");
    // The buffer holds capacity - 1 UTF-16 units, and a surrogate pair is never split.
    EXPECT_EQ(base::FormatText(4, "%s", "abcdef"), u"abc");
    EXPECT_EQ(base::FormatText(1, "%s", "abc"), u"");
    EXPECT_EQ(base::FormatText(0, "%s", "abc"), u"");
    EXPECT_EQ(base::FormatText(3, "%s", "流量监控"), u"流量");
    EXPECT_EQ(base::FormatText(3, "a\xF0\x9F\x8E\xAE"), u"a");
    EXPECT_EQ(base::FormatText(4, "a\xF0\x9F\x8E\xAE"), u"a\U0001F3AE");
}

}  // namespace
