// Who may reach the monitor's end of the pipe: only the owner of the socket directory, through a
// directory nobody else can enter, and never through a symbolic link. The tests as another user fork a
// child that takes the identity of "nobody"; they need root and are skipped without it.

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "ipc/pipe_endpoint.h"
#include "ipc/pipe_socket_linux.h"
#include "support/temp_dir.h"
#include "unit/ipc/pipe_test_util.h"

namespace {

using pipe_test::CallbackServer;
using pipe_test::UniquePipeName;

constexpr uid_t kNobody = 65534;

PipeSocketLocation LocationOf(std::u16string_view name) {
    PipeSocketLocation location;
    EXPECT_TRUE(LocatePipeSocketForThisUser(name, location));
    return location;
}

// Runs `body` in a child process as "nobody" with XDG_RUNTIME_DIR set to runtimeDir (unset when empty);
// the child's exit code is what body returns, or 100 + errno when the identity cannot be taken.
int AsNobody(const std::string& runtimeDir, const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
            ::_exit(100 + errno);
        }
        if (runtimeDir.empty()) {
            ::unsetenv("XDG_RUNTIME_DIR");
        } else {
            ::setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
        }
        ::_exit(body());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

// The error of a failed client Open as an exit code (0 when it opened, 99 for an unexpected text).
int OpenError(std::u16string_view name) {
    CNamedPipeClientCallBackMode client;
    if (client.Open(name) != 0) {
        return 0;
    }
    if (pipe_test::Bytes(client.Endpoint().Text()) != "CreateFile failed") {
        return 99;
    }
    return static_cast<int>(client.Endpoint().LastError());
}

TEST(PipeDoorLinux, ASymbolicLinkAtTheSocketPathIsNotFollowed) {
    const std::u16string realName = UniquePipeName();
    CallbackServer server(realName);
    ASSERT_TRUE(server.created);
    const std::u16string linkedName = UniquePipeName();
    const std::string link = LocationOf(linkedName).path;
    ASSERT_EQ(::symlink(LocationOf(realName).path.c_str(), link.c_str()), 0);

    UniqueFd socket;
    EXPECT_EQ(ConnectToPipeSocket(link, socket), kPipeErrorAccessDenied);
    EXPECT_FALSE(socket.IsValid());
    EXPECT_EQ(OpenError(linkedName), static_cast<int>(kPipeErrorAccessDenied));

    // The server behind the link never saw a client: the first one to come by its own name is taken.
    CNamedPipeClientCallBackMode client;
    EXPECT_EQ(client.Open(realName), 1u);
    EXPECT_TRUE(pipe_test::WriteText(client, "by name"));
    EXPECT_TRUE(server.sink.WaitForMessages(1));
    ::unlink(link.c_str());
}

TEST(PipeDoorLinux, AnotherUserCannotConnectToTheSocket) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "taking another user's identity needs root";
    }
    const std::u16string name = UniquePipeName();
    CallbackServer server(name);
    ASSERT_TRUE(server.created);
    const std::string path = LocationOf(name).path;
    // The kernel's own check: the directory admits its owner only.
    EXPECT_EQ(AsNobody("",
                       [&] {
                           UniqueFd socket;
                           return static_cast<int>(ConnectToPipeSocket(path, socket));
                       }),
              static_cast<int>(kPipeErrorAccessDenied));
    // Nobody's client looks in its own directory; pointed at root's, it refuses a directory it does not own.
    const std::string runDir = LocationOf(name).directory.substr(0, LocationOf(name).directory.rfind('/'));
    EXPECT_EQ(AsNobody(runDir, [&] { return OpenError(name); }), static_cast<int>(kPipeErrorAccessDenied));
    // The server is still free for its owner.
    CNamedPipeClientCallBackMode client;
    EXPECT_EQ(client.Open(name), 1u);
}

TEST(PipeDoorLinux, TheClientRefusesADirectoryOfSomebodyElseOrOpenToOthers) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "taking another user's identity needs root";
    }
    testing_support::TempDir temp;
    ASSERT_EQ(::chmod(temp.path().c_str(), 0755), 0);
    const std::string runtime = temp.path().string();
    const std::string directory = runtime + "/kvtmon";
    ASSERT_EQ(::mkdir(directory.c_str(), 0700), 0);
    const std::u16string name = UniquePipeName();

    struct DirectoryCase {
        const char* what;
        uid_t owner;
        mode_t mode;
        int expected;
    };
    const DirectoryCase cases[] = {
        // Nobody's own private directory without a socket in it: the pipe is just missing.
        {"its own, private", kNobody, 0700, static_cast<int>(kPipeErrorFileNotFound)},
        {"owned by root", 0, 0700, static_cast<int>(kPipeErrorAccessDenied)},
        {"owned by root, open to all", 0, 0777, static_cast<int>(kPipeErrorAccessDenied)},
        {"its own, open to the group", kNobody, 0750, static_cast<int>(kPipeErrorAccessDenied)},
        {"its own, open to others", kNobody, 0705, static_cast<int>(kPipeErrorAccessDenied)},
    };
    for (const DirectoryCase& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(::chown(directory.c_str(), c.owner, c.owner), 0);
        ASSERT_EQ(::chmod(directory.c_str(), c.mode), 0);
        EXPECT_EQ(AsNobody(runtime, [&] { return OpenError(name); }), c.expected);
    }
}

}  // namespace
