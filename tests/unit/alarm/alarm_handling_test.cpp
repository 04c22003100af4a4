// The alarm dialogs' rules on the history: the pop-up's entries, ignoring and optimising by name, the
// unhandled-alarm flag and the accelerator's notice.

#include "alarm/alarm_handling.h"

#include <gtest/gtest.h>

#include <vector>

#include "alarm_records.h"

namespace {

using alarm_test::Pids;
using alarm_test::Record;
using engine::kAlarmIgnored;
using engine::kAlarmOptimized;
using engine::kAlarmUnhandled;
using engine::kStateExited;
using engine::kStateRunning;

engine::ProcessRow Process(std::uint32_t pid, std::uint32_t state) {
    engine::ProcessRow row;
    row.pid = pid;
    row.state = state;
    return row;
}

engine::SpeedAlarmRecord Entry(std::uint32_t pid, std::uint32_t state, std::uint32_t kind = kStateRunning) {
    engine::SpeedAlarmRecord record = Record(pid, u"p.exe", pid, state);
    record.kind = kind;
    return record;
}

TEST(PopupEntries, UnhandledRunningProcessesOnceNewestFirst) {
    // 5 has an exited record and a running one; 6 only an exited one; 7 no record.
    const std::vector<engine::ProcessRow> processes = {Process(1, kStateRunning), Process(2, kStateRunning),
                                                       Process(3, kStateRunning), Process(5, kStateExited),
                                                       Process(5, kStateRunning), Process(6, kStateExited)};
    std::vector<engine::SpeedAlarmRecord> history = {
        Entry(1, kAlarmUnhandled), Entry(2, kAlarmIgnored),   Entry(3, kAlarmUnhandled, kStateExited),
        Entry(5, kAlarmUnhandled), Entry(6, kAlarmUnhandled), Entry(7, kAlarmUnhandled),
        Entry(2, kAlarmOptimized), Entry(1, kAlarmUnhandled)};
    history[7].downBytes = 99;  // the newer entry of 1 is the one listed
    const auto entries = alarming::PopupEntries(history, processes);
    EXPECT_EQ(Pids(entries), (std::vector<std::uint32_t>{1, 5}));
    EXPECT_EQ(entries[0].downBytes, 99u);
    EXPECT_TRUE(alarming::PopupEntries(history, {}).empty());
}

TEST(IsSameProcessNameEitherWay, CaseAndClosedMarkerOnEitherSide) {
    const struct {
        std::u16string_view a, b;
        bool same;
    } cases[] = {
        {u"Game.exe", u"game.EXE", true},
        {u"game.exe(已关闭)", u"GAME.exe", true},
        {u"game.exe", u"game.exe(已关闭)", true},
        {u"game.exe(已关闭)", u"game.exe(已关闭)", true},
        {u"game.exe", u"game.ex", false},
        {u"game.exe(已关闭)(已关闭)", u"game.exe", false},
        {u"(已关闭)", u"", true},
        {u"other.exe(已关闭)", u"game.exe", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(alarming::IsSameProcessNameEitherWay(c.a, c.b), c.same);
    }
}

TEST(SetHandlingStateOfName, EveryEntryOfTheNameAndNoOther) {
    alarming::AlarmHistory history;
    history.Locked([](std::vector<engine::SpeedAlarmRecord>& entries) {
        entries = {Record(1, u"Game.exe", 0), Record(2, u"game.exe(已关闭)", 1), Record(3, u"other.exe", 2)};
    });
    EXPECT_EQ(alarming::SetHandlingStateOfName(history, u"GAME.EXE", kAlarmIgnored), 2u);
    const auto entries = history.Snapshot();
    EXPECT_EQ(entries[0].handlingState, kAlarmIgnored);
    EXPECT_EQ(entries[1].handlingState, kAlarmIgnored);
    EXPECT_EQ(entries[2].handlingState, kAlarmUnhandled);
    EXPECT_EQ(alarming::SetHandlingStateOfName(history, u"other.exe(已关闭)", kAlarmOptimized), 1u);
    EXPECT_EQ(history.Snapshot()[2].handlingState, kAlarmOptimized);
}

TEST(UnhandledAlarmFlag, IgnoreOptimizeAndClose) {
    const std::vector<engine::SpeedAlarmRecord> open = {Entry(1, kAlarmIgnored),
                                                        Entry(2, kAlarmUnhandled, kStateExited)};
    const std::vector<engine::SpeedAlarmRecord> done = {Entry(1, kAlarmIgnored), Entry(2, kAlarmOptimized)};
    const struct {
        std::uint32_t acceleration, current;
        const std::vector<engine::SpeedAlarmRecord>& history;
        std::uint32_t ignore, optimize;
    } cases[] = {
        {1, 0, open, 1, 1}, {1, 1, done, 0, 1}, {0, 1, open, 1, 1}, {0, 0, open, 0, 0}, {2, 0, done, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(alarming::UnhandledAfterIgnore(c.acceleration, c.current, c.history), c.ignore);
        EXPECT_EQ(alarming::UnhandledAfterOptimize(c.acceleration, c.current, c.history), c.optimize);
    }
    EXPECT_EQ(alarming::UnhandledOnClose(1, true), 1u);
    EXPECT_EQ(alarming::UnhandledOnClose(1, false), 0u);
    EXPECT_EQ(alarming::UnhandledOnClose(0, true), 0u);
}

TEST(NoticePayload, GbkTitleSemicolonBodyAndZero) {
    EXPECT_EQ(alarming::NoticePayload(u"ab", u"c"), std::string("ab;c\0", 5));
    EXPECT_EQ(alarming::IgnoredNotice(2),
              std::string("\xb1\xa8\xbe\xaf\xcc\xe1\xca\xbe;\xd2\xd1\xba\xf6\xc2\xd4"
                          "2\xb8\xf6\xbd\xf8\xb3\xcc\xb1\xa8\xbe\xaf\0",
                          27));
    const std::string optimized = alarming::OptimizedNotice(3);
    EXPECT_EQ(optimized, alarming::NoticePayload(u"优化提示", u"已优化3个进程, 为加速留出了更多带宽"));
    EXPECT_EQ(optimized.back(), '\0');
    EXPECT_EQ(alarming::kNoticeDataKind, 101u);
}

}  // namespace
