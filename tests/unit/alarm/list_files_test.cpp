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

std::string Text(std::u16string_view s) {
    return std::string(s.begin(), s.end());
}

TEST(ListLines, TrimRemovesWhiteSpaceAtBothEnds) {
    EXPECT_EQ(alarming::TrimLine(u"  a b \t\r\n"), u"a b");
    EXPECT_EQ(alarming::TrimLine(u"\u3000名\u3000"), u"名");
    EXPECT_EQ(alarming::TrimLine(u" \n"), u"");
}

TEST(ListLines, BlackListLineForms) {
    struct Case {
        std::u16string_view line;  // trimmed
        bool taken;
        ListEntry entry;
    };
    const Case cases[] = {
        {u"Thunder.exe   迅雷 下载", true, {u"Thunder.exe", u"迅雷 下载"}},
        {u"Thunder.exe", true, {u"Thunder.exe", u""}},
        {u"a.exe,text", true, {u"a.exe", u",text"}},
        {u"a.exeb.exe  x", true, {u"a.exe", u"b.exe  x"}},
        {u"setup.exe.bak old", true, {u"setup.exe", u".bak old"}},
        {u"my tool.exe\tdesc", true, {u"my tool.exe", u"desc"}},
        {u".exe", true, {u".exe", u""}},
        {u"THUNDER.EXE 迅雷", false, {}},
        {u"Thunder.Exe 迅雷", false, {}},
        {u"Thunder 迅雷", false, {}},
        {u"", false, {}},
    };
    for (const auto& c : cases) {
        ListEntry entry{u"?", u"?"};
        EXPECT_EQ(alarming::SplitBlackListLine(c.line, entry), c.taken) << Text(c.line);
        if (c.taken) {
            EXPECT_EQ(entry, c.entry) << Text(c.line);
        }
    }
}

TEST(ListLines, WhiteListLineForms) {
    const std::pair<std::u16string_view, ListEntry> cases[] = {
        {u"name.exe,text", {u"name.exe", u",text"}},
        {u"name.exe   系统 进程", {u"name.exe", u"系统 进程"}},
        {u"System 系统进程", {u"System", u"系统进程"}},
        {u"two   words", {u"two", u"words"}},
        {u"a;b", {u"a", u";b"}},
        {u"a, b", {u"a,", u"b"}},  // a space anywhere wins over the comma
        {u"a,b;c", {u"a", u",b;c"}},
        {u"x.exe;y", {u"x.exe", u";y"}},
        {u"solo", {u"solo", u""}},
        {u"tab\tinside", {u"tab\tinside", u""}},
        {u"", {u"", u""}},
    };
    for (const auto& [line, entry] : cases) {
        EXPECT_EQ(alarming::SplitWhiteListLine(line), entry) << Text(line);
    }
}

