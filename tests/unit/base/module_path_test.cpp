#include "base/module_path.h"

#include <gtest/gtest.h>

namespace {

struct PathCase {
    std::u16string_view module;
    std::u16string_view relative;
    char16_t separator;
    std::u16string_view expected;
};

TEST(FormProgramPath, CutsAtLastSeparatorAndAppendsRelativeName) {
    const PathCase cases[] = {
        {u"C:\\Program Files\\Kvt\\kvtmon.exe", u"traffic.log", u'\\', u"C:\\Program Files\\Kvt\\traffic.log"},
        {u"C:\\Kvt\\kvtmon.exe", u"config\\Alarm.txt", u'\\', u"C:\\Kvt\\config\\Alarm.txt"},
        {u"C:\\kvtmon.exe", u"tmp\\kestrivonsetting.txt", u'\\', u"C:\\tmp\\kestrivonsetting.txt"},
        {u"/opt/kvt/kvtmon", u"config\\Alarm.txt", u'/', u"/opt/kvt/config/Alarm.txt"},
        {u"/opt/游戏/kvtmon", u"traffic.log", u'/', u"/opt/游戏/traffic.log"},
        {u"/kvtmon", u"traffic.log", u'/', u"/traffic.log"},
        // No separator: the path cannot be formed.
        {u"kvtmon.exe", u"traffic.log", u'\\', u""},
        {u"", u"traffic.log", u'/', u""},
        // A Linux module name is never cut at a backslash.
        {u"/opt/a\\b/kvtmon", u"x", u'/', u"/opt/a\\b/x"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(base::FormProgramPath(c.module, c.relative, c.separator), c.expected);
    }
}

TEST(ModuleFileName, NamesThisTestProgram) {
    const std::u16string name = base::ModuleFileName();
    ASSERT_FALSE(name.empty());
    const std::u16string file = name.substr(name.rfind(base::kPathSeparator) + 1);
    EXPECT_TRUE(file == u"kvt_tests" || file == u"kvt_tests.exe");
    const std::u16string log = base::ProgramPath(u"traffic.log");
    EXPECT_EQ(log, name.substr(0, name.size() - file.size()) + u"traffic.log");
}

}  // namespace

namespace {

TEST(ProgramDirectory, IsTheExecutablesDirectoryOrTheOneGiven) {
    const std::u16string name = base::ModuleFileName();
    const std::u16string directory = name.substr(0, name.rfind(base::kPathSeparator));
    EXPECT_EQ(base::ProgramDirectory().Directory(), directory);
    EXPECT_EQ(base::ProgramDirectory().Path(u"config\\Alarm.txt"), base::ProgramPath(u"config\\Alarm.txt"));

    const std::u16string sep(1, base::kPathSeparator);
    const base::ProgramDirectory given(u"d" + sep + u"kvt");
    EXPECT_EQ(given.Directory(), u"d" + sep + u"kvt");
    EXPECT_EQ(given.Path(u"config\\Alarm.txt"), u"d" + sep + u"kvt" + sep + u"config" + sep + u"Alarm.txt");
    // Unknown: no path at all rather than one relative to wherever the program runs.
    const base::ProgramDirectory unknown(u"");
    EXPECT_EQ(unknown.Directory(), u"");
    EXPECT_EQ(unknown.Path(u"traffic.log"), u"");
}

}  // namespace
