// The message pipe of both builds (a named pipe under Wine, a socket on Linux), both ends in this process.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "unit/ipc/pipe_test_util.h"

namespace {

using namespace pipe_test;
using base::Utf16ToUtf8;
using Clock = std::chrono::steady_clock;

// Every byte depends on the tag and its position: a message cut, padded or mixed with another fails.
std::string Patterned(const std::string& tag, std::size_t size) {
    std::string text = tag + ":";
    for (std::size_t i = text.size(); i < size; ++i) {
        text.push_back(static_cast<char>('a' + (i * 7 + tag.size()) % 26));
    }
    text.resize(size);
    return text;
}

// A server and the client it has taken: the first message, "hello", proves that it has.
struct Connected {
    explicit Connected(std::uint32_t policy = ipc::IPipeReadCallBack::kBrokenPipeStop)
        : server(name, policy), client(std::make_unique<ReadingClient>(name)) {
        ok = server.created && server.reading && client->opened && client->reading &&
             WriteText(client->client, "hello") && server.sink.WaitForMessages(1);
    }
    const std::u16string name = UniquePipeName();
    CallbackServer server;
    std::unique_ptr<ReadingClient> client;
    bool ok = false;
};

// A second client is refused at the read mode step, and the first keeps the pipe.
TEST(NamedPipe, MessagesArriveOneReadEachAndThoseLongerThanTheReceiveBufferAreDropped) {
    Connected pipe;
    ASSERT_TRUE(pipe.ok);
    ipc::CNamedPipeClientCallBackMode second;
    EXPECT_EQ(second.Open(pipe.name), 0u);
    EXPECT_EQ(Utf16ToUtf8(second.Endpoint().Text()), "SetNamedPipeState failed");
    EXPECT_FALSE(second.Endpoint().IsOpen());
    auto [server, client] = std::tie(pipe.server, *pipe.client);
    std::vector<std::string> expected{"hello"};
    for (const std::size_t size : {std::size_t{1}, ipc::kPipeReceiveBufferSize, std::size_t{4097}}) {
        const std::string message = Patterned(std::to_string(size), size);
        ASSERT_TRUE(WriteText(client.client, message));
        if (size <= ipc::kPipeReceiveBufferSize) {
            expected.push_back(message);
        }
    }
    ASSERT_TRUE(WriteText(client.client, "after"));
    expected.push_back("after");
    ASSERT_TRUE(server.sink.WaitForMessages(expected.size()));
    EXPECT_EQ(server.sink.Messages(), expected);
    EXPECT_EQ(server.sink.Contexts(), std::vector<std::uintptr_t>(expected.size(), 0x5150));
    ASSERT_TRUE(WriteText(server.server, "one"));
    ASSERT_TRUE(client.sink.WaitForMessages(1));
    EXPECT_EQ(client.sink.Messages(), std::vector<std::string>{"one"});
    EXPECT_EQ(client.sink.Contexts(), std::vector<std::uintptr_t>{0xC11E});
}

TEST(NamedPipe, WritesFromSeveralThreadsArriveWhole) {
    Connected pipe;
    ASSERT_TRUE(pipe.ok);
    std::set<std::string> sent{"hello"};
    std::vector<std::thread> writers;
    std::atomic<int> failures{0};
    for (int t = 0; t < 4; ++t) {
        std::vector<std::string> messages;
        for (int i = 0; i < 40; ++i) {
            messages.push_back(
                Patterned(std::to_string(t) + "-" + std::to_string(i), 100 + (t * 997 + i * 131) % 3900));
            sent.insert(messages.back());
        }
        writers.emplace_back([&, messages] {
            for (const std::string& m : messages) {
                failures += WriteText(pipe.client->client, m) ? 0 : 1;
            }
        });
    }
    for (auto& w : writers) {
        w.join();
    }
    EXPECT_EQ(failures.load(), 0);
    ASSERT_TRUE(pipe.server.sink.WaitForMessages(sent.size()));
    const auto received = pipe.server.sink.Messages();
    EXPECT_EQ(received.size(), sent.size());
    EXPECT_EQ(std::set<std::string>(received.begin(), received.end()), sent);
}

// The client's message waits for a server that starts reading only afterwards.
TEST(NamedPipe, AClientThatConnectsBeforeTheServerReadsIsServed) {
    const std::u16string name = UniquePipeName();
    RecordingCallback sink;
    ipc::CNamedPipeSvcCallBackMode server;
    ASSERT_EQ(server.Create(name, 1, 4096, 4096, 1000), 1u);
    ipc::CNamedPipeClientCallBackMode client;
    ASSERT_EQ(client.Open(name), 1u);
    ASSERT_TRUE(WriteText(client, "early"));
    server.SetCallback(&sink, 0);
    ASSERT_EQ(server.StartReading(), 1u);
    ASSERT_TRUE(sink.WaitForMessages(1));
    EXPECT_EQ(sink.Messages().front(), "early");
}

TEST(NamedPipe, CallsWithoutAPeerFailWithTheirSystemTexts) {
    ipc::CNamedPipeClientCallBackMode client;
    EXPECT_EQ(client.Open(UniquePipeName()), 0u);
    EXPECT_EQ(client.Endpoint().LastError(), ipc::kPipeErrorFileNotFound);
    EXPECT_EQ(Utf16ToUtf8(client.Endpoint().Text()), "CreateFile failed");
    EXPECT_FALSE(client.Endpoint().IsOpen());
    CallbackServer server(UniquePipeName());
    std::uint32_t written = 7;
    EXPECT_EQ(server.server.Write("x", 1, &written), 0u);  // no client yet
    EXPECT_EQ(written, 0u);
    EXPECT_NE(server.server.Endpoint().LastError(), 0u);
    ipc::CNamedPipeSvcCallBackMode none;
    EXPECT_EQ(none.Disconnect(), 0u);
    EXPECT_EQ(Utf16ToUtf8(none.Endpoint().Text()), "ConnectNamedPipe failed");
}

// A client that closes its end can no longer write and its server sees it go; a client whose server has gone
// sees it from its reader and cannot write either.
TEST(NamedPipe, WhenOneEndGoesTheOtherSeesItAndWritesFail) {
    Connected closing;
    ASSERT_TRUE(closing.ok);
    ipc::CNamedPipeClientCallBackMode& client = closing.client->client;
    EXPECT_EQ(client.Close(), 0u);
    EXPECT_EQ(Utf16ToUtf8(client.Endpoint().Text()), "ConnectNamedPipe failed");
    EXPECT_FALSE(client.Endpoint().IsOpen());
    EXPECT_TRUE(closing.server.sink.WaitForPolicyQuestions(1));
    EXPECT_FALSE(WriteText(client, "x"));

    auto left = std::make_unique<Connected>();
    ASSERT_TRUE(left->ok);
    const std::unique_ptr<ReadingClient> orphan = std::move(left->client);
    left.reset();
    // The reader records the end: 109 on Linux; 233 on Windows, where the server disconnected it.
    EXPECT_TRUE(Eventually([&] {
        const std::uint32_t seen = orphan->client.Endpoint().LastError();
        return seen == ipc::kPipeErrorBrokenPipe || seen == ipc::kPipeErrorPipeNotConnected;
    }));
    EXPECT_FALSE(WriteText(orphan->client, "anyone?"));
    const std::uint32_t error = orphan->client.Endpoint().LastError();
    EXPECT_TRUE(error == ipc::kPipeErrorNoData || error == ipc::kPipeErrorPipeNotConnected) << error;
}

// Whether a server takes the next client or closes is the callback's policy, asked once per client.
TEST(NamedPipe, TheBrokenPipePolicyDecidesWhetherTheNextClientIsServed) {
    for (const std::uint32_t policy :
         {ipc::IPipeReadCallBack::kBrokenPipeAcceptNext, ipc::IPipeReadCallBack::kBrokenPipeStop}) {
        SCOPED_TRACE(policy);
        Connected pipe(policy);
        ASSERT_TRUE(pipe.ok);
        pipe.client.reset();
        ASSERT_TRUE(pipe.server.sink.WaitForPolicyQuestions(1));
        if (policy == ipc::IPipeReadCallBack::kBrokenPipeStop) {
            ipc::CNamedPipeClientCallBackMode late;
            EXPECT_TRUE(OpenFailsWith(late, pipe.name, ipc::kPipeErrorFileNotFound));
            EXPECT_FALSE(pipe.server.server.Endpoint().IsOpen());
            EXPECT_EQ(pipe.server.sink.PolicyQuestions(), 1);
            continue;
        }
        ReadingClient second(pipe.name);
        ASSERT_TRUE(WriteText(second.client, "from the second"));
        ASSERT_TRUE(pipe.server.sink.WaitForMessages(2));
        ASSERT_TRUE(WriteText(pipe.server.server, "welcome"));
        EXPECT_TRUE(second.sink.WaitForMessages(1));
    }
}

TEST(NamedPipe, ASecondServerOfTheSameNameIsRefusedUntilTheFirstHasGone) {
    const std::u16string name = UniquePipeName();
    auto first = std::make_unique<CallbackServer>(name);
    ASSERT_TRUE(first->created);
    ipc::CNamedPipeSvcCallBackMode second;
    EXPECT_EQ(second.Create(name, 1, 4096, 4096, 1000), 0u);
    EXPECT_EQ(second.Endpoint().LastError(), ipc::kPipeErrorPipeBusy);
    EXPECT_EQ(Utf16ToUtf8(second.Endpoint().Text()), "CreateNamedPipe failed");
    first.reset();
    EXPECT_EQ(second.Create(name, 1, 4096, 4096, 1000), 1u);
}

// Reads whole messages, the part that fits of a longer one; once disconnected, it is gone.
TEST(NamedPipe, ABlockingServerReadsAndWritesWholeMessages) {
    const std::u16string name = UniquePipeName();
    ipc::CNamedPipeSvcBlockMode server;
    ASSERT_EQ(server.Create(name, 1, 4096, 4096, 1000), 1u);
    ReadingClient client(name);
    ASSERT_TRUE(WriteText(client.client, "ping"));
    ASSERT_TRUE(WriteText(client.client, "0123456789"));
    char buffer[64] = {};
    std::uint32_t read = 0;
    ASSERT_EQ(server.Read(buffer, sizeof(buffer), &read, nullptr), 1u);
    EXPECT_EQ(std::string(buffer, read), "ping");
    EXPECT_EQ(server.Read(buffer, 4, &read, nullptr), 0u);
    EXPECT_EQ(std::string(buffer, read), "0123");
    EXPECT_EQ(server.Endpoint().LastError(), ipc::kPipeErrorMoreData);
    ASSERT_TRUE(WriteText(server, "pong"));
    ASSERT_TRUE(client.sink.WaitForMessages(1));
    EXPECT_EQ(client.sink.Messages().front(), "pong");

    ipc::CNamedPipeSvcBlockMode waiting;
    const std::u16string other = UniquePipeName();
    ASSERT_EQ(waiting.Create(other, 1, 4096, 4096, 1000), 1u);
    EXPECT_EQ(waiting.Disconnect(), 1u);
    ipc::CNamedPipeClientCallBackMode late;
    EXPECT_TRUE(OpenFailsWith(late, other, ipc::kPipeErrorFileNotFound));
}

// A peer that never reads: a write that may not wait is refused at once once the pipe is full, one with a
// bound waits it out; neither is sent.
TEST(NamedPipe, ABoundedWriteToAFullPipeGivesUpAfterItsBound) {
    const std::u16string name = UniquePipeName();
    ipc::CNamedPipeSvcBlockMode deaf;
    ASSERT_EQ(deaf.Create(name, 1, 4096, 4096, 1000), 1u);
    ipc::CNamedPipeClientCallBackMode client;
    ASSERT_TRUE(OpenWhenListening(client, name));
    std::uint32_t written = 0;
    ASSERT_TRUE(Eventually([&] { return deaf.Write("", 0, &written) == 1; }));  // the server has taken it
    const std::string message(1000, 'm');
    std::uint32_t error = 0;
    for (int i = 0; i < 100000 && error == 0; ++i) {
        error = client.WriteWithin(message.data(), 1000, &written, 0);
    }
    EXPECT_EQ(error, ipc::kPipeErrorWaitTimeout);
    EXPECT_EQ(written, 0u);
    const auto start = Clock::now();
    EXPECT_EQ(client.WriteWithin(message.data(), 1000, &written, 300), ipc::kPipeErrorWaitTimeout);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(250));
    EXPECT_EQ(client.Endpoint().LastError(), ipc::kPipeErrorWaitTimeout);
}

}  // namespace
