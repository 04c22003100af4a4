// Whether an image lies in the program's own directory.

#include "alarm/own_directory.h"

#include <gtest/gtest.h>

#include <string>

#include "base/module_path.h"

namespace {

using alarming::ImageDirectory;
using alarming::IsInDirectory;

TEST(ImageDirectoryTest, CutsAtTheLastSeparatorOnlyForAnExecutable) {
    const struct {
        std::u16string_view path, marker, directory;
    } cases[] = {
        {u"C:\\Zelvan\\kvt.exe", u".exe", u"C:\\Zelvan"},
        // No ".exe": the path is taken as a directory, less one trailing separator.
        {u"C:\\Zelvan\\", u".exe", u"C:\\Zelvan"},
        {u"C:\\Zelvan\\data.bin", u".exe", u"C:\\Zelvan\\data.bin"},
        // The marker is searched with case, as the name part of the path is.
        {u"C:\\Zelvan\\KVT.EXE", u".exe", u"C:\\Zelvan\\KVT.EXE"},
        {u"kvt.exe", u".exe", u"kvt.exe"},
        // An empty marker treats every path as naming its file.
        {u"C:\\Zelvan\\kvtmon", u"", u"C:\\Zelvan"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ImageDirectory(c.path, u'\\', c.marker), c.directory)
            << testing::PrintToString(std::u16string(c.path));
    }
}

TEST(IsInDirectoryTest, ComparesWithoutCase) {
    EXPECT_TRUE(IsInDirectory(u"c:\\zelvan\\KVT.exe", u"C:\\ZELVAN", u'\\', u".exe"));
    EXPECT_FALSE(IsInDirectory(u"C:\\Zelvan2\\a.exe", u"C:\\Zelvan", u'\\', u".exe"));
    EXPECT_FALSE(IsInDirectory(u"", u"C:\\Zelvan", u'\\', u".exe"));
}

TEST(IsInOwnDirectoryTest, ThisProgramsDirectoryIsItsOwn) {
    const std::u16string module = base::ModuleFileName();
    const std::u16string directory = module.substr(0, module.rfind(base::kPathSeparator));
    ASSERT_EQ(alarming::OwnDirectory(), directory);
    const std::u16string sep(1, base::kPathSeparator);

    EXPECT_EQ(alarming::IsInOwnDirectory(module), 1);
    EXPECT_EQ(alarming::IsInOwnDirectory(directory + sep + u"Zelvan.exe"), 1);
    EXPECT_EQ(alarming::IsInOwnDirectory(directory + sep + u"sub" + sep + u"other.exe"), 0);
    EXPECT_EQ(alarming::IsInOwnDirectory(directory + u"x" + sep + u"other.exe"), 0);
}

}  // namespace
