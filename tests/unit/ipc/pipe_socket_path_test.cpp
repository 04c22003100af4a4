#include "ipc/pipe_socket_path.h"

#include <gtest/gtest.h>

#include "base/text.h"

namespace {

struct LocationCase {
    std::u16string_view pipeName;
    std::uint32_t uid;
    std::string_view runtimeDir;
    std::string_view directory;  // empty: the name is refused
    std::string_view path;
};

TEST(LocatePipeSocket, MapsPipeNamesToSocketFiles) {
    const LocationCase cases[] = {
        // root always uses /run, whatever its runtime directory says
        {u"\\\\.\\pipe\\kvt", 0, "/run/user/0", "/run/kvtmon", "/run/kvtmon/kvt"},
        // other users: their runtime directory, else a per-user directory under /tmp
        {u"\\\\.\\pipe\\kvt", 1000, "/run/user/1000", "/run/user/1000/kvtmon", "/run/user/1000/kvtmon/kvt"},
        {u"\\\\.\\pipe\\kvt", 1000, "/run/user/1000//", "/run/user/1000/kvtmon", "/run/user/1000/kvtmon/kvt"},
        {u"\\\\.\\pipe\\kvt", 1000, "/", "/kvtmon", "/kvtmon/kvt"},
        {u"\\\\.\\pipe\\kvt", 1000, "", "/tmp/kvtmon-1000", "/tmp/kvtmon-1000/kvt"},
        // a relative runtime directory is ignored
        {u"\\\\.\\pipe\\kvt", 1000, "run/user", "/tmp/kvtmon-1000", "/tmp/kvtmon-1000/kvt"},
        // the prefix ignores case, the name keeps it; names are UTF-8 on disk
        {u"\\\\.\\PIPE\\Kvt_Svc", 0, "", "/run/kvtmon", "/run/kvtmon/Kvt_Svc"},
        {u"\\\\.\\pipe\\加速-1", 0, "", "/run/kvtmon", "/run/kvtmon/加速-1"},
        {u"\\\\.\\pipe\\.x", 0, "", "/run/kvtmon", "/run/kvtmon/.x"},
        // refused: no prefix, nothing after it, or a name that could leave the directory
        {u"\\\\.\\pipe", 0, "", "", ""},
        {u"\\\\.\\pipe\\", 0, "", "", ""},
        {u"\\\\.\\pipes\\kvt", 0, "", "", ""},
        {u"\\\\.\\pipe\\a/b", 0, "", "", ""},
        {u"\\\\.\\pipe\\..", 0, "", "", ""},
        {u"\\\\.\\pipe\\.", 0, "", "", ""},
        {std::u16string_view(u"\\\\.\\pipe\\a\0b", 12), 0, "", "", ""},
    };
    for (const LocationCase& c : cases) {
        ipc::PipeSocketLocation location;
        const bool located = ipc::LocatePipeSocket(c.pipeName, c.uid, c.runtimeDir, location);
        SCOPED_TRACE(base::Utf16ToUtf8(c.pipeName));
        ASSERT_EQ(located, !c.directory.empty());
        if (located) {
            EXPECT_EQ(location.directory, c.directory);
            EXPECT_EQ(location.path, c.path);
        }
    }
}

}  // namespace
