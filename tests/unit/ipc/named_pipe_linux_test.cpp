#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "base/text.h"
#include "ipc/pipe_socket_linux.h"
#include "support/temp_dir.h"
#include "unit/ipc/pipe_test_util.h"

namespace {

using pipe_test::CallbackServer;
using pipe_test::ReadingClient;
using pipe_test::UniquePipeName;
using pipe_test::WriteText;

ipc::PipeSocketLocation Located(std::u16string_view name) {
    ipc::PipeSocketLocation location;
    EXPECT_TRUE(ipc::LocatePipeSocketForThisUser(name, location));
    return location;
}

TEST(NamedPipeLinux, ANameThatCouldLeaveTheDirectoryFailsLikeAMissingPipe) {
    const std::u16string_view name = u"\\\\.\\pipe\\../kvtmon";
    ipc::CNamedPipeClientCallBackMode client;
    EXPECT_EQ(client.Open(name), 0u);
    EXPECT_EQ(client.Endpoint().LastError(), ipc::kPipeErrorFileNotFound);
    EXPECT_EQ(base::Utf16ToUtf8(client.Endpoint().Text()), "CreateFile failed");
    ipc::CNamedPipeSvcCallBackMode server;
    EXPECT_EQ(server.Create(name, 1, 4096, 4096, 1000), 0u);
    EXPECT_EQ(server.Endpoint().LastError(), ipc::kPipeErrorInvalidName);
    EXPECT_EQ(base::Utf16ToUtf8(server.Endpoint().Text()), "CreateNamedPipe failed");
}

TEST(NamedPipeLinux, ASecondClientWaitingBeforeTheServerLooksIsBusyToo) {
    const std::u16string name = UniquePipeName();
    ipc::CNamedPipeSvcCallBackMode server;  // created, but nobody takes clients yet
    ASSERT_EQ(server.Create(name, 1, 4096, 4096, 1000), 1u);
    ipc::CNamedPipeClientCallBackMode first;
    ASSERT_EQ(first.Open(name), 1u);
    ipc::CNamedPipeClientCallBackMode second;
    EXPECT_EQ(second.Open(name), 0u);
    EXPECT_EQ(second.Endpoint().LastError(), ipc::kPipeErrorPipeBusy);
    EXPECT_EQ(base::Utf16ToUtf8(second.Endpoint().Text()), "SetNamedPipeState failed");
}

// A socket file left by a server that ended without removing it is replaced; the files of a server go
// with it.
TEST(NamedPipeLinux, AServersSocketAndLockFilesLiveAsLongAsItAndReplaceStaleOnes) {
    const std::u16string name = UniquePipeName();
    const ipc::PipeSocketLocation at = Located(name);
    ASSERT_EQ(ipc::EnsurePipeDirectory(at.directory, ::geteuid(), true), 0u);
    {
        base::ScopedFd stale;
        ASSERT_EQ(ipc::ListenAtPipeSocket(at.path, stale), 0u);
    }
    ipc::CNamedPipeClientCallBackMode early;
    EXPECT_EQ(early.Open(name), 0u);  // nobody listens: refused like a busy pipe
    EXPECT_EQ(early.Endpoint().LastError(), ipc::kPipeErrorPipeBusy);
    {
        CallbackServer server(name);
        ASSERT_TRUE(server.created);
        EXPECT_TRUE(std::filesystem::exists(ipc::PipeLockPath(at.path)));
        ReadingClient client(name);
        ASSERT_TRUE(WriteText(client.client, "fresh"));
        EXPECT_TRUE(server.sink.WaitForMessages(1));
    }
    EXPECT_FALSE(std::filesystem::exists(at.path));
    EXPECT_FALSE(std::filesystem::exists(ipc::PipeLockPath(at.path)));
}

// Opens the pipe directory to others for the test's duration.
struct LooseDirectory {
    explicit LooseDirectory(std::string dir) : directory(std::move(dir)) { ::chmod(directory.c_str(), 0755); }
    ~LooseDirectory() { ::chmod(directory.c_str(), 0700); }
    std::string directory;
};

TEST(NamedPipeLinux, NeitherEndUsesADirectoryThatOthersCanEnter) {
    const std::u16string name = UniquePipeName();
    CallbackServer server(name);
    ASSERT_TRUE(server.created);
    LooseDirectory loose(Located(name).directory);

    ipc::CNamedPipeClientCallBackMode client;
    EXPECT_EQ(client.Open(name), 0u);
    EXPECT_EQ(client.Endpoint().LastError(), ipc::kPipeErrorAccessDenied);
    EXPECT_EQ(base::Utf16ToUtf8(client.Endpoint().Text()), "CreateFile failed");

    ipc::CNamedPipeSvcCallBackMode other;
    EXPECT_EQ(other.Create(UniquePipeName(), 1, 4096, 4096, 1000), 0u);
    EXPECT_EQ(other.Endpoint().LastError(), ipc::kPipeErrorAccessDenied);
}

TEST(EnsurePipeDirectory, AcceptsOnlyAPrivateDirectoryOfItsOwner) {
    testing_support::TempDir temp;
    const uid_t me = ::geteuid();
    const std::string dir = (temp.path() / "kvtmon").string();
    constexpr std::uint32_t kDenied = ipc::kPipeErrorAccessDenied;

    EXPECT_EQ(ipc::EnsurePipeDirectory(dir, me, false), ipc::kPipeErrorFileNotFound);
    ASSERT_EQ(ipc::EnsurePipeDirectory(dir, me, true), 0u);
    struct stat st {};
    ASSERT_EQ(::lstat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(ipc::EnsurePipeDirectory(dir, me, true), 0u);
    EXPECT_EQ(ipc::EnsurePipeDirectory(dir, me, false), 0u);

    // owned by somebody else
    EXPECT_EQ(ipc::EnsurePipeDirectory(dir, me + 1, false), kDenied);

    const std::pair<mode_t, std::uint32_t> modes[] = {{0500, 0}, {0710, kDenied}, {0701, kDenied}};
    for (const auto& [mode, expected] : modes) {
        ASSERT_EQ(::chmod(dir.c_str(), mode), 0);
        EXPECT_EQ(ipc::EnsurePipeDirectory(dir, me, true), expected) << std::oct << mode;
    }
    ::chmod(dir.c_str(), 0700);

    // not a directory, or a link to one
    const std::string file = (temp.path() / "file").string();
    testing_support::WriteFileBytes(file, "x");
    EXPECT_EQ(ipc::EnsurePipeDirectory(file, me, true), kDenied);
    const std::string link = (temp.path() / "link").string();
    ASSERT_EQ(::symlink(dir.c_str(), link.c_str()), 0);
    EXPECT_EQ(ipc::EnsurePipeDirectory(link, me, true), kDenied);
}

// connect follows a symbolic link, which could lead to somebody else's server.
TEST(ConnectToPipeSocket, RefusesASymbolicLinkAtTheSocketPath) {
    testing_support::TempDir temp;
    const std::string path = (temp.path() / "socket").string();
    const std::string link = (temp.path() / "link").string();
    base::ScopedFd listener;
    ASSERT_EQ(ipc::ListenAtPipeSocket(path, listener), 0u);
    ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
    base::ScopedFd socket;
    EXPECT_EQ(ipc::ConnectToPipeSocket(link, socket), ipc::kPipeErrorAccessDenied);
}

}  // namespace
