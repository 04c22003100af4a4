#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/event.h"
#include "unit/ipc/pipe_test_util.h"

namespace {

using pipe_test::CallbackServer;
using pipe_test::ReadingClient;
using pipe_test::RecordingCallback;
using pipe_test::UniquePipeName;
using pipe_test::WriteText;
using Clock = std::chrono::steady_clock;

// A message whose every byte depends on its tag and position: a message cut, padded or mixed with
// another one cannot pass for it.
std::string Patterned(const std::string& tag, std::size_t size) {
    std::string text = tag + ":";
    for (std::size_t i = text.size(); i < size; ++i) {
        text.push_back(static_cast<char>('a' + (i * 7 + tag.size()) % 26));
    }
    text.resize(size);
    return text;
}

// The i-th message of writer thread t: its own tag, and a size between 100 and 3999 bytes.
std::string WriterMessage(int t, int i) {
    char tag[32];
    std::snprintf(tag, sizeof(tag), "t%d-%d", t, i);
    return Patterned(tag, 100 + (t * 997 + i * 131) % 3900);
}

TEST(NamedPipeTransport, MessagesWrittenBackToBackArriveOneReadEach) {
    const std::u16string name = UniquePipeName();
    CallbackServer server(name);
    ASSERT_TRUE(server.created && server.reading);
    ReadingClient client(name);
    ASSERT_TRUE(client.opened && client.reading);

    ASSERT_TRUE(WriteText(client.client, "first"));
    ASSERT_TRUE(WriteText(client.client, "second message"));
    ASSERT_TRUE(server.sink.WaitForMessages(2));
    EXPECT_EQ(server.sink.Messages(), (std::vector<std::string>{"first", "second message"}));
    EXPECT_EQ(server.sink.Contexts(), (std::vector<std::uintptr_t>{0x5150, 0x5150}));

    ASSERT_TRUE(WriteText(server.server, "one"));
    ASSERT_TRUE(WriteText(server.server, "two"));
    ASSERT_TRUE(WriteText(server.server, "three"));
    ASSERT_TRUE(client.sink.WaitForMessages(3));
    EXPECT_EQ(client.sink.Messages(), (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(client.sink.Contexts(), (std::vector<std::uintptr_t>{0xC11E, 0xC11E, 0xC11E}));
    EXPECT_EQ(pipe_test::Bytes(client.client.Endpoint().Text()), pipe_test::Bytes(name));
}

TEST(NamedPipeTransport, ClientThatConnectsBeforeTheServerReadsIsServed) {
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

TEST(NamedPipeTransport, MessagesUpToTheReceiveBufferArriveWholeLongerOnesAreDropped) {
    struct Case {
        std::size_t size;
        bool delivered;
    };
    const Case cases[] = {
        {1, true}, {4095, true}, {ipc::kPipeReceiveBufferSize, true}, {4097, false}, {3 * 4096 + 5, false},
    };
    const std::u16string name = UniquePipeName();
    CallbackServer server(name);
    ReadingClient client(name);
    ASSERT_TRUE(client.opened);
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        const std::string before = "before " + std::to_string(c.size);
        const std::string message = Patterned(std::to_string(c.size), c.size);
        ASSERT_TRUE(WriteText(client.client, before));
        ASSERT_TRUE(WriteText(client.client, message));
        expected.push_back(before);
        if (c.delivered) {
            expected.push_back(message);
        }
    }
    ASSERT_TRUE(WriteText(client.client, "after"));
    expected.push_back("after");
    ASSERT_TRUE(server.sink.WaitForMessages(expected.size()));
    EXPECT_EQ(server.sink.Messages(), expected);
}

TEST(NamedPipeTransport, WritesFromSeveralThreadsArriveWhole) {
    constexpr int kThreads = 4;
    constexpr int kPerThread = 40;
    const std::u16string name = UniquePipeName();
    CallbackServer server(name);
    ReadingClient client(name);
    ASSERT_TRUE(client.opened);

    std::set<std::string> sent;
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kPerThread; ++i) {
            sent.insert(WriterMessage(t, i));
        }
    }
    std::atomic<int> failures{0};
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) {
                if (!WriteText(client.client, WriterMessage(t, i))) {
                    ++failures;
                }
            }
        });
    }
    for (auto& w : writers) {
        w.join();
    }
    EXPECT_EQ(failures.load(), 0);
    ASSERT_TRUE(server.sink.WaitForMessages(sent.size()));
    const auto received = server.sink.Messages();
    EXPECT_EQ(std::set<std::string>(received.begin(), received.end()), sent);
    EXPECT_EQ(received.size(), sent.size());
}

TEST(NamedPipeOpen, PipeThatNobodyCreatedFailsAtCreateFileWithFileNotFound) {
    ipc::CNamedPipeClientCallBackMode client;
    EXPECT_EQ(client.Open(UniquePipeName()), 0u);
    EXPECT_EQ(client.Endpoint().LastError(), ipc::kPipeErrorFileNotFound);
    EXPECT_EQ(pipe_test::Bytes(client.Endpoint().Text()), "CreateFile failed");
    EXPECT_FALSE(client.Endpoint().IsOpen());
}

