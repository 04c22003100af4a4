// The alarm history's accessors and the process events that keep HasUnhandledAlarm right.

#include "alarm/alarm_history.h"

#include <gtest/gtest.h>

#include <vector>

#include "alarm/alarm_thread.h"
#include "alarm_records.h"
#include "fake_popup_window.h"

namespace {

using alarm_test::Pids;
using alarm_test::Record;
using engine::kAlarmIgnored;
using engine::kAlarmOptimized;
using engine::kAlarmUnhandled;
using engine::kStateExited;
using engine::kStateRunning;

void Append(alarming::AlarmHistory& history, std::vector<engine::SpeedAlarmRecord> records) {
    history.Locked([&](std::vector<engine::SpeedAlarmRecord>& entries) {
        entries.insert(entries.end(), records.begin(), records.end());
    });
}

class ProcessEventTest : public ::testing::Test {
  protected:
    ProcessEventTest() : alarm_(history_, whiteList_, window_) {}
    ~ProcessEventTest() override { alarming::HasUnhandledAlarm = saved_; }

    std::uint32_t saved_ = alarming::HasUnhandledAlarm.load();
    alarming::AlarmHistory history_;
    alarming::WhiteList whiteList_;
    alarm_test::FakePopupWindow window_;
    alarming::CAlarmThread alarm_;
};

TEST_F(ProcessEventTest, AnExitedProcessNoLongerKeepsTheAlarmUnhandled) {
    Append(history_,
           {Record(5, u"dl.exe", 0), Record(5, u"dl.exe", 100), Record(6, u"up.exe", 0, kAlarmOptimized)});
    alarming::HasUnhandledAlarm = 1;

    alarming::OnProcessEvent(5, nullptr, kStateExited, &alarm_);
    EXPECT_EQ(alarming::HasUnhandledAlarm, 0u);
    for (const auto& entry : history_.Snapshot()) {
        EXPECT_EQ(entry.kind, entry.pid == 5 ? kStateExited : kStateRunning) << entry.pid;
    }

    // The same pid running again (a new process) brings the unhandled entries back.
    alarming::OnProcessEvent(5, nullptr, kStateRunning, &alarm_);
    EXPECT_EQ(alarming::HasUnhandledAlarm, 1u);
}

TEST_F(ProcessEventTest, TheFlagFollowsTheUnhandledRunningEntries) {
    Append(history_, {Record(5, u"dl.exe", 0), Record(6, u"up.exe", 0),
                      Record(7, u"x.exe", 0, kAlarmOptimized), Record(8, u"y.exe", 0, kAlarmIgnored)});
    alarming::HasUnhandledAlarm = 1;
    // Without a context nothing changes.
    alarming::OnProcessEvent(5, nullptr, kStateExited, nullptr);
    EXPECT_EQ(alarming::HasUnhandledAlarm, 1u);
    EXPECT_EQ(history_.Snapshot()[0].kind, kStateRunning);
    // Another unhandled running entry keeps the flag set; handled entries do not count.
    alarming::OnProcessEvent(5, nullptr, kStateExited, &alarm_);
    EXPECT_EQ(alarming::HasUnhandledAlarm, 1u);
    alarming::OnProcessEvent(6, nullptr, kStateExited, &alarm_);
    EXPECT_EQ(alarming::HasUnhandledAlarm, 0u);
    // An unknown pid only recomputes it.
    alarming::HasUnhandledAlarm = 1;
    alarming::OnProcessEvent(1234, nullptr, kStateRunning, &alarm_);
    EXPECT_EQ(alarming::HasUnhandledAlarm, 0u);
}

TEST(AlarmHistoryTest, HandlingStatesChangeByIndexOrByPid) {
    alarming::AlarmHistory history;
    Append(history, {Record(5, u"dl.exe", 0), Record(6, u"up.exe", 0), Record(5, u"dl.exe", 70)});
    EXPECT_TRUE(history.SetHandlingState(1, kAlarmOptimized));
    EXPECT_FALSE(history.SetHandlingState(3, kAlarmOptimized));
    EXPECT_EQ(history.SetHandlingStateOfPid(5, kAlarmIgnored), 2u);
    EXPECT_EQ(history.SetHandlingStateOfPid(77, kAlarmIgnored), 0u);

    const auto entries = history.Snapshot();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(history.Size(), 3u);
    EXPECT_EQ(entries[0].handlingState, kAlarmIgnored);
    EXPECT_EQ(entries[1].handlingState, kAlarmOptimized);
    EXPECT_EQ(entries[2].handlingState, kAlarmIgnored);
    EXPECT_EQ(history.AnyUnhandledRunning(), 0u);
    EXPECT_EQ(Pids(entries), (std::vector<std::uint32_t>{5, 6, 5})) << "oldest first";
}

TEST(AlarmHistoryTest, ASnapshotIsACopy) {
    alarming::AlarmHistory history;
    Append(history, {Record(5, u"dl.exe", 0)});
    auto copy = history.Snapshot();
    copy[0].handlingState = kAlarmIgnored;
    EXPECT_EQ(history.Snapshot()[0].handlingState, kAlarmUnhandled);
}

}  // namespace
