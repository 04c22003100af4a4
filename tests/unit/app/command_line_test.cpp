#include "app/command_line.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
    std::u16string_view text;
    bool ok;
    std::u16string_view host;
    std::u16string_view pipe;
};

TEST(SplitCommandLine, HostNameBeforeTheBlankAndPipeFromTheFirstBackslash) {
    const SplitCase cases[] = {
        {u"GameBooster.exe \\\\.\\pipe\\kvt", true, u"GameBooster.exe", u"\\\\.\\pipe\\kvt"},
        // Only the one character before the backslash is dropped, whatever it is.
        {u"host.exe  \\\\.\\pipe\\a", true, u"host.exe ", u"\\\\.\\pipe\\a"},
        {u"host.exe \\", true, u"host.exe", u"\\"},
        {u"host.exe", false, u"", u""},
        {u"\\\\.\\pipe\\kvt", false, u"", u""},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(c.text)));
        app::CommandLine parts;
        EXPECT_EQ(app::SplitCommandLine(c.text, parts), c.ok);
        if (c.ok) {
            EXPECT_EQ(parts.hostProcessName, c.host);
            EXPECT_EQ(parts.pipeName, c.pipe);
        }
    }
}

}  // namespace