TEST(NamedPipeOpen, BusyPipeFailsAtTheReadModeStepAndLeavesTheFirstClientAlone) {
    const std::u16string name = UniquePipeName();
    CallbackServer server(name);
    ReadingClient first(name);
    ASSERT_TRUE(first.opened);
    // The round trip proves that the server has taken the first client.
    ASSERT_TRUE(WriteText(first.client, "hello"));
    ASSERT_TRUE(server.sink.WaitForMessages(1));

    ipc::CNamedPipeClientCallBackMode second;
    EXPECT_EQ(second.Open(name), 0u);
    EXPECT_EQ(pipe_test::Bytes(second.Endpoint().Text()), "SetNamedPipeState failed");
    EXPECT_FALSE(second.Endpoint().IsOpen());

    ASSERT_TRUE(WriteText(server.server, "still yours"));
    ASSERT_TRUE(first.sink.WaitForMessages(1));
    EXPECT_EQ(first.sink.Messages().front(), "still yours");
}

// Blocks the reader inside OnRead until released. Static storage: an abandoned reader may still return
// from OnRead after the test has ended.
class BlockingCallback : public ipc::IPipeReadCallBack {
  public:
    std::uint32_t OnRead(const std::uint8_t*, std::uint32_t, std::uintptr_t) override {
        entered.Set();
        release.Wait(base::Event::kInfinite);
        return 1;
    }
    std::uint32_t GetBrokenPipePolicy() override { return kBrokenPipeStop; }
    base::Event entered{base::EventReset::kManual, false};
    base::Event release{base::EventReset::kManual, false};
};

TEST(NamedPipeClient, DestructionWhileTheReaderIsBlockedReturnsWithinAboutThreeSeconds) {
    static BlockingCallback blocking;
    const std::u16string name = UniquePipeName();
    CallbackServer server(name);
    auto client = std::make_unique<ipc::CNamedPipeClientCallBackMode>();
    ASSERT_TRUE(pipe_test::OpenWhenListening(*client, name));
    client->SetCallback(&blocking, 0);
    ASSERT_EQ(client->StartReading(), 1u);
    ASSERT_TRUE(WriteText(*client, "wake the server"));
    ASSERT_TRUE(server.sink.WaitForMessages(1));
    ASSERT_TRUE(WriteText(server.server, "block"));
    ASSERT_TRUE(blocking.entered.Wait(10000));

    const auto start = Clock::now();
    client.reset();
    const auto took = Clock::now() - start;
    blocking.release.Set();
    EXPECT_LT(took, std::chrono::milliseconds(4000));
    EXPECT_GE(took, std::chrono::milliseconds(ipc::kPipeReaderStopWaitMs - 100));
}

TEST(NamedPipeClient, CloseRecordsTheFailedDisconnectAndTheServerSeesTheClientGo) {
    const std::u16string name = UniquePipeName();
    CallbackServer server(name);
    ReadingClient client(name);
    ASSERT_TRUE(WriteText(client.client, "hello"));
    ASSERT_TRUE(server.sink.WaitForMessages(1));
    EXPECT_EQ(client.client.Close(), 0u);
    EXPECT_EQ(pipe_test::Bytes(client.client.Endpoint().Text()), "ConnectNamedPipe failed");
    EXPECT_FALSE(client.client.Endpoint().IsOpen());
    EXPECT_TRUE(server.sink.WaitForPolicyQuestions(1));
    std::uint32_t written = 1;
    EXPECT_EQ(client.client.Write("x", 1, &written), 0u);
    EXPECT_EQ(written, 0u);
}

TEST(NamedPipeClient, WriteFailsOnceTheServerHasGone) {
    const std::u16string name = UniquePipeName();
    auto server = std::make_unique<CallbackServer>(name);
    ReadingClient client(name);
    ASSERT_TRUE(WriteText(client.client, "hello"));
    ASSERT_TRUE(server->sink.WaitForMessages(1));
    server.reset();
    EXPECT_FALSE(WriteText(client.client, "anyone?"));
    const std::uint32_t error = client.client.Endpoint().LastError();
    EXPECT_TRUE(error == ipc::kPipeErrorNoData || error == ipc::kPipeErrorPipeNotConnected) << error;
}

TEST(NamedPipeServer, PolicyAcceptNextServesTheNextClient) {
    const std::u16string name = UniquePipeName();
    CallbackServer server(name, ipc::IPipeReadCallBack::kBrokenPipeAcceptNext);
    {
        ReadingClient first(name);
        ASSERT_TRUE(first.opened);
        ASSERT_TRUE(WriteText(first.client, "from the first"));
        ASSERT_TRUE(server.sink.WaitForMessages(1));
    }
    ASSERT_TRUE(server.sink.WaitForPolicyQuestions(1));
    ReadingClient second(name);
    ASSERT_TRUE(second.opened);
    ASSERT_TRUE(WriteText(second.client, "from the second"));
    ASSERT_TRUE(server.sink.WaitForMessages(2));
    EXPECT_EQ(server.sink.Messages(), (std::vector<std::string>{"from the first", "from the second"}));
    ASSERT_TRUE(WriteText(server.server, "welcome"));
    ASSERT_TRUE(second.sink.WaitForMessages(1));
    EXPECT_TRUE(server.server.Endpoint().IsOpen());
}

