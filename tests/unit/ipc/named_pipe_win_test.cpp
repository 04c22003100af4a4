// The pipe between two processes of the Windows build: this test program on one end, kvt_pipe_peer.exe on
// the other.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "base/event.h"
#include "base/module_path.h"
#include "base/scoped_handle_win.h"
#include "base/wide_win.h"
#include "unit/ipc/pipe_test_util.h"

namespace {

using pipe_test::CallbackServer;
using pipe_test::ReadingClient;
using pipe_test::UniquePipeName;
using pipe_test::WriteText;

constexpr DWORD kPeerWaitMs = 20000;

// kvt_pipe_peer.exe with the given arguments; terminated if it is still running at the end of the test.
class PeerProcess {
  public:
    explicit PeerProcess(const std::u16string& arguments) {
        std::u16string command(u"\"");
        command.append(base::ProgramPath(u"kvt_pipe_peer.exe")).append(u"\" ").append(arguments);
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (CreateProcessW(nullptr, base::Wide(command.data()), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &info)) {
            process_.Reset(info.hProcess);
            thread_.Reset(info.hThread);
        }
    }
    ~PeerProcess() {
        if (process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.Get(), 99);
        }
    }

    bool Started() const { return process_.IsValid(); }
    void Terminate() {
        TerminateProcess(process_.Get(), 99);
        WaitForSingleObject(process_.Get(), kPeerWaitMs);
    }
    // The exit code, or STILL_ACTIVE when the peer did not end in time.
    DWORD WaitForExit(DWORD timeoutMs = kPeerWaitMs) {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(process_.Get(), timeoutMs) == WAIT_OBJECT_0) {
            GetExitCodeProcess(process_.Get(), &code);
        }
        return code;
    }

  private:
    base::ScopedKernelHandle process_;
    base::ScopedKernelHandle thread_;
};

std::u16string Ascii(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

// A peer serving name with the given policy, ready once its pipe exists.
class PeerServer {
  public:
    PeerServer(const std::u16string& name, std::uint32_t policy)
        : readyName_(u"kvt-peer-ready-" + name.substr(name.rfind(u'\\') + 1)),
          ready_(base::EventReset::kManual, false, readyName_),
          process_(u"serve " + name + u" " + readyName_ + u" " + Ascii(std::to_string(policy))) {}

    bool WaitReady() { return process_.Started() && ready_.Wait(kPeerWaitMs); }
    PeerProcess& Process() { return process_; }

  private:
    std::u16string readyName_;
    base::Event ready_;
    PeerProcess process_;
};

TEST(NamedPipeBetweenProcesses, BackToBackMessagesKeepTheirBoundariesAndATooLongOneIsDropped) {
    const std::u16string name = UniquePipeName();
    PeerServer peer(name, ipc::IPipeReadCallBack::kBrokenPipeStop);
    ASSERT_TRUE(peer.WaitReady());
    {
        ReadingClient client(name);
        ASSERT_TRUE(client.opened && client.reading);
        ASSERT_TRUE(WriteText(client.client, "burst"));
        ASSERT_TRUE(WriteText(client.client, "echo:last"));
        ASSERT_TRUE(client.sink.WaitForMessages(4));
        EXPECT_EQ(client.sink.Messages(), (std::vector<std::string>{"one", "two", "three", "last"}));
    }
    // Our client has gone: the peer's server saw the broken pipe and stopped.
    EXPECT_EQ(peer.Process().WaitForExit(), 0u);
}

TEST(NamedPipeBetweenProcesses, MissingPipeGivesFileNotFound) {
    PeerProcess peer(u"open " + UniquePipeName());
    ASSERT_TRUE(peer.Started());
    EXPECT_EQ(peer.WaitForExit(), ipc::kPipeErrorFileNotFound);
}

TEST(NamedPipeBetweenProcesses, ASecondClientOfABusyPipeFailsAtTheReadModeStep) {
    const std::u16string name = UniquePipeName();
    CallbackServer server(name);
    ReadingClient first(name);
    ASSERT_TRUE(WriteText(first.client, "first"));
    ASSERT_TRUE(server.sink.WaitForMessages(1));

    PeerProcess second(u"open " + name);
    ASSERT_TRUE(second.Started());
    EXPECT_GE(second.WaitForExit(), 1000u);  // "SetNamedPipeState failed"
}

TEST(NamedPipeBetweenProcesses, ClientReaderSeesTheBrokenPipeOnceThePeerServerIsGone) {
    const std::u16string name = UniquePipeName();
    PeerServer peer(name, ipc::IPipeReadCallBack::kBrokenPipeStop);
    ASSERT_TRUE(peer.WaitReady());
    ReadingClient client(name);
    ASSERT_TRUE(WriteText(client.client, "echo:hi"));
    ASSERT_TRUE(client.sink.WaitForMessages(1));

    // Killed, the peer closes nothing itself: the system closes its end.
    peer.Process().Terminate();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPeerWaitMs);
    while (client.client.Endpoint().LastError() != ipc::kPipeErrorBrokenPipe &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(client.client.Endpoint().LastError(), ipc::kPipeErrorBrokenPipe);
    EXPECT_FALSE(WriteText(client.client, "anyone?"));
}

TEST(NamedPipeBetweenProcesses, ServerWithPolicyAcceptNextServesOnePeerClientAfterTheOther) {
    const std::u16string name = UniquePipeName();
    CallbackServer server(name, ipc::IPipeReadCallBack::kBrokenPipeAcceptNext);
    ASSERT_TRUE(server.created && server.reading);

    PeerProcess first(u"client " + name + u" a1 a2");
    ASSERT_TRUE(server.sink.WaitForMessages(2));
    ASSERT_TRUE(WriteText(server.server, "ack"));
    EXPECT_EQ(first.WaitForExit(), 0u);
    // The peer's end closed when it exited: ERROR_BROKEN_PIPE, and the policy was asked.
    ASSERT_TRUE(server.sink.WaitForPolicyQuestions(1));

    PeerProcess second(u"client " + name + u" b1");
    ASSERT_TRUE(server.sink.WaitForMessages(3));
    ASSERT_TRUE(WriteText(server.server, "ack"));
    EXPECT_EQ(second.WaitForExit(), 0u);
    EXPECT_TRUE(server.sink.WaitForPolicyQuestions(2));
    EXPECT_EQ(server.sink.Messages(), (std::vector<std::string>{"a1", "a2", "b1"}));
}

}  // namespace
