// The alarm history and the dialogs' rules on it: the pop-up's entries, ignoring and optimising by
// index, pid or name, the unhandled-alarm flag and the accelerator's notice.

#include "alarm/alarm_handling.h"

#include <gtest/gtest.h>

#include <vector>

#include "alarm/alarm_history.h"
#include "alarm_fakes.h"

namespace {

using alarm_test::Pids;
using alarm_test::Record;
using engine::kAlarmIgnored;
using engine::kAlarmOptimized;
using engine::kAlarmUnhandled;
using engine::kStateExited;
using engine::kStateRunning;
using Records = std::vector<engine::SpeedAlarmRecord>;

engine::SpeedAlarmRecord Entry(std::uint32_t pid, std::uint32_t state, std::uint32_t kind = kStateRunning) {
    engine::SpeedAlarmRecord record = Record(pid, u"p.exe", pid, state);
    record.kind = kind;
    return record;
}

std::vector<std::uint32_t> States(const alarming::AlarmHistory& history) {
    std::vector<std::uint32_t> states;
    for (const auto& entry : history.Snapshot()) {
        states.push_back(entry.handlingState);
    }
    return states;
}

TEST(AlarmHistoryTest, HandlingStatesChangeByIndexPidOrName) {
    alarming::AlarmHistory history;
    history.Locked([](Records& entries) {
        entries = {Record(5, u"dl.exe", 0), Record(6, u"Game.exe", 0), Record(5, u"dl.exe", 70),
                   Record(7, u"game.exe(已关闭)", 1), Record(8, u"other.exe", 2)};
    });
    EXPECT_TRUE(history.SetHandlingState(1, kAlarmOptimized));
    EXPECT_FALSE(history.SetHandlingState(5, kAlarmOptimized));
    EXPECT_EQ(history.SetHandlingStateOfPid(5, kAlarmIgnored), 2u);
    EXPECT_EQ(history.SetHandlingStateOfPid(77, kAlarmIgnored), 0u);
    EXPECT_EQ(history.AnyUnhandledRunning(), 1u);
    EXPECT_EQ(States(history),
              (std::vector{kAlarmIgnored, kAlarmOptimized, kAlarmIgnored, kAlarmUnhandled, kAlarmUnhandled}));
    // By name: every entry of the name, with or without the closed marker, and no other.
    EXPECT_EQ(alarming::SetHandlingStateOfName(history, u"GAME.EXE", kAlarmIgnored), 2u);
    EXPECT_EQ(alarming::SetHandlingStateOfName(history, u"other.exe(已关闭)", kAlarmOptimized), 1u);
    EXPECT_EQ(States(history),
              (std::vector{kAlarmIgnored, kAlarmIgnored, kAlarmIgnored, kAlarmIgnored, kAlarmOptimized}));
    EXPECT_EQ(history.AnyUnhandledRunning(), 0u);
    EXPECT_EQ(Pids(history.Snapshot()), (std::vector<std::uint32_t>{5, 6, 5, 7, 8})) << "oldest first";
}

TEST(PopupEntries, UnhandledRunningProcessesOnceNewestFirst) {
    // 5 has an exited record and a running one; 6 only an exited one; 7 no record.
    std::vector<engine::ProcessRow> processes;
    for (const auto& [pid, state] : {std::pair{1u, kStateRunning},
                                     {2u, kStateRunning},
                                     {3u, kStateRunning},
                                     {5u, kStateExited},
                                     {5u, kStateRunning},
                                     {6u, kStateExited}}) {
        processes.emplace_back().pid = pid;
        processes.back().state = state;
    }
    Records history = {
        Entry(1, kAlarmUnhandled), Entry(2, kAlarmIgnored),   Entry(3, kAlarmUnhandled, kStateExited),
        Entry(5, kAlarmUnhandled), Entry(6, kAlarmUnhandled), Entry(7, kAlarmUnhandled),
        Entry(2, kAlarmOptimized), Entry(1, kAlarmUnhandled)};
    history[7].downBytes = 99;  // the newer entry of 1 is the one listed
    const auto entries = alarming::PopupEntries(history, processes);
    EXPECT_EQ(Pids(entries), (std::vector<std::uint32_t>{1, 5}));
    EXPECT_EQ(entries[0].downBytes, 99u);
    EXPECT_TRUE(alarming::PopupEntries(history, {}).empty());
}

TEST(UnhandledAlarmFlag, IgnoreOptimizeAndClose) {
    const Records open = {Entry(1, kAlarmIgnored), Entry(2, kAlarmUnhandled, kStateExited)};
    const Records done = {Entry(1, kAlarmIgnored), Entry(2, kAlarmOptimized)};
    const struct {
        std::uint32_t acceleration, current;
        const Records& history;
        std::uint32_t ignore, optimize;
    } cases[] = {
        {1, 0, open, 1, 1}, {1, 1, done, 0, 1}, {0, 1, open, 1, 1}, {0, 0, open, 0, 0}, {2, 0, done, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(alarming::UnhandledAfterIgnore(c.acceleration, c.current, c.history), c.ignore);
        EXPECT_EQ(alarming::UnhandledAfterOptimize(c.acceleration, c.current, c.history), c.optimize);
    }
    EXPECT_EQ(alarming::UnhandledOnClose(1, true), 1u);
    EXPECT_EQ(alarming::UnhandledOnClose(1, false) + alarming::UnhandledOnClose(0, true), 0u);
}

TEST(NoticePayload, GbkTitleSemicolonBodyAndZero) {
    EXPECT_EQ(alarming::NoticePayload(u"ab", u"c"), std::string("ab;c\0", 5));
    EXPECT_EQ(alarming::IgnoredNotice(2),
              std::string("\xb1\xa8\xbe\xaf\xcc\xe1\xca\xbe;\xd2\xd1\xba\xf6\xc2\xd4"
                          "2\xb8\xf6\xbd\xf8\xb3\xcc\xb1\xa8\xbe\xaf\0",
                          27));
    EXPECT_EQ(alarming::OptimizedNotice(3),
              alarming::NoticePayload(u"优化提示", u"已优化3个进程, 为加速留出了更多带宽"));
}

}  // namespace
