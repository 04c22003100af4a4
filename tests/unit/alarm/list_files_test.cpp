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

Pieces Read(std::string_view bytes) {
    Pieces pieces;
    alarming::ForEachTextLine(bytes, [&](std::u16string_view p) { pieces.emplace_back(p); });
    return pieces;
}

TEST(UnicodeTextLines, EncodingsLineEndsAndPiecesOf255Characters) {
    const std::u16string x254(254, u'x');
    const std::u16string x255(255, u'x');
    const struct {
        const char* what;
        std::string bytes;
        Pieces expected;
    } cases[] = {
        {"UTF-16LE with mark, CR LF", Utf16Le(u"a.exe\r\n下载\r\n"), {u"a.exe\n", u"下载\n"}},
        {"UTF-16LE without mark", Utf16Le(u"a.exe\r\n下载\r\n", false), {u"a.exe\n", u"下载\n"}},
        {"UTF-8 with mark", Utf8(u"a.exe\r\n下载\r\n"), {u"a.exe\n", u"下载\n"}},
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
         Utf8(u"a\n\x1A"
              u"b\n"),
         {u"a\n"}},
        {"a CR before the Ctrl-Z stays", Utf16Le(u"a\r\x1A\n"), {u"a\r"}},
        {"NUL cuts the piece, not the line", Utf16Le(u"ab\0cd\r\nef\r\n"s), {u"ab", u"ef\n"}},
        {"UTF-8 two- and four-byte characters",
         Utf8(u"\u00E9t\U0001F600.exe\n"),
         {u"\u00E9t\U0001F600.exe\n"}},
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
        {"254 and the line end fill one read", Utf16Le(x254 + u"\r\n"), {x254 + u"\n"}},
        {"255 and the line end take two", Utf16Le(x255 + u"\r\n"), {x255, u"\n"}},
        {"the CR LF pair counts as one", Utf16Le(x254 + u"\r\nz"), {x254 + u"\n", u"z"}},
        {"600 without a line end",
         Utf16Le(std::u16string(600, u'y')),
         {std::u16string(255, u'y'), std::u16string(255, u'y'), std::u16string(90, u'y')}},
        {"a piece may end inside a surrogate pair",
         Utf16Le(x254 + u"\U0001F600"),
         {x254 + u"\xD83D", u"\xDE00"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Read(c.bytes), c.expected) << c.what;
    }
}

TEST(ListLines, TrimAndTheBlackAndWhiteListForms) {
    EXPECT_EQ(alarming::TrimLine(u"  a b \t\r\n"), u"a b");
    EXPECT_EQ(alarming::TrimLine(u"\u3000名\u3000"), u"名");
    EXPECT_EQ(alarming::TrimLine(u" \n"), u"");
    const std::pair<std::u16string_view, ListEntry> black[] = {
        {u"Thunder.exe   迅雷 下载", {u"Thunder.exe", u"迅雷 下载"}},
        {u"Thunder.exe", {u"Thunder.exe", u""}},
        {u"a.exe,text", {u"a.exe", u",text"}},
        {u"a.exeb.exe  x", {u"a.exe", u"b.exe  x"}},
        {u"setup.exe.bak old", {u"setup.exe", u".bak old"}},
        {u"my tool.exe\tdesc", {u"my tool.exe", u"desc"}},
        {u".exe", {u".exe", u""}},
        {u"THUNDER.EXE 迅雷", {u"?", u"?"}},  // not taken
        {u"Thunder.Exe 迅雷", {u"?", u"?"}},
        {u"Thunder 迅雷", {u"?", u"?"}},
        {u"", {u"?", u"?"}},
    };
    for (const auto& [line, expected] : black) {
        ListEntry entry{u"?", u"?"};
        EXPECT_EQ(alarming::SplitBlackListLine(line, entry), expected.name != u"?")
            << base::Utf16ToUtf8(line);
        EXPECT_EQ(entry, expected) << base::Utf16ToUtf8(line);
    }
    const std::pair<std::u16string_view, ListEntry> white[] = {
        {u"name.exe,text", {u"name.exe", u",text"}},
        {u"name.exe   系统 进程", {u"name.exe", u"系统 进程"}},
        {u"two   words", {u"two", u"words"}},
        {u"a;b", {u"a", u";b"}},
        {u"a, b", {u"a,", u"b"}},  // a space anywhere wins over the comma
        {u"a,b;c", {u"a", u",b;c"}},
        {u"x.exe;y", {u"x.exe", u";y"}},
        {u"solo", {u"solo", u""}},
        {u"tab\tinside", {u"tab\tinside", u""}},
        {u"", {u"", u""}},
    };
    for (const auto& [line, entry] : white) {
        EXPECT_EQ(alarming::SplitWhiteListLine(line), entry) << base::Utf16ToUtf8(line);
    }
}

