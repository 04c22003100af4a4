#include "base/text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TextCase {
    const char* label;
    std::string utf8;
    std::u16string utf16;
};

const TextCase kRoundTrips[] = {
    {"empty", "", u""},
    {"ascii", "traffic.log", u"traffic.log"},
    {"chinese", "启动流量监控成功", u"启动流量监控成功"},
    {"closed marker", "GameClient.exe(已关闭)", u"GameClient.exe(已关闭)"},
    {"two-byte", "\xC3\xA9t\xC3\xA9", u"\u00E9t\u00E9"},
    {"outside the BMP", "\xF0\x9F\x8E\xAE \xF0\xA0\x80\x80", u"\U0001F3AE \U00020000"},
    {"highest code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
    {"embedded zero", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
};

TEST(Utf8Utf16, RoundTrips) {
    for (const auto& c : kRoundTrips) {
        EXPECT_EQ(base::Utf8ToUtf16(c.utf8), c.utf16) << c.label;
        EXPECT_EQ(base::Utf16ToUtf8(c.utf16), c.utf8) << c.label;
    }
}

TEST(Utf8Utf16, InvalidInputBecomesReplacementCharacters) {
    const struct {
        const char* label;
        std::string utf8;
        std::u16string expected;
    } cases[] = {
        {"lone continuation byte", "a\x80z", u"a\uFFFDz"},
        {"truncated sequence at end", "a\xE5\x90", u"a\uFFFD"},
        {"truncated sequence inside", "\xE5\x90z", u"\uFFFDz"},
        {"overlong slash", "\xC0\xAF", u"\uFFFD"},
        {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD"},
        {"above U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD"},
        {"invalid lead byte", "\xFF", u"\uFFFD"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(base::Utf8ToUtf16(c.utf8), c.expected) << c.label;
    }
    EXPECT_EQ(base::Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(base::Utf16ToUtf8(u"x" + std::u16string(1, char16_t(0xDC00)) + u"y"), "x\xEF\xBF\xBDy");
}

TEST(Gbk, EncodesTheLogMessagesAsCodePage936) {
    const struct {
        std::u16string text;
        std::string gbk;
    } cases[] = {
        {u"", ""},
        {u"Start failed\n", "Start failed\n"},
        {u"启动流量监控成功\n", "\xC6\xF4\xB6\xAF\xC1\xF7\xC1\xBF\xBC\xE0\xBF\xD8\xB3\xC9\xB9\xA6\n"},
        {u"暂停流量监控\n", "\xD4\xDD\xCD\xA3\xC1\xF7\xC1\xBF\xBC\xE0\xBF\xD8\n"},
        // A full-width comma, as in "Init failed，error no = %d".
        {u"，", "\xA3\xAC"},
        {u"(已关闭)", "(\xD2\xD1\xB9\xD8\xB1\xD5)"},
        {u"€", "\x80"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(base::Utf16ToGbk(c.text), c.gbk);
        EXPECT_EQ(base::GbkToUtf16(c.gbk), c.text);
    }
}

TEST(Gbk, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(base::Utf16ToGbk(u"a\U0001F3AEb"), "a??b");
    EXPECT_EQ(base::Utf16ToGbk(u"\u0E01"), "?");  // Thai
}

TEST(FormatText, FormatsIntoAFixedWideBuffer) {
    EXPECT_EQ(base::FormatText(128, "Init failed，error no = %d \n", 5), u"Init failed，error no = 5 \n");
    EXPECT_EQ(base::FormatText(128, "%s=%u", "名称", 7u), u"名称=7");
    // The buffer holds capacity - 1 characters.
    EXPECT_EQ(base::FormatText(4, "%s", "abcdef"), u"abc");
    EXPECT_EQ(base::FormatText(1, "%s", "abc"), u"");
    EXPECT_EQ(base::FormatText(0, "%s", "abc"), u"");
    // Counting is in UTF-16 units, and a surrogate pair is never split.
    EXPECT_EQ(base::FormatText(3, "%s", "流量监控"), u"流量");
    EXPECT_EQ(base::FormatText(3, "a\xF0\x9F\x8E\xAE"), u"a");
    EXPECT_EQ(base::FormatText(4, "a\xF0\x9F\x8E\xAE"), u"a\U0001F3AE");
}

}  // namespace
