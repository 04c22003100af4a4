#include "alarm/unicode_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "alarm_test_files.h"

namespace {

using alarm_test::Utf16Le;
using alarm_test::Utf8;
using Pieces = std::vector<std::u16string>;
using namespace std::string_literals;

Pieces Read(std::string_view bytes) {
    Pieces pieces;
    alarming::ForEachTextLine(bytes, [&](std::u16string_view p) { pieces.emplace_back(p); });
    return pieces;
}

struct Case {
    const char* what;
    std::string bytes;
    Pieces expected;
};

TEST(UnicodeTextLines, EncodingsAndLineEnds) {
    const Case cases[] = {
        {"UTF-16LE with mark, CR LF", Utf16Le(u"a.exe\r\n下载\r\n"), {u"a.exe\n", u"下载\n"}},
        {"UTF-16LE without mark", Utf16Le(u"a.exe\r\n下载\r\n", false), {u"a.exe\n", u"下载\n"}},
        {"UTF-8 with mark", Utf8(u8"\uFEFFa.exe\r\n下载\r\n"), {u"a.exe\n", u"下载\n"}},
        {"LF alone", Utf16Le(u"a\nb\n"), {u"a\n", u"b\n"}},
        {"a lone CR stays", Utf16Le(u"a\rb\r"), {u"a\rb\r"}},
        {"CR CR LF keeps one CR", Utf16Le(u"a\r\r\nb"), {u"a\r\n", u"b"}},
        {"LF CR", Utf16Le(u"a\n\rb"), {u"a\n", u"\rb"}},
        {"blank lines", Utf16Le(u"\r\n\r\nx\r\n\r\n"), {u"\n", u"\n", u"x\n", u"\n"}},
        {"last line without line end", Utf16Le(u"a\r\nbc"), {u"a\n", u"bc"}},
        {"empty file", "", {}},
        {"mark alone", "\xFF\xFE", {}},
        {"UTF-8 mark alone", "\xEF\xBB\xBF", {}},
        {"a second mark is text", Utf16Le(u"\uFEFFa"), {u"\uFEFFa"}},
        // Without a mark, ASCII bytes pair up into UTF-16 units.
        {"ASCII without mark", "ab\r\n", {u"\u6261\u0a0d"}},
        {"odd byte count drops the last byte", Utf16Le(u"ab\r\ncd") + "\x41", {u"ab\n", u"cd"}},
        {"one byte", "\x41", {}},
        {"Ctrl-Z ends the text",
         Utf16Le(u"a\r\nb\x1A"
                 u"c\r\nd\r\n"),
         {u"a\n", u"b"}},
        {"Ctrl-Z in UTF-8",
         Utf8(u8"\uFEFFa\n\x1A"
              u8"b\n"),
         {u"a\n"}},
        {"a CR before the Ctrl-Z stays", Utf16Le(u"a\r\x1A\n"), {u"a\r"}},
        {"NUL cuts the piece, not the line", Utf16Le(u"ab\0cd\r\nef\r\n"s), {u"ab", u"ef\n"}},
        {"UTF-8 two-byte character", Utf8(u8"\uFEFF\u00E9t\u00E9.exe\n"), {u"\u00E9t\u00E9.exe\n"}},
        {"UTF-8 four-byte character", Utf8(u8"\uFEFF\U0001F600.exe\n"), {u"\U0001F600.exe\n"}},
        {"unpaired surrogates pass through", Utf16Le(u"\xD800x\n"), {u"\xD800x\n"}},
        {"invalid UTF-8 ends the text",
         "\xEF\xBB\xBF"
         "a\nb\xFF"
         "c\nd\n",
         {u"a\n", u"b"}},
        {"encoded surrogate is invalid",
         "\xEF\xBB\xBF"
         "a\xED\xA0\x80\n",
         {u"a"}},
        {"overlong form is invalid",
         "\xEF\xBB\xBF"
         "a\xC0\xAF\n",
         {u"a"}},
        {"truncated UTF-8 at the end",
         "\xEF\xBB\xBF"
         "a\n\xE4\xB8",
         {u"a\n"}},
        {"big-endian mark is no mark", "\xFE\xFF\x00\x61"s, {u"\uFFFE\u6100"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Read(c.bytes), c.expected) << c.what;
    }
}

TEST(UnicodeTextLines, LongLinesArriveIn255CharacterPieces) {
    const std::u16string x255(255, u'x');
    const std::u16string x254(254, u'x');
    const Case cases[] = {
        {"254 and the line end fill one read", Utf16Le(x254 + u"\r\n"), {x254 + u"\n"}},
        {"255 and the line end take two", Utf16Le(x255 + u"\r\n"), {x255, u"\n"}},
        {"600 without a line end",
         Utf16Le(std::u16string(600, u'y')),
         {std::u16string(255, u'y'), std::u16string(255, u'y'), std::u16string(90, u'y')}},
        {"the CR LF pair counts as one", Utf16Le(x254 + u"\r\nz"), {x254 + u"\n", u"z"}},
        {"a piece may end inside a surrogate pair",
         Utf16Le(x254 + u"\U0001F600"),
         {x254 + u"\xD83D", u"\xDE00"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Read(c.bytes), c.expected) << c.what;
    }
}

}  // namespace