TEST(NamedPipeServer, PolicyStopClosesThePipe) {
    const std::u16string name = UniquePipeName();
    CallbackServer server(name, ipc::IPipeReadCallBack::kBrokenPipeStop);
    {
        ReadingClient first(name);
        ASSERT_TRUE(WriteText(first.client, "only one"));
        ASSERT_TRUE(server.sink.WaitForMessages(1));
    }
    ASSERT_TRUE(server.sink.WaitForPolicyQuestions(1));
    ipc::CNamedPipeClientCallBackMode late;
    EXPECT_TRUE(pipe_test::OpenFailsWith(late, name, ipc::kPipeErrorFileNotFound));
    EXPECT_FALSE(server.server.Endpoint().IsOpen());
    EXPECT_EQ(server.sink.PolicyQuestions(), 1);
}

TEST(NamedPipeServer, WriteBeforeAnyClientAndDisconnectWithoutAPipeFail) {
    CallbackServer server(UniquePipeName());
    std::uint32_t written = 7;
    EXPECT_EQ(server.server.Write("x", 1, &written), 0u);
    EXPECT_EQ(written, 0u);
    EXPECT_NE(server.server.Endpoint().LastError(), 0u);

    ipc::CNamedPipeSvcCallBackMode none;
    EXPECT_EQ(none.Disconnect(), 0u);
    EXPECT_EQ(pipe_test::Bytes(none.Endpoint().Text()), "ConnectNamedPipe failed");
}

TEST(NamedPipeServer, SecondServerOfTheSameNameIsRefusedUntilTheFirstHasGone) {
    const std::u16string name = UniquePipeName();
    auto first = std::make_unique<CallbackServer>(name);
    ASSERT_TRUE(first->created);
    RecordingCallback sink;  // outlives the reader of the server below
    ipc::CNamedPipeSvcCallBackMode second;
    EXPECT_EQ(second.Create(name, 1, 4096, 4096, 1000), 0u);
    EXPECT_EQ(second.Endpoint().LastError(), ipc::kPipeErrorPipeBusy);
    EXPECT_EQ(pipe_test::Bytes(second.Endpoint().Text()), "CreateNamedPipe failed");

    first.reset();
    EXPECT_EQ(second.Create(name, 1, 4096, 4096, 1000), 1u);
    second.SetCallback(&sink, 0);
    ASSERT_EQ(second.StartReading(), 1u);
    ReadingClient client(name);
    ASSERT_TRUE(WriteText(client.client, "to the second"));
    EXPECT_TRUE(sink.WaitForMessages(1));
}

TEST(NamedPipeSvcBlockMode, ReadsAndWritesWholeMessages) {
    const std::u16string name = UniquePipeName();
    ipc::CNamedPipeSvcBlockMode server;
    ASSERT_EQ(server.Create(name, 1, 4096, 4096, 1000), 1u);
    ReadingClient client(name);
    ASSERT_TRUE(client.opened);
    ASSERT_TRUE(WriteText(client.client, "ping"));
    ASSERT_TRUE(WriteText(client.client, "0123456789"));

    char buffer[64] = {};
    std::uint32_t read = 0;
    ASSERT_EQ(server.Read(buffer, sizeof(buffer), &read, nullptr), 1u);
    EXPECT_EQ(std::string(buffer, read), "ping");
    // Too long for the buffer: the part that fits, and ERROR_MORE_DATA.
    EXPECT_EQ(server.Read(buffer, 4, &read, nullptr), 0u);
    EXPECT_EQ(read, 4u);
    EXPECT_EQ(std::string(buffer, read), "0123");
    EXPECT_EQ(server.Endpoint().LastError(), ipc::kPipeErrorMoreData);

    ASSERT_TRUE(WriteText(server, "pong"));
    ASSERT_TRUE(client.sink.WaitForMessages(1));
    EXPECT_EQ(client.sink.Messages().front(), "pong");
}

TEST(NamedPipeSvcBlockMode, DisconnectWhileWaitingForAClientIsPromptAndRemovesThePipe) {
    const std::u16string name = UniquePipeName();
    ipc::CNamedPipeSvcBlockMode server;
    ASSERT_EQ(server.Create(name, 1, 4096, 4096, 1000), 1u);
    const auto start = Clock::now();
    EXPECT_EQ(server.Disconnect(), 1u);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(ipc::kPipeReaderStopWaitMs));
    ipc::CNamedPipeClientCallBackMode client;
    EXPECT_TRUE(pipe_test::OpenFailsWith(client, name, ipc::kPipeErrorFileNotFound));
}

}  // namespace
