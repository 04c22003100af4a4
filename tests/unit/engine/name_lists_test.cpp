#include "engine/name_lists.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "support/log_capture.h"

namespace {

using engine::NameLists;
using Names = std::vector<std::u16string>;

Names Split(std::u16string_view text, std::u16string_view separator) {
    Names names;
    EXPECT_EQ(engine::SplitNameList(text.data(), static_cast<std::int32_t>(text.size()), separator.data(),
                                    static_cast<std::int32_t>(separator.size()), names),
              1);
    return names;
}

// "a;b;c;..." with `count` names, each followed by the separator.
std::u16string ManyNames(int count) {
    std::u16string text;
    for (int i = 0; i < count; ++i) {
        text += u"p" + base::AsciiToUtf16(std::to_string(i)) + u".exe;";
    }
    return text;
}

TEST(SplitNameList, TakesEveryNameThatASeparatorFollows) {
    struct Case {
        std::u16string_view text;
        std::u16string_view separator;
        Names expected;
    };
    const Case cases[] = {
        {u"game.exe;launcher.exe;", u";", {u"game.exe", u"launcher.exe"}},
        {u"game.exe;launcher.exe", u";", {u"game.exe"}},    // the last piece lacks its separator
        {u"game.exe;;launcher.exe;", u";", {u"game.exe"}},  // an empty piece ends the list
        {u";game.exe;", u";", {}},
        {u"game.exe", u";", {}},
        {u"游戏.exe|*|客户端.exe|*|", u"|*|", {u"游戏.exe", u"客户端.exe"}},
        {u"a b c ", u" ", {u"a", u"b", u"c"}},
        // Text after a 0 character is not searched.
        {std::u16string_view(u"ab.exe;\0cd.exe;", 15), u";", {u"ab.exe"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Split(c.text, c.separator), c.expected) << base::Utf16ToUtf8(c.text);
    }
}

TEST(SplitNameList, SeparatorIsSearchedByItsFirstTenCharactersAndSkippedByItsStatedLength) {
    const std::u16string separator = u"0123456789AB";
    EXPECT_EQ(Split(u"a.exe0123456789ABb.exe0123456789AB", separator), (Names{u"a.exe", u"b.exe"}));
    // Only "0123456789" is looked for; the two characters after it are skipped whatever they are.
    EXPECT_EQ(Split(u"one0123456789XXtwo0123456789XX", separator), (Names{u"one", u"two"}));
}

TEST(SplitNameList, StopsAtTheStatedLength) {
    const std::u16string text = u"alpha.exe;beta.exe;gamma.exe;";
    Names names;
    ASSERT_EQ(engine::SplitNameList(text.data(), 18, u";", 1, names), 1);
    EXPECT_EQ(names, Names{u"alpha.exe"});  // the second ';' lies at position 18
    ASSERT_EQ(engine::SplitNameList(text.data(), 19, u";", 1, names), 1);
    EXPECT_EQ(names, (Names{u"alpha.exe", u"beta.exe"}));
}

TEST(SplitNameList, ASeparatorThatStartsWithinTheStatedLengthCountsWhereverItEnds) {
    const std::u16string text = u"alpha.exe|*|beta.exe|*|";
    Names names;
    // The first separator takes positions 9 to 11: it starts inside the ten characters, ends beyond them.
    ASSERT_EQ(engine::SplitNameList(text.data(), 10, u"|*|", 3, names), 1);
    EXPECT_EQ(names, Names{u"alpha.exe"});
    ASSERT_EQ(engine::SplitNameList(text.data(), 9, u"|*|", 3, names), 1);
    EXPECT_EQ(names, Names{});
    ASSERT_EQ(engine::SplitNameList(text.data(), 21, u"|*|", 3, names), 1);
    EXPECT_EQ(names, (Names{u"alpha.exe", u"beta.exe"}));
}

TEST(SplitNameList, KeepsAtMost128Names) {
    const Names names = Split(ManyNames(200), u";");
    ASSERT_EQ(names.size(), engine::kMaxNameListNames);
    EXPECT_EQ(names.front(), u"p0.exe");
    EXPECT_EQ(names.back(), u"p127.exe");
}

TEST(SplitNameList, RejectsBadArguments) {
    Names names{u"stale"};
    const char16_t* text = u"abc.exe;";
    EXPECT_EQ(engine::SplitNameList(nullptr, 8, u";", 1, names), 0);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(engine::SplitNameList(text, 3, u";", 1, names), 0);
    EXPECT_EQ(engine::SplitNameList(text, 8, nullptr, 1, names), 0);
    EXPECT_EQ(engine::SplitNameList(text, 8, u";", 0, names), 0);
    EXPECT_EQ(engine::SplitNameList(text, 4, u";", 1, names), 1);
}

class NameListsTest : public ::testing::Test {
protected:
    int SetAccelerated(std::u16string_view text) {
        return lists_.SetAccelerateProcess(text.data(), static_cast<std::int32_t>(text.size()), u";", 1);
    }
    int SetUnclear(std::u16string_view text) {
        return lists_.SetUnclearProcessName(text.data(), static_cast<std::int32_t>(text.size()), u";", 1);
    }
    NameLists lists_{u"kvtmon.exe"};
};

TEST_F(NameListsTest, AcceleratedNamesAreReplacedWhileMatchNamesOnlyGrow) {
    ASSERT_EQ(SetAccelerated(u"Game.exe;Launcher.exe;"), 1);
    EXPECT_EQ(lists_.AccelerateNames(), (Names{u"Game.exe", u"Launcher.exe"}));
    ASSERT_EQ(SetAccelerated(u"GAME.EXE;Other.exe;"), 1);
    EXPECT_EQ(lists_.AccelerateNames(), (Names{u"GAME.EXE", u"Other.exe"}));
    EXPECT_EQ(lists_.AccelerateMatchNames(),
              (Names{u"Game.exe", u"Game.exe(已关闭)", u"Launcher.exe", u"Launcher.exe(已关闭)", u"Other.exe",
                     u"Other.exe(已关闭)"}));
}

TEST_F(NameListsTest, GameClientAndTheMonitorItselfNeverBecomeMatchNames) {
    ASSERT_EQ(SetAccelerated(u"GameClient.exe;KVTMON.EXE;"), 1);
    EXPECT_EQ(lists_.AccelerateNames(), (Names{u"GameClient.exe", u"KVTMON.EXE"}));
    EXPECT_TRUE(lists_.AccelerateMatchNames().empty());
    EXPECT_EQ(lists_.IsAcceleratedProcessName(u"gameclient.exe"), 1);
}

TEST_F(NameListsTest, TextWithoutANameLeavesTheListsAsTheyWere) {
    testing_support::LogCapture log;
    ASSERT_EQ(SetAccelerated(u"Game.exe;"), 1);
    EXPECT_EQ(SetAccelerated(u"Game.exe"), 0);
    EXPECT_EQ(lists_.SetAccelerateProcess(nullptr, 10, u";", 1), 0);
    EXPECT_EQ(log.CountStartingWith("参数无效 in SetAccelerateProcess，error no = "), 1);
    EXPECT_EQ(lists_.SetUnclearProcessName(u"x.exe;", 6, u";", 0), 0);
    EXPECT_EQ(log.CountStartingWith("参数无效 in SetUnclearProcessName，error no = "), 1);
    EXPECT_EQ(lists_.AccelerateNames(), Names{u"Game.exe"});
}

TEST_F(NameListsTest, AcceleratedNameMatchesWithOrWithoutTheClosedMarker) {
    ASSERT_EQ(SetAccelerated(u"Game.exe;"), 1);
    struct Case {
        std::u16string_view name;
        int expected;
    };
    const Case cases[] = {
        {u"Game.exe", 1},          {u"game.EXE", 1}, {u"Game.exe(已关闭)", 1}, {u"GAME.exe(已关闭)", 1},
        {u"Game.exe(已关闭)x", 0}, {u"Game.ex", 0},  {u"xGame.exe", 0},        {u"", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(lists_.IsAcceleratedProcessName(c.name), c.expected) << base::Utf16ToUtf8(c.name);
    }
}

TEST_F(NameListsTest, UnclearNamesWithTheTitleAddAnAliasEach) {
    ASSERT_EQ(SetUnclear(u"侠义道.exe;侠义道更新.exe;other.exe;"), 1);
    EXPECT_EQ(lists_.UnclearNames(), (Names{u"侠义道.exe", u"侠义道更新.exe", u"other.exe"}));
    EXPECT_EQ(lists_.UnclearAliases(), (Names{u"xyd", u"xyd"}));
    EXPECT_EQ(lists_.IsAcceleratedProcessName(u"xydclient.exe"), 1);
    EXPECT_EQ(lists_.IsAcceleratedProcessName(u"XYDclient.exe"), 0) << "aliases keep their case";

    ASSERT_EQ(SetUnclear(u"other.exe;"), 1);
    EXPECT_TRUE(lists_.UnclearAliases().empty());
}

TEST_F(NameListsTest, UnclearNamesKeepTheFirst32) {
    ASSERT_EQ(SetUnclear(ManyNames(200)), 1);
    const Names names = lists_.UnclearNames();
    ASSERT_EQ(names.size(), engine::kMaxUnclearNames);
    EXPECT_EQ(names.back(), u"p31.exe");
}

TEST_F(NameListsTest, ResetLeavesOnlyTheMonitorsOwnName) {
    ASSERT_EQ(SetAccelerated(u"Game.exe;"), 1);
    ASSERT_EQ(SetUnclear(u"侠义道.exe;"), 1);
    lists_.ResetToOwnName();
    EXPECT_EQ(lists_.AccelerateNames(), Names{u"kvtmon.exe"});
    EXPECT_TRUE(lists_.UnclearNames().empty());
    EXPECT_TRUE(lists_.UnclearAliases().empty());
    EXPECT_EQ(lists_.AccelerateMatchNames().size(), 2u);
    EXPECT_EQ(lists_.IsAcceleratedProcessName(u"Game.exe"), 0);
}

TEST(OwnExecutableName, IsTheFileNameOfThisProgram) {
    const std::u16string name = engine::OwnExecutableName();
    EXPECT_TRUE(name == u"kvt_tests" || name == u"kvt_tests.exe") << base::Utf16ToUtf8(name);
}

}  // namespace