TEST(ParseBlackList, TableCases) {
    struct Case {
        const char* what;
        std::string bytes;
        Entries expected;
    };
    const Entries two = {{u"Thunder.exe", u"迅雷下载"}, {u"OneDrive.exe", u"同步"}};
    const Case cases[] = {
        {"UTF-16LE with mark, CR LF", Utf16Le(u"Thunder.exe 迅雷下载\r\nOneDrive.exe 同步\r\n"), two},
        {"UTF-16LE without mark, LF", Utf16Le(u"Thunder.exe 迅雷下载\nOneDrive.exe 同步\n", false), two},
        {"UTF-8 with mark", alarm_test::Utf8(u8"\uFEFFThunder.exe 迅雷下载\r\nOneDrive.exe 同步"), two},
        {"spaces, tabs, blank and comment lines",
         Utf16Le(u"  Thunder.exe   迅雷下载  \r\n\r\n   \r\n; downloaders\r\n\tOneDrive.exe\t同步\t\r\n"),
         two},
        {"truncated final line", Utf16Le(u"Thunder.exe 迅雷下载\r\nOneDrive.exe 同步"), two},
        {"capital .EXE is skipped",
         Utf16Le(u"Thunder.exe 迅雷下载\r\nBITCOMET.EXE x\r\nOneDrive.exe 同步\r\n"), two},
        {"duplicates are kept in order",
         Utf16Le(u"a.exe 1\r\nA.EXE 2\r\na.exe 3\r\n"),
         {{u"a.exe", u"1"}, {u"a.exe", u"3"}}},
        {"odd byte count", Utf16Le(u"Thunder.exe 迅雷下载\r\nOneDrive.exe 同步") + "\x20", two},
        {"Chinese name", Utf16Le(u"迅雷.exe 下载\r\n"), {{u"迅雷.exe", u"下载"}}},
        {"ASCII file without mark reads as nothing", "Thunder.exe x\r\n", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(alarming::ParseBlackList(c.bytes), c.expected) << c.what;
    }
}

TEST(ParseBlackList, OversizedLineArrivesAsSeveralLines) {
    // 250 + 5 characters fill the first read without ".exe"; the rest is a line of its own.
    const std::u16string line = std::u16string(250, u'a') + u"bbbbbccccc.exe 描述";
    EXPECT_EQ(alarming::ParseBlackList(Utf16Le(line + u"\r\nz.exe\r\n")),
              (Entries{{u"ccccc.exe", u"描述"}, {u"z.exe", u""}}));
    // ".exe" split across the two reads is found in neither.
    const std::u16string split = std::u16string(253, u'a') + u".exe desc";
    EXPECT_EQ(alarming::ParseBlackList(Utf16Le(split)), Entries{});
}

TEST(ParseBlackList, HoldsAtMost128Entries) {
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
    // No limit on the number of entries.
    std::u16string many;
    for (int i = 0; i < 5000; ++i) {
        many += u"p.exe\r\n";
    }
    EXPECT_EQ(alarming::ParseWhiteList(Utf16Le(many)).size(), 5000u);
}

TEST(WhiteList, MatchesNamesIgnoringCase) {
    ProgramFolder folder;
    folder.Config(alarming::kWhiteListName, Utf16Le(u"Explorer.exe 资源管理器\r\n\r\nSystem 系统\r\n"));
    alarming::WhiteList list;
    ASSERT_EQ(list.Load(folder.Directory(), alarming::kWhiteListName), 1);
    EXPECT_EQ(list.Entries().size(), 3u);
    EXPECT_EQ(list.IsWhiteListed(u"explorer.exe"), 1);
    EXPECT_EQ(list.IsWhiteListed(u"EXPLORER.EXE"), 1);
    EXPECT_EQ(list.IsWhiteListed(u"system"), 1);
    EXPECT_EQ(list.IsWhiteListed(u"explorer"), 0);
    EXPECT_EQ(list.IsWhiteListed(u"explorer.exe(已关闭)"), 0);
    // The blank line's empty name matches no process, not even a nameless one.
    EXPECT_EQ(list.IsWhiteListed(u""), 0);
}

TEST(WhiteList, LoadAppendsAndFailsWithoutAFile) {
    ProgramFolder folder;
    alarming::WhiteList list;
    EXPECT_EQ(list.Load(folder.Directory(), alarming::kWhiteListName), 0);
    EXPECT_EQ(list.Load(alarming::ProgramDirectory(u""), alarming::kWhiteListName), 0);
    EXPECT_TRUE(list.Entries().empty());

    folder.Config(alarming::kWhiteListName, Utf16Le(u"a.exe\r\n"));
    EXPECT_EQ(list.Load(folder.Directory(), alarming::kWhiteListName), 1);
    EXPECT_EQ(list.Load(folder.Directory(), alarming::kWhiteListName), 1);
    EXPECT_EQ(list.Entries(), (Entries{{u"a.exe", u""}, {u"a.exe", u""}}));

    folder.Config(u"config\\empty.txt", "");
    EXPECT_EQ(list.Load(folder.Directory(), u"config\\empty.txt"), 1);
    EXPECT_EQ(list.Entries().size(), 2u);
}

}  // namespace
