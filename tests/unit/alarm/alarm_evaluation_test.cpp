// The alarm's decision rules, on records with injected times and state; the alarm history and the
// dialogs' rules on it: the pop-up's entries, ignoring and optimising by index, pid or name, the
// unhandled-alarm flag and the accelerator's notice.

#include "alarm/alarm_evaluation.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "alarm/alarm_handling.h"
#include "alarm/alarm_history.h"
#include "alarm_fakes.h"

namespace {

using alarm_test::At;
using alarm_test::PidList;
using alarm_test::Pids;
using alarm_test::Record;
using alarming::AlarmDecision;
using alarming::AlarmGateState;
using alarming::AlarmOutcome;
using alarming::EvaluateAlarm;
using alarming::OffenceEntry;
using engine::kAlarmIgnored;
using engine::kAlarmOptimized;
using engine::kAlarmUnhandled;
using engine::kStateExited;
using engine::kStateRunning;
using engine::SpeedAlarmRecord;
using Records = std::vector<SpeedAlarmRecord>;

const alarming::ExemptionTest kNoneExempt = [](const SpeedAlarmRecord&) { return false; };

// A gate whose next evaluation at `seconds` passes the pacing rule, so that later rules can be looked at
// alone.
AlarmGateState DueAt(std::int64_t seconds) {
    AlarmGateState state;
    state.tickCounter = alarming::kTicksBetweenPopups - 1;
    state.lastPopupTime = At(seconds - alarming::kSecondsBetweenPopups - 1);
    return state;
}

TEST(AlarmFilterTest, TheUserIgnoredAreDroppedBeforeAnythingElseAndOnlySixteenRecordsCount) {
    const Records history{Record(7, u"seed.exe", 0, kAlarmIgnored), Record(8, u"x.exe", 0)};
    AlarmGateState state = DueAt(100);
    EXPECT_EQ(EvaluateAlarm(Records{Record(7, u"seed.exe", 100)}, history, kNoneExempt, state).outcome,
              AlarmOutcome::kAllIgnored);
    EXPECT_EQ(state.tickCounter, alarming::kTicksBetweenPopups - 1) << "an empty filter stops before pacing";

    Records records{Record(7, u"seed.exe", 100)};
    for (std::uint32_t pid = 1; pid <= engine::kSpeedAlarmBatchSize + 2; ++pid) {
        records.push_back(Record(pid + 10, u"p.exe", 100));
    }
    const AlarmDecision decision = EvaluateAlarm(records, history, kNoneExempt, state);
    EXPECT_EQ(decision.outcome, AlarmOutcome::kShow);
    ASSERT_EQ(decision.output.size(), engine::kSpeedAlarmBatchSize - 1);
    EXPECT_EQ(decision.output.back().pid, 10u + engine::kSpeedAlarmBatchSize - 1);
}

TEST(AlarmPacingTest, NeedsThirtyTicksAndARecordMoreThanSixtySecondsAfterTheLastPopup) {
    struct Case {
        const char* what;
        std::int32_t ticksBefore;     // firing ticks since the last pop-up
        std::int64_t sinceLastPopup;  // seconds from the last pop-up to the second record
        bool due;
    };
    const Case cases[] = {{"29th tick", 28, 61, false},
                          {"30th tick", 29, 61, true},
                          {"many ticks, 60 s exactly", 100, 60, false},
                          {"many ticks, 61 s", 100, 61, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AlarmGateState state;
        state.tickCounter = c.ticksBefore;
        state.lastPopupTime = At(0);
        // The first record is not due: the first one past the minute sets the new pop-up time.
        const Records records{Record(4, u"a.exe", 30), Record(5, u"dl.exe", c.sinceLastPopup)};
        EXPECT_EQ(EvaluateAlarm(records, {}, kNoneExempt, state).outcome,
                  c.due ? AlarmOutcome::kShow : AlarmOutcome::kPaced);
        EXPECT_EQ(state.tickCounter, c.due ? 0 : c.ticksBefore + 1);
        EXPECT_EQ(state.lastPopupTime, At(c.due ? c.sinceLastPopup : 0));
    }
}

TEST(AlarmPersistenceTest, AProcessReachingTwentyWithinItsMinuteIsShownAlone) {
    // A new process gets an entry counted twice on its first tick.
    AlarmGateState fresh = DueAt(100);
    EvaluateAlarm(Records{Record(5, u"dl.exe", 100)}, {}, kNoneExempt, fresh);
    ASSERT_EQ(fresh.offences.size(), 1u);
    EXPECT_EQ(std::tie(fresh.offences[0].pid, fresh.offences[0].count), std::make_tuple(5u, 2));
    EXPECT_EQ(fresh.offences[0].windowStart, At(100));

    const Records records{Record(5, u"dl.exe", 200), Record(6, u"up.exe", 200)};
    const struct {
        const char* what;
        std::int32_t count;
        std::int64_t windowStart;
        PidList shown;
        std::int32_t countAfter;
    } cases[] = {
        {"the 19th: nobody persistent, everyone shown", 18, 150, {5, 6}, 19},
        {"the 20th, in a window open for 60 s", 19, 140, {5}, 20},
        {"a window older than a minute starts over at zero", 30, 139, {5, 6}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AlarmGateState state = DueAt(200);
        state.offences.push_back(OffenceEntry{5, c.count, At(c.windowStart)});
        EXPECT_EQ(Pids(EvaluateAlarm(records, {}, kNoneExempt, state).output), c.shown);
        EXPECT_EQ(state.offences[0].count, c.countAfter);
        EXPECT_EQ(state.offences[0].windowStart, At(c.countAfter == 0 ? 200 : c.windowStart));
    }
}

TEST(AlarmPersistenceTest, ExemptProcessesAreNeverShown) {
    const alarming::ExemptionTest exempt = [](const SpeedAlarmRecord& r) { return r.pid != 2; };
    const Records records{Record(1, u"white.exe", 100), Record(2, u"dl.exe", 100),
                          Record(3, u"own.exe", 100)};
    AlarmGateState fallback = DueAt(100);
    EXPECT_EQ(Pids(EvaluateAlarm(records, {}, exempt, fallback).output), (PidList{2}));
    // Persistent but exempt: the fallback takes the others.
    AlarmGateState persistent = DueAt(100);
    persistent.offences = {OffenceEntry{1, 25, At(90)}, OffenceEntry{3, 25, At(90)}};
    EXPECT_EQ(Pids(EvaluateAlarm(records, {}, exempt, persistent).output), (PidList{2}));
    AlarmGateState onlyExempt = DueAt(100);
    EXPECT_EQ(EvaluateAlarm(Records{records[0]}, {}, exempt, onlyExempt).outcome, AlarmOutcome::kNoneToShow);
}

TEST(AlarmRepeatTest, TheNewestHistoryProcessWaitsSeventySeconds) {
    const struct {
        const char* what;
        std::vector<std::pair<std::uint32_t, std::int64_t>> records;  // pid 5 is the newest entry's
        AlarmOutcome outcome;
        std::int64_t lastAlarmedAfter;
    } cases[] = {
        {"at 70", {{5, 70}}, AlarmOutcome::kRepeated, 70},
        {"at 71", {{5, 71}}, AlarmOutcome::kShow, 71},
        {"the other process only", {{6, 0}}, AlarmOutcome::kShow, 0},
        {"with the other still repeated", {{6, 0}, {5, 30}}, AlarmOutcome::kRepeated, 30},
        // Each sighting moves the time on: 50 then 100 is only 50 s later.
        {"the walk moves the time", {{5, 50}, {5, 100}}, AlarmOutcome::kRepeated, 100},
        {"a late one ends the walk", {{5, 50}, {5, 121}, {5, 130}}, AlarmOutcome::kShow, 121},
    };
    const Records history{Record(20, u"old.exe", 0, kAlarmOptimized), Record(5, u"dl.exe", 0)};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Records records;
        for (const auto& [pid, t] : c.records) {
            records.push_back(Record(pid, pid == 5 ? u"dl.exe" : u"up.exe", 1000 + t));
        }
        AlarmGateState state = DueAt(1000);
        state.lastAlarmedTime = At(1000);
        EXPECT_EQ(EvaluateAlarm(records, history, kNoneExempt, state).outcome, c.outcome);
        EXPECT_EQ(state.lastAlarmedTime, At(1000 + c.lastAlarmedAfter));
    }
}

TEST(AlarmHistoryRuleTest, TheOldestEntryOfTheFirstKnownNameDecides) {
    using enum AlarmOutcome;
    // History entries at 0 s, records at 500 s.
    const auto old = [](std::uint32_t pid, std::u16string_view name, std::uint32_t s = kAlarmUnhandled) {
        return Record(pid, name, 0, s);
    };
    const auto now = [](std::uint32_t pid, std::u16string_view name) { return Record(pid, name, 500); };
    struct Case {
        const char* what;
        Records history;  // the newest entry is never the record's process: no repeat rule
        Records records;
        AlarmOutcome outcome;
        PidList appended;
    };
    // clang-format off
    const Case cases[] = {
        {"an ignored name, in any case", {old(5, u"game.exe", kAlarmIgnored)}, {now(6, u"GAME.EXE")}, kAlreadyKnown, {}},
        // A record of an exited process does not match the entry without the marker.
        {"an exited record", {old(5, u"game.exe", kAlarmIgnored)}, {now(6, u"game.exe(已关闭)")}, kShow, {6}},
        {"optimized, same pid", {old(6, u"dl.exe", kAlarmOptimized)}, {now(6, u"dl.exe")}, kAlreadyKnown, {}},
        {"optimized, other pid", {old(5, u"dl.exe", kAlarmOptimized)}, {now(6, u"dl.exe")}, kShow, {6}},
        {"unhandled lets it through", {old(6, u"dl.exe")}, {now(6, u"dl.exe")}, kShow, {6}},
        // The oldest entry lets it through, but an ignored entry of the name keeps it out of the history.
        {"the oldest decides, the append skips ignored names",
         {old(5, u"dl.exe"), Record(6, u"dl.exe", 10, kAlarmIgnored)}, {now(7, u"dl.exe")}, kShow, {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Records history = c.history;
        history.push_back(Record(99, u"newest.exe", 0));
        AlarmGateState state = DueAt(500);
        const AlarmDecision decision = EvaluateAlarm(c.records, history, kNoneExempt, state);
        EXPECT_EQ(decision.outcome, c.outcome);
        EXPECT_EQ(Pids(decision.appended), c.appended);
    }
}

engine::SpeedAlarmRecord Entry(std::uint32_t pid, std::uint32_t state, std::uint32_t kind = kStateRunning) {
    engine::SpeedAlarmRecord record = Record(pid, u"p.exe", pid, state);
    record.kind = kind;
    return record;
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
    EXPECT_EQ(history.Snapshot()[1].handlingState, kAlarmOptimized);
    // By name: every entry of the name, with or without the closed marker, and no other.
    EXPECT_EQ(alarming::SetHandlingStateOfName(history, u"GAME.EXE", kAlarmIgnored), 2u);
    EXPECT_EQ(alarming::SetHandlingStateOfName(history, u"other.exe(已关闭)", kAlarmOptimized), 1u);
    EXPECT_EQ(history.Snapshot()[4].handlingState, kAlarmOptimized);
    EXPECT_EQ(history.AnyUnhandledRunning(), 0u);
}

TEST(PopupEntries, UnhandledRunningProcessesOnceNewestFirst) {
    // 5 has an exited record and a running one; 6 only an exited one; 7 no record.
    std::vector<engine::ProcessRow> processes;
    // clang-format off
    for (const auto& [pid, state] : {std::pair{1u, kStateRunning}, {2u, kStateRunning}, {3u, kStateRunning},
                                     {5u, kStateExited}, {5u, kStateRunning}, {6u, kStateExited}}) {
        // clang-format on
        processes.emplace_back().pid = pid;
        processes.back().state = state;
    }
    Records history = {
        Entry(1, kAlarmUnhandled), Entry(2, kAlarmIgnored),   Entry(3, kAlarmUnhandled, kStateExited),
        Entry(5, kAlarmUnhandled), Entry(6, kAlarmUnhandled), Entry(7, kAlarmUnhandled),
        Entry(2, kAlarmOptimized), Entry(1, kAlarmUnhandled)};
    history[7].downBytes = 99;  // the newer entry of 1 is the one listed
    const auto entries = alarming::PopupEntries(history, processes);
    EXPECT_EQ(Pids(entries), (PidList{1, 5}));
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