TEST(ParseBlackList, TableCases) {
    const Entries two = {{u"Thunder.exe", u"迅雷下载"}, {u"OneDrive.exe", u"同步"}};
    const struct {
        const char* what;
        std::string bytes;
        Entries expected;
    } cases[] = {
        {"spaces, tabs, blank and comment lines",
         Utf16Le(u"  Thunder.exe   迅雷下载  \r\n\r\n   \r\n; downloaders\r\n\tOneDrive.exe\t同步\t\r\n"),
         two},
        {"UTF-8", Utf8(u"Thunder.exe 迅雷下载\r\nOneDrive.exe 同步"), two},
        {"capital .EXE is skipped",
         Utf16Le(u"Thunder.exe 迅雷下载\r\nBITCOMET.EXE x\r\nOneDrive.exe 同步\r\n"), two},
        {"duplicates are kept in order",
         Utf16Le(u"a.exe 1\r\nA.EXE 2\r\na.exe 3\r\n"),
         {{u"a.exe", u"1"}, {u"a.exe", u"3"}}},
        {"Chinese name", Utf16Le(u"迅雷.exe 下载\r\n"), {{u"迅雷.exe", u"下载"}}},
        // 250 + 5 characters fill the first read without ".exe"; the rest is a line of its own.
        {"oversized line",
         Utf16Le(std::u16string(250, u'a') + u"bbbbbccccc.exe 描述\r\nz.exe\r\n"),
         {{u"ccccc.exe", u"描述"}, {u"z.exe", u""}}},
        {"\".exe\" split across two reads is in neither",
         Utf16Le(std::u16string(253, u'a') + u".exe desc"),
         {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(alarming::ParseBlackList(c.bytes), c.expected) << c.what;
    }
    // At most 128 entries.
    std::u16string text = u"x.EXE skipped\r\n";
    for (int i = 0; i < 140; ++i) {
        text += u"p" + base::AsciiToUtf16(std::to_string(i)) + u".exe d\r\nno name here\r\n";
    }
    const Entries entries = alarming::ParseBlackList(Utf16Le(text));
    ASSERT_EQ(entries.size(), alarming::kMaxBlackListEntries);
    EXPECT_EQ(entries.front().name, u"p0.exe");
    EXPECT_EQ(entries.back().name, u"p127.exe");
}

TEST(ParseWhiteList, EveryLineIsAnEntry) {
    const std::string bytes = Utf16Le(u"explorer.exe 资源管理器\r\n\r\nSystem 系统\r\n  \r\na;b\r\nlast");
    EXPECT_EQ(alarming::ParseWhiteList(bytes), (Entries{{u"explorer.exe", u"资源管理器"},
                                                        {u"", u""},
                                                        {u"System", u"系统"},
                                                        {u"", u""},
                                                        {u"a", u";b"},
                                                        {u"last", u""}}));
    std::u16string many;  // no limit on the number of entries
    for (int i = 0; i < 5000; ++i) {
        many += u"p.exe\r\n";
    }
    EXPECT_EQ(alarming::ParseWhiteList(Utf16Le(many)).size(), 5000u);
}

TEST(WhiteList, LoadAppendsAndMatchesNamesIgnoringCase) {
    ProgramFolder folder;
    alarming::WhiteList list;
    EXPECT_EQ(list.Load(folder.Directory(), alarming::kWhiteListName), 0);
    EXPECT_EQ(list.Load(alarming::ProgramDirectory(u""), alarming::kWhiteListName), 0);
    EXPECT_TRUE(list.Entries().empty());

    folder.Write(alarming::kWhiteListName, Utf16Le(u"Explorer.exe 资源管理器\r\n\r\nSystem 系统\r\n"));
    ASSERT_EQ(list.Load(folder.Directory(), alarming::kWhiteListName), 1);
    EXPECT_EQ(list.Entries().size(), 3u);
    EXPECT_EQ(list.IsWhiteListed(u"EXPLORER.EXE"), 1);
    EXPECT_EQ(list.IsWhiteListed(u"system"), 1);
    EXPECT_EQ(list.IsWhiteListed(u"explorer"), 0);
    EXPECT_EQ(list.IsWhiteListed(u"explorer.exe(已关闭)"), 0);
    // The blank line's empty name matches no process, not even a nameless one.
    EXPECT_EQ(list.IsWhiteListed(u""), 0);

    EXPECT_EQ(list.Load(folder.Directory(), alarming::kWhiteListName), 1);
    EXPECT_EQ(list.Entries().size(), 6u);
    folder.Write(u"config\\empty.txt", "");
    EXPECT_EQ(list.Load(folder.Directory(), u"config\\empty.txt"), 1);
    EXPECT_EQ(list.Entries().size(), 6u);
}

}  // namespace
