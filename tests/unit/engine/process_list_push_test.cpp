#include "engine/process_list_push.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "engine_fakes.h"

namespace {

using engine_test::Ip;

// A table of `count` processes, pids 10, 20, ..., each with one UDP port.
struct TableOnFakes {
    explicit TableOnFakes(std::uint32_t count) : names(processes), table(lock, sockets, names, clock) {
        for (std::uint32_t i = 1; i <= count; ++i) {
            processes.Add(10 * i, std::u16string(1, static_cast<char16_t>(u'a' + i - 1)) + u".exe");
            sockets.udp.push_back({Ip(0, 0, 0, 0), static_cast<std::uint16_t>(1000 * i), 10 * i});
        }
        EXPECT_EQ(table.InitProcessList(), 0u);
    }
    base::ReentrantLock lock;
    engine_test::FakeSocketTable sockets;
    engine_test::FakeProcessSource processes;
    engine_test::FakeClock clock;
    engine::ProcessNames names;
    engine::ProcessTable table;
};

TEST(ProcessListPush, OneEntryPerRecordInListOrderWithSequenceAndIndex) {
    TableOnFakes fakes(3);

    std::vector<engine::ProcessListEntry> sent;
    const std::uint32_t count =
        engine::PostProcessList(fakes.table, [&](const engine::ProcessListEntry& entry) {
            sent.push_back(entry);
            return true;
        });
    ASSERT_EQ(count, 3u);
    ASSERT_EQ(sent.size(), 3u);
    const std::uint32_t pids[] = {10, 20, 30};
    const std::u16string names[] = {u"a.exe", u"b.exe", u"c.exe"};
    for (std::uint32_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(sent[i].sequence, i == 0 ? 1u : 2u);
        EXPECT_EQ(sent[i].index, i);
        EXPECT_EQ(sent[i].pid, pids[i]);
        EXPECT_EQ(sent[i].name, names[i]);
        EXPECT_EQ(sent[i].portCount, 1u);
        EXPECT_EQ(sent[i].state, engine::kStateRunning);
        EXPECT_EQ(sent[i].reserved, engine::kProcessListReserved);
    }
}

TEST(ProcessListPush, AChannelThatCannotSendEndsTheRound) {
    TableOnFakes fakes(2);
    int calls = 0;
    EXPECT_EQ(engine::PostProcessList(fakes.table,
                                      [&](const engine::ProcessListEntry&) {
                                          ++calls;
                                          return false;
                                      }),
              0u);
    EXPECT_EQ(calls, 1);
}

TEST(ProcessListPush, TheThreadWaitsAFullPeriodBeforeItsFirstRoundAndEndsOnQuit) {
    TableOnFakes fakes(1);
    std::atomic<std::uint32_t> running{1};
    base::Event quit(base::EventReset::kManual, false);
    base::Event firstRound(base::EventReset::kManual, false);
    std::atomic<int> rounds{0};
    engine::PostDataLinks links{running, quit, fakes.table, [&](const engine::ProcessListEntry&) {
                                    ++rounds;
                                    firstRound.Set();
                                    return true;
                                }};
    links.periodMs = 200;
    std::thread worker([&] { engine::PostData2Plugin(links); });
    // Nothing at once: the first round comes after one period.
    EXPECT_FALSE(firstRound.Wait(100));
    EXPECT_TRUE(firstRound.Wait(2000));
    quit.Set();
    worker.join();
    EXPECT_GE(rounds.load(), 1);
}

}  // namespace
