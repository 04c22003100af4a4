#include "base/module_path.h"

#include <gtest/gtest.h>

namespace {

TEST(FormProgramPath, CutsAtLastSeparatorAndAppendsRelativeName) {
    const struct {
        std::u16string_view module, relative;
        char16_t separator;
        std::u16string_view expected;
    } cases[] = {
        {u"C:\\Program Files\\Kvt\\kvtmon.exe", u"traffic.log", u'\\',
         u"C:\\Program Files\\Kvt\\traffic.log"},
        {u"C:\\kvtmon.exe", u"tmp\\kestrivonsetting.txt", u'\\', u"C:\\tmp\\kestrivonsetting.txt"},
        {u"/opt/游戏/kvtmon", u"config\\Alarm.txt", u'/', u"/opt/游戏/config/Alarm.txt"},
        {u"/kvtmon", u"traffic.log", u'/', u"/traffic.log"},
        {u"kvtmon.exe", u"traffic.log", u'\\', u""},  // no separator: no path
        {u"", u"traffic.log", u'/', u""},
        {u"/opt/a\\b/kvtmon", u"x", u'/', u"/opt/a\\b/x"},  // a Linux name is never cut at a backslash
    };
    for (const auto& c : cases) {
        EXPECT_EQ(base::FormProgramPath(c.module, c.relative, c.separator), c.expected);
    }
}

TEST(ProgramDirectory, IsTheExecutablesDirectoryOrTheOneGiven) {
    const std::u16string name = base::ModuleFileName();
    const std::u16string directory = name.substr(0, name.rfind(base::kPathSeparator));
    const std::u16string file = name.substr(directory.size() + 1);
    EXPECT_TRUE(file == u"kvt_tests" || file == u"kvt_tests.exe");
    EXPECT_EQ(base::ProgramPath(u"traffic.log"), name.substr(0, name.size() - file.size()) + u"traffic.log");
    EXPECT_EQ(base::ProgramDirectory().Directory(), directory);
    EXPECT_EQ(base::ProgramDirectory().Path(u"config\\Alarm.txt"), base::ProgramPath(u"config\\Alarm.txt"));

    const std::u16string sep(1, base::kPathSeparator);
    const base::ProgramDirectory given(u"d" + sep + u"kvt");
    EXPECT_EQ(given.Directory(), u"d" + sep + u"kvt");
    EXPECT_EQ(given.Path(u"config\\Alarm.txt"), u"d" + sep + u"kvt" + sep + u"config" + sep + u"Alarm.txt");
    // Unknown: no path at all rather than one relative to wherever the program runs.
    EXPECT_EQ(base::ProgramDirectory(u"").Path(u"traffic.log"), u"");
}

}  // namespace
