#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "ipc/command_ids.h"
#include "ipc/message_header.h"
#include "unit/ipc/comm_if_test_util.h"

namespace {

using namespace ipc;
using comm_if_test::CommIfOnPipe;
using comm_if_test::Encode;
using comm_if_test::FakeRequests;
using engine::ProcessListEntry;
using pipe_test::CallbackServer;
using pipe_test::UniquePipeName;

std::vector<std::uint32_t> IdsOf(const std::vector<ParsedMonitorMessage>& messages) {
    std::vector<std::uint32_t> ids;
    for (const ParsedMonitorMessage& m : messages) {
        ids.push_back(m.id);
    }
    return ids;
}

std::uint64_t BytesOf(const ParsedMonitorMessage& m) {
    return std::get<BytesAnswer>(m.fields).bytes;
}

ProcessListEntry Process(std::uint32_t pid, std::u16string name) {
    ProcessListEntry e;
    e.sequence = 9;  // whatever the caller left here, a round numbers its entries itself
    e.index = 99;
    e.state = pid % 2 == 0 ? 2 : 1;
    e.portCount = pid % 7;
    e.pid = pid;
    e.bytesUp = 1000ull * pid;
    e.bytesDown = 0x100000000ull + pid;
    e.startTime = base::SystemTime{2024, 5, 3, 1, 12, 0, 0, 0};
    e.exitTime = e.state == 1 ? base::SystemTime{2024, 5, 3, 1, 12, 30, 0, 0} : base::SystemTime{};
    e.name = name;
    e.path = u"C:\\Games\\" + name;
    return e;
}

TEST_F(CommIfOnPipe, TotalsGoOutAsLocalDownLocalUpAccelerateDownAccelerateUp) {
    comm_.PushTotals(11, 22, 0x100000033, 44);
    const auto sent = Receive(4);
    ASSERT_EQ(IdsOf(sent),
              (std::vector<std::uint32_t>{cmd::kPostLocalDownReflux, cmd::kPostLocalUpReflux,
                                          cmd::kPostAccelerateDownReflux, cmd::kPostAccelerateUpReflux}));
    EXPECT_EQ(BytesOf(sent[0]), 11u);
    EXPECT_EQ(BytesOf(sent[1]), 22u);
    EXPECT_EQ(BytesOf(sent[2]), 0x100000033u);
    EXPECT_EQ(BytesOf(sent[3]), 44u);
}

TEST_F(CommIfOnPipe, StartResultOfAFailedStartIsZero) {
    comm_.PostStartResult(0);
    const auto sent = Receive(1);
    ASSERT_TRUE(sent.at(0).Ok());
    EXPECT_EQ(sent[0].id, cmd::kStartResponse);
    EXPECT_EQ(std::get<ByteAnswer>(sent[0].fields).value, 0);
}

TEST_F(CommIfOnPipe, ProcessListRoundIsNumberedByPosition) {
    const std::vector<ProcessListEntry> round = {Process(100, u"Game.exe"), Process(201, u"下载器.exe"),
                                                 Process(302, u"browser.exe")};
    comm_.PostProcessList(round);
    const auto sent = Receive(3);
    const std::uint32_t sequences[] = {1, 2, 2};
    for (std::size_t i = 0; i < round.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(sent.at(i).Ok());
        ASSERT_EQ(sent[i].id, cmd::kPostProcessListReflux);
        ProcessListEntry expected = round[i];
        expected.sequence = sequences[i];
        expected.index = static_cast<std::uint32_t>(i);
        expected.reserved = engine::kProcessListReserved;
        EXPECT_TRUE(std::get<ProcessListEntry>(sent[i].fields) == expected);
    }
}

TEST_F(CommIfOnPipe, AnEmptyRoundSendsNothing) {
    comm_.PostProcessList({});
    EXPECT_TRUE(Exchange(Encode(cmd::kUnnamed31, NoArgs{})).sent.empty());
}

TEST_F(CommIfOnPipe, OneEntryGoesOutAsGiven) {
    ProcessListEntry entry = Process(7, u"one.exe");
    entry.sequence = 2;
    entry.index = 41;
    comm_.PostProcessListEntry(entry);
    const auto sent = Receive(1);
    ASSERT_TRUE(sent.at(0).Ok());
    const auto& got = std::get<ProcessListEntry>(sent[0].fields);
    EXPECT_EQ(got.sequence, 2u);
    EXPECT_EQ(got.index, 41u);
    EXPECT_EQ(got.pid, 7u);
}

// Pushes come from the alarm thread while the reader answers: every message arrives whole, and the
// totals of one tick keep their order.
TEST_F(CommIfOnPipe, PushesFromAnotherThreadAndAnswersDoNotMix) {
    constexpr int kTicks = 25;
    std::thread alarm([this] {
        for (int i = 0; i < kTicks; ++i) {
            comm_.PushTotals(i, i, i, i);
        }
    });
    for (int i = 0; i < kTicks; ++i) {
        ASSERT_TRUE(Send(Encode(cmd::kGetLocalUpReflux, NoArgs{})));
    }
    alarm.join();
    const auto got = Exchange(Encode(cmd::kUnnamed31, NoArgs{}), 5 * kTicks);
    std::vector<std::uint32_t> pushes;
    int answers = 0;
    for (const ParsedMonitorMessage& m : got.sent) {
        ASSERT_TRUE(m.Ok());
        if (m.id == cmd::kGetLocalUpRefluxResponse) {
            ++answers;
        } else {
            pushes.push_back(m.id);
        }
    }
    EXPECT_EQ(answers, kTicks);
    ASSERT_EQ(pushes.size(), 4u * kTicks);
    for (std::size_t i = 0; i < pushes.size(); i += 4) {
        EXPECT_EQ(std::vector<std::uint32_t>(pushes.begin() + i, pushes.begin() + i + 4),
                  (std::vector<std::uint32_t>{77, 78, 80, 81}));
    }
}

TEST(CommIfLifecycle, WithoutAPipePushesGoNowhereAndRequestsStillReachTheProgram) {
    FakeRequests requests;
    CCommIF comm(requests);
    comm.PushTotals(1, 2, 3, 4);
    comm.PostStartResult(1);
    comm.PostProcessList(std::vector<ProcessListEntry>{Process(1, u"a.exe")});
    const auto request = Encode(cmd::kGetAlarmState, NoArgs{});
    EXPECT_EQ(comm.OnRead(request.data(), static_cast<std::uint32_t>(request.size()), 0), 1u);
    EXPECT_EQ(requests.TakeCalls(), std::vector<std::string>{"GetAlarmState"});
}

TEST(CommIfLifecycle, InitFailsWhenNobodyServesThePipe) {
    FakeRequests requests;
    CCommIF comm(requests);
    EXPECT_EQ(comm.Init(UniquePipeName()), 0u);
    comm.PushTotals(1, 2, 3, 4);  // a failed pipe swallows writes
}

TEST(CommIfLifecycle, InitAgainLetsTheFirstPipeGoAndTalksOnTheSecond) {
    const std::u16string firstName = UniquePipeName();
    const std::u16string secondName = UniquePipeName();
    FakeRequests requests;
    CallbackServer first(firstName);
    CallbackServer second(secondName);
    CCommIF comm(requests);
    ASSERT_EQ(comm.Init(firstName), 1u);
    comm.PostStartResult(1);
    ASSERT_TRUE(first.sink.WaitForMessages(1));

    ASSERT_EQ(comm.Init(secondName), 1u);
    EXPECT_TRUE(first.sink.WaitForPolicyQuestions(1));
    comm.PostStartResult(1);
    ASSERT_TRUE(second.sink.WaitForMessages(1));
    const auto request = Encode(cmd::kGetSuspensionDlgState, NoArgs{});
    std::uint32_t written = 0;
    ASSERT_EQ(second.server.Write(request.data(), static_cast<std::uint32_t>(request.size()), &written), 1u);
    ASSERT_TRUE(second.sink.WaitForMessages(2));
    EXPECT_EQ(
        ParseMonitorMessage(Bytes(reinterpret_cast<const std::uint8_t*>(second.sink.Messages()[1].data()),
                                  second.sink.Messages()[1].size()))
            .id,
        cmd::kGetSuspensionDlgStateResponse);
    EXPECT_EQ(first.sink.Messages().size(), 1u);
}

TEST(CommIfLifecycle, DestructionClosesThePipePromptly) {
    const std::u16string name = UniquePipeName();
    FakeRequests requests;
    CallbackServer server(name);
    auto comm = std::make_unique<CCommIF>(requests);
    ASSERT_EQ(comm->Init(name), 1u);
    comm->PostStartResult(1);
    ASSERT_TRUE(server.sink.WaitForMessages(1));
    const auto start = std::chrono::steady_clock::now();
    comm.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              std::chrono::milliseconds(ipc::kPipeReaderStopWaitMs));
    EXPECT_TRUE(server.sink.WaitForPolicyQuestions(1));
}

}  // namespace
