// The list files: their lines in either encoding, the black and white list lines, and the lists.

#include "alarm/list_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "alarm/unicode_text.h"
#include "alarm_test_files.h"
#include "base/text.h"

namespace {

using alarm_test::ProgramFolder;
using alarm_test::Utf16Le;
using alarming::ListEntry;
using Entries = std::vector<ListEntry>;
using Pieces = std::vector<std::u16string>;
using namespace std::string_literals;

// UTF-8 bytes with their byte-order mark.
std::string Utf8(std::u16string_view text) {
    return "\xEF\xBB\xBF" + base::Utf16ToUtf8(text);
}

// The pieces the list readers get: a line of at most 255 characters with its LF, cut at a NUL.
TEST(UnicodeTextLines, EncodingsLineEndsAndPiecesOf255Characters) {
    const std::u16string x254(254, u'x');
    const struct {
        const char* what;
        std::string bytes;
        Pieces expected;
    } cases[] = {
        {"UTF-16LE with mark, CR LF", Utf16Le(u"a.exe\r\n下载\r\n"), {u"a.exe\n", u"下载\n"}},
        {"UTF-8 with mark", Utf8(u"a.exe\r\n下载\r\n"), {u"a.exe\n", u"下载\n"}},
        {"a lone CR stays, LF alone, no last line end", Utf16Le(u"a\rb\nc\r"), {u"a\rb\n", u"c\r"}},
        // Without a mark, ASCII bytes pair up into UTF-16 units; an odd last byte is dropped.
        {"ASCII without mark", "ab\r\nA", {u"\u6261\u0a0d"}},
        {"Ctrl-Z ends the text", Utf16Le(u"x\r\ny\x1Az\r\n"), {u"x\n", u"y"}},
        {"NUL cuts the piece, not the line", Utf16Le(u"ab\0cd\r\nef\r\n"s), {u"ab", u"ef\n"}},
        {"UTF-8 two- and four-byte characters", Utf8(u"\u00E9\U0001F600\n"), {u"\u00E9\U0001F600\n"}},
        {"invalid UTF-8 ends the text", "\xEF\xBB\xBFx\ny\xFFz\n", {u"x\n", u"y"}},
        {"overlong form is invalid", "\xEF\xBB\xBFx\xC0\xAF\n", {u"x"}},
        {"encoded surrogate is invalid", "\xEF\xBB\xBFx\xED\xA0\x80\n", {u"x"}},
        {"truncated UTF-8 at the end", "\xEF\xBB\xBFx\n\xE4\xB8", {u"x\n"}},
        {"254 and the line end fill one read", Utf16Le(x254 + u"\r\n"), {x254 + u"\n"}},
        {"255 and the line end take two", Utf16Le(x254 + u"x\r\n"), {x254 + u"x", u"\n"}},
    };
    for (const auto& c : cases) {
        Pieces pieces;
        alarming::ForEachTextLine(c.bytes, [&](std::u16string_view p) { pieces.emplace_back(p); });
        EXPECT_EQ(pieces, c.expected) << c.what;
    }
}

// A black list line is the name up to the first ".exe" (with case) and a description after blanks.
TEST(ParseBlackList, TheFileFormat) {
    EXPECT_EQ(alarming::ParseBlackList(
                  Utf16Le(u"  Thunder.exe   迅雷 下载  \r\n\r\n; downloaders\r\nBITCOMET.EXE x\r\n"
                          u"\u3000OneDrive.exe\t同步\t\r\nmy tool.exe\td\r\na.exeb.exe  x")),
              (Entries{{u"Thunder.exe", u"迅雷 下载"},
                       {u"OneDrive.exe", u"同步"},
                       {u"my tool.exe", u"d"},
                       {u"a.exe", u"b.exe  x"}}));
    // At most 128 entries.
    std::u16string text;
    for (int i = 0; i < 140; ++i) {
        text += u"p" + base::AsciiToUtf16(std::to_string(i)) + u".exe d\r\nno name here\r\n";
    }
    const Entries entries = alarming::ParseBlackList(Utf16Le(text));
    ASSERT_EQ(entries.size(), alarming::kMaxBlackListEntries);
    EXPECT_EQ(entries.back().name, u"p127.exe");
}

TEST(WhiteList, EveryLineIsAnEntryAndNamesMatchIgnoringCase) {
    ProgramFolder folder;
    alarming::WhiteList list;
    EXPECT_EQ(list.Load(folder.Directory(), alarming::kWhiteListName), 0);
    EXPECT_EQ(list.Load(alarming::ProgramDirectory(u""), alarming::kWhiteListName), 0);

    // ".exe" first, then a space, a comma, a semicolon; the separator stays with the description.
    folder.Write(alarming::kWhiteListName,
                 Utf16Le(u"Explorer.exe 资源管理器\r\n\r\nSystem 系统\r\n  \r\nname.exe,text\r\n"
                         u"a, b\r\na,b;c\r\na;b\r\ntab\tinside"));
    ASSERT_EQ(list.Load(folder.Directory(), alarming::kWhiteListName), 1);
    EXPECT_EQ(list.Entries(), (Entries{{u"Explorer.exe", u"资源管理器"},
                                       {},
                                       {u"System", u"系统"},
                                       {},
                                       {u"name.exe", u",text"},
                                       {u"a,", u"b"},
                                       {u"a", u",b;c"},
                                       {u"a", u";b"},
                                       {u"tab\tinside", u""}}));
    EXPECT_EQ(list.IsWhiteListed(u"EXPLORER.EXE") + list.IsWhiteListed(u"system"), 2);
    EXPECT_EQ(list.IsWhiteListed(u"explorer"), 0);
    EXPECT_EQ(list.IsWhiteListed(u"explorer.exe(已关闭)"), 0);
    // The blank line's empty name matches no process, not even a nameless one.
    EXPECT_EQ(list.IsWhiteListed(u""), 0);
    // A second load appends.
    ASSERT_EQ(list.Load(folder.Directory(), alarming::kWhiteListName), 1);
    EXPECT_EQ(list.Entries().size(), 18u);
}

}  // namespace
