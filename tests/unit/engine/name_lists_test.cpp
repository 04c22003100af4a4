#include "engine/name_lists.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "support/log_capture.h"

namespace {

using engine::NameLists;
using Names = std::vector<std::u16string>;

// "p0.exe;p1.exe;..." with `count` names, each followed by the separator.
std::u16string ManyNames(int count) {
    std::u16string text;
    for (int i = 0; i < count; ++i) {
        text += u"p" + base::AsciiToUtf16(std::to_string(i)) + u".exe;";
    }
    return text;
}

// Every name that a separator follows, up to an empty piece. The separator is searched by its first ten
// characters and skipped by its stated length; one that starts within the stated length of the text
// counts wherever it ends.
TEST(SplitNameList, TakesEveryNameThatASeparatorFollows) {
    const struct {
        std::u16string_view text;
        std::u16string_view separator;
        int length;  // -1: the whole text
        Names expected;
    } cases[] = {
        {u"game.exe;launcher.exe;", u";", -1, {u"game.exe", u"launcher.exe"}},
        {u"game.exe;launcher.exe", u";", -1, {u"game.exe"}},
        {u"game.exe;;launcher.exe;", u";", -1, {u"game.exe"}},
        {u"游戏.exe|*|客户端.exe|*|", u"|*|", -1, {u"游戏.exe", u"客户端.exe"}},
        {std::u16string_view(u"ab.exe;\0cd.exe;", 15), u";", -1, {u"ab.exe"}},  // not searched after a 0
        {u"one0123456789XXtwo0123456789XX", u"0123456789AB", -1, {u"one", u"two"}},
        {u"alpha.exe;beta.exe;gamma.exe;", u";", 18, {u"alpha.exe"}},  // the second ';' lies at 18
        {u"alpha.exe;beta.exe;gamma.exe;", u";", 19, {u"alpha.exe", u"beta.exe"}},
        {u"alpha.exe|*|beta.exe|*|", u"|*|", 10, {u"alpha.exe"}},
    };
    for (const auto& c : cases) {
        Names names{u"stale"};
        const int length = c.length < 0 ? static_cast<int>(c.text.size()) : c.length;
        EXPECT_EQ(engine::SplitNameList(c.text.data(), length, c.separator.data(),
                                        static_cast<std::int32_t>(c.separator.size()), names),
                  1);
        EXPECT_EQ(names, c.expected) << base::Utf16ToUtf8(c.text) << " " << length;
    }
    const std::u16string many = ManyNames(200);
    Names names;
    ASSERT_EQ(engine::SplitNameList(many.data(), static_cast<int>(many.size()), u";", 1, names), 1);
    ASSERT_EQ(names.size(), engine::kMaxNameListNames);
    EXPECT_EQ(names.back(), u"p127.exe");
}

TEST(SplitNameList, RejectsBadArguments) {
    Names names{u"stale"};
    const char16_t* text = u"abc.exe;";
    EXPECT_EQ(engine::SplitNameList(nullptr, 8, u";", 1, names), 0);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(engine::SplitNameList(text, 3, u";", 1, names), 0);
    EXPECT_EQ(engine::SplitNameList(text, 8, nullptr, 1, names), 0);
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

// GameClient and the monitor itself never become match names; text without a name changes nothing.
TEST_F(NameListsTest, AcceleratedNamesAreReplacedWhileMatchNamesOnlyGrow) {
    testing_support::LogCapture log;
    ASSERT_EQ(SetAccelerated(u"Game.exe;Launcher.exe;GameClient.exe;KVTMON.EXE;"), 1);
    ASSERT_EQ(SetAccelerated(u"GAME.EXE;Other.exe;GameClient.exe;"), 1);
    EXPECT_EQ(SetAccelerated(u"Game.exe"), 0);
    EXPECT_EQ(lists_.SetAccelerateProcess(nullptr, 10, u";", 1), 0);
    EXPECT_EQ(log.CountStartingWith("参数无效 in SetAccelerateProcess，error no = "), 1);
    EXPECT_EQ(lists_.SetUnclearProcessName(u"x.exe;", 6, u";", 0), 0);
    EXPECT_EQ(log.CountStartingWith("参数无效 in SetUnclearProcessName，error no = "), 1);
    EXPECT_EQ(lists_.AccelerateNames(), (Names{u"GAME.EXE", u"Other.exe", u"GameClient.exe"}));
    EXPECT_EQ(lists_.AccelerateMatchNames(),
              (Names{u"Game.exe", u"Game.exe(已关闭)", u"Launcher.exe", u"Launcher.exe(已关闭)", u"Other.exe",
                     u"Other.exe(已关闭)"}));
    EXPECT_EQ(lists_.IsAcceleratedProcessName(u"gameclient.exe"), 1);
    EXPECT_EQ(lists_.IsAcceleratedProcessName(u"Launcher.exe"), 0);

    lists_.ResetToOwnName();
    EXPECT_EQ(lists_.AccelerateNames(), Names{u"kvtmon.exe"});
    EXPECT_EQ(lists_.AccelerateMatchNames().size(), 6u);
    EXPECT_EQ(lists_.IsAcceleratedProcessName(u"Game.exe"), 0);
}

TEST_F(NameListsTest, AcceleratedNameMatchesWithOrWithoutTheClosedMarker) {
    ASSERT_EQ(SetAccelerated(u"Game.exe;"), 1);
    const std::pair<std::u16string_view, int> cases[] = {
        {u"Game.exe", 1},          {u"game.EXE", 1}, {u"Game.exe(已关闭)", 1}, {u"GAME.exe(已关闭)", 1},
        {u"Game.exe(已关闭)x", 0}, {u"Game.ex", 0},  {u"xGame.exe", 0},        {u"", 0},
    };
    for (const auto& [name, expected] : cases) {
        EXPECT_EQ(lists_.IsAcceleratedProcessName(name), expected) << base::Utf16ToUtf8(name);
    }
}

// Unclear names with the title add an alias each, whose case counts; only the first 32 are kept; the
// reset forgets them.
TEST_F(NameListsTest, UnclearNamesWithTheTitleAddAnAliasEach) {
    ASSERT_EQ(SetUnclear(u"侠义道.exe;侠义道更新.exe;other.exe;"), 1);
    EXPECT_EQ(lists_.UnclearNames(), (Names{u"侠义道.exe", u"侠义道更新.exe", u"other.exe"}));
    EXPECT_EQ(lists_.UnclearAliases(), (Names{u"xyd", u"xyd"}));
    EXPECT_EQ(lists_.IsAcceleratedProcessName(u"xydclient.exe"), 1);
    EXPECT_EQ(lists_.IsAcceleratedProcessName(u"XYDclient.exe"), 0);
    ASSERT_EQ(SetUnclear(u"other.exe;"), 1);
    EXPECT_TRUE(lists_.UnclearAliases().empty());

    ASSERT_EQ(SetUnclear(ManyNames(200)), 1);
    ASSERT_EQ(lists_.UnclearNames().size(), engine::kMaxUnclearNames);
    EXPECT_EQ(lists_.UnclearNames().back(), u"p31.exe");
    ASSERT_EQ(SetUnclear(u"侠义道.exe;"), 1);
    lists_.ResetToOwnName();
    EXPECT_TRUE(lists_.UnclearNames().empty());
    EXPECT_TRUE(lists_.UnclearAliases().empty());
}

}  // namespace
