#include "base/module_path.h"

#include <gtest/gtest.h>

#include "base/text.h"

namespace {

TEST(FormProgramPath, CutsAtLastSeparatorAndAppendsRelativeName) {
    const struct {
        std::u16string_view module, relative;
        char16_t separator;
        std::u16string_view expected;
    } cases[] = {
        {u"C:\\kvtmon.exe", u"tmp\\kestrivonsetting.txt", u'\\', u"C:\\tmp\\kestrivonsetting.txt"},
        {u"/opt/游戏/kvtmon", u"config\\Alarm.txt", u'/', u"/opt/游戏/config/Alarm.txt"},
        {u"kvtmon.exe", u"traffic.log", u'\\', u""},        // no separator: no path
        {u"/opt/a\\b/kvtmon", u"x", u'/', u"/opt/a\\b/x"},  // a Linux name is never cut at a backslash
    };
    for (const auto& c : cases) {
        EXPECT_EQ(base::FormProgramPath(c.module, c.relative, c.separator), c.expected);
    }
}

TEST(ProgramDirectory, IsTheExecutablesDirectory) {
    const std::u16string name = base::ModuleFileName();
    const std::u16string directory = name.substr(0, name.rfind(base::kPathSeparator));
    EXPECT_TRUE(name.ends_with(u"kvt_tests") || name.ends_with(u"kvt_tests.exe")) << base::Utf16ToUtf8(name);
    EXPECT_EQ(base::ProgramPath(u"traffic.log"), directory + base::kPathSeparator + u"traffic.log");
    EXPECT_EQ(base::ProgramDirectory().Directory(), directory);
}

}  // namespace
