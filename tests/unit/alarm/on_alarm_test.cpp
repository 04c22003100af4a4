// OnAlarm end to end inside the alarm: the switches in front of the rules, the white list and the own
// directory, the history it appends to and the hand-shake with the pop-up thread.

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <vector>

#include "alarm/alarm_thread.h"
#include "alarm/own_directory.h"
#include "alarm/settings.h"
#include "alarm_records.h"
#include "alarm_test_files.h"
#include "base/module_path.h"
#include "fake_alarm_engine.h"
#include "fake_popup_window.h"

namespace {

using alarm_test::Pids;
using alarm_test::Record;
using alarming::AlarmOutcome;
using engine::SpeedAlarmRecord;

class OnAlarmTest : public ::testing::Test {
  protected:
    OnAlarmTest() : alarm_(history_, whiteList_, window_) {}
    void SetUp() override {
        ASSERT_EQ(alarm_.Init(&engine_, quit_, folder_.Directory()), 1);
        alarming::AlarmEnabled = 1;
    }
    ~OnAlarmTest() override {
        release_.Set();  // no pop-up outlives the test
        alarming::HasUnhandledAlarm = savedUnhandled_;
        alarming::AlarmPopupCount = savedPopups_;
    }

    // The engine's call with a batch whose records all carry the time `seconds`.
    void Fire(std::vector<SpeedAlarmRecord> records, std::int64_t seconds) {
        engine::SpeedAlarmBatch batch;
        for (std::size_t i = 0; i < records.size(); ++i) {
            batch.records[i] = records[i];
            batch.records[i].time = alarm_test::At(seconds);
        }
        batch.count = static_cast<std::uint32_t>(records.size());
        alarming::OnAlarm(batch.records.data(), &batch.count, &alarm_);
    }
    // 29 firing ticks at 0 s, then the 30th more than a minute later: the first pop-up is due then.
    alarming::AlarmResult FireUntilDue(const std::vector<SpeedAlarmRecord>& records) {
        for (int tick = 1; tick < alarming::kTicksBetweenPopups; ++tick) {
            Fire(records, 0);
        }
        std::vector<SpeedAlarmRecord> last = records;
        for (auto& r : last) {
            r.time = alarm_test::At(alarming::kSecondsBetweenPopups + 1);
        }
        return alarm_.HandleAlarm(last);
    }

    std::uint32_t savedUnhandled_ = alarming::HasUnhandledAlarm.load();
    std::uint32_t savedPopups_ = alarming::AlarmPopupCount.load();
    alarm_test::FlagsGuard flags_;
    alarm_test::ProgramFolder folder_;
    alarm_test::FakeAlarmEngine engine_;
    base::Event quit_{base::EventReset::kManual, false};
    base::Event release_{base::EventReset::kManual, false};
    alarming::AlarmHistory history_;
    alarming::WhiteList whiteList_;
    alarm_test::FakePopupWindow window_;
    alarming::CAlarmThread alarm_;
};

TEST_F(OnAlarmTest, ADueAlarmAppendsToTheHistoryAndWaitsOnlyForThePopupToStart) {
    window_.release = &release_;  // the pop-up stays open until the end of the test
    alarming::HasUnhandledAlarm = 0;
    const std::uint32_t popupsBefore = alarming::AlarmPopupCount;

    const alarming::AlarmResult result = FireUntilDue({Record(5, u"dl.exe", 0), Record(6, u"up.exe", 0)});
    EXPECT_EQ(result.outcome, AlarmOutcome::kShow);
    EXPECT_TRUE(result.popupStarted);
    EXPECT_TRUE(result.popupReady) << "the hand-shake, not the 2000 ms time-out, let the alarm go on";
    EXPECT_EQ(alarming::AlarmPopupCount, popupsBefore + 1);
    EXPECT_EQ(alarming::HasUnhandledAlarm, 1u);
    EXPECT_EQ(Pids(history_.Snapshot()), (std::vector<std::uint32_t>{5, 6}));

    ASSERT_TRUE(window_.shownSignal.Wait(5000));
    const auto shown = window_.ShownPopups();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(Pids(shown[0].output), (std::vector<std::uint32_t>{5, 6}));
}

// Alarms switched off, or a full-screen window in front.
TEST_F(OnAlarmTest, SwitchedOffNothingIsCountedAppendedOrShown) {
    for (const bool fullScreen : {false, true}) {
        SCOPED_TRACE(fullScreen ? "full screen" : "alarms off");
        alarming::AlarmEnabled = fullScreen ? 1 : 0;
        window_.fullScreen = fullScreen;
        const std::uint32_t popupsBefore = alarming::AlarmPopupCount;
        EXPECT_EQ(FireUntilDue({Record(5, u"dl.exe", 0)}).outcome, AlarmOutcome::kSwitchedOff);
        EXPECT_EQ(history_.Size(), 0u);
        EXPECT_EQ(alarming::AlarmPopupCount, popupsBefore);
        EXPECT_TRUE(window_.ShownPopups().empty());
    }
    // Nothing was counted meanwhile either: switched on again, the pacing starts from scratch.
    alarming::AlarmEnabled = 1;
    window_.fullScreen = false;
    EXPECT_EQ(alarm_.HandleAlarm(std::vector<SpeedAlarmRecord>{Record(5, u"dl.exe", 200)}).outcome,
              AlarmOutcome::kPaced);
}

TEST_F(OnAlarmTest, WhiteListedProcessesAndThoseInTheOwnDirectoryAreLeftOut) {
    folder_.Config(alarming::kWhiteListName, alarm_test::Utf16Le(u"White.exe 白名单程序\r\n"));
    ASSERT_EQ(whiteList_.Load(folder_.Directory(), alarming::kWhiteListName), 1);
    auto own = Record(7, u"Zelvan.exe", 0);
    own.path = alarming::OwnDirectory() + std::u16string(1, base::kPathSeparator) + u"Zelvan.exe";

    const alarming::AlarmResult result =
        FireUntilDue({Record(5, u"white.exe", 0), own, Record(6, u"dl.exe", 0)});
    EXPECT_EQ(result.outcome, AlarmOutcome::kShow);
    EXPECT_EQ(Pids(history_.Snapshot()), (std::vector<std::uint32_t>{6}));
    ASSERT_TRUE(window_.shownSignal.Wait(5000));
    EXPECT_EQ(Pids(window_.ShownPopups()[0].output), (std::vector<std::uint32_t>{6}));
}

TEST_F(OnAlarmTest, MissingArgumentsOrAnEmptyBatchDoNothing) {
    engine::SpeedAlarmBatch batch;
    batch.records[0] = Record(5, u"dl.exe", 0);
    std::uint32_t count = 1;
    std::uint32_t none = 0;
    for (int i = 0; i < 2 * alarming::kTicksBetweenPopups; ++i) {
        alarming::OnAlarm(nullptr, &count, &alarm_);
        alarming::OnAlarm(batch.records.data(), nullptr, &alarm_);
        alarming::OnAlarm(batch.records.data(), &count, nullptr);
        alarming::OnAlarm(batch.records.data(), &none, &alarm_);
    }
    // Had any of them counted as a tick, this one would be due.
    EXPECT_EQ(alarm_.HandleAlarm(std::vector<SpeedAlarmRecord>{Record(5, u"dl.exe", 100)}).outcome,
              AlarmOutcome::kPaced);
}

TEST_F(OnAlarmTest, AnIgnoredProcessNeverReturnsToThePopupOrTheHistory) {
    ASSERT_EQ(FireUntilDue({Record(5, u"dl.exe", 0)}).outcome, AlarmOutcome::kShow);
    // The user ignores it in the pop-up.
    ASSERT_EQ(history_.SetHandlingStateOfPid(5, engine::kAlarmIgnored), 1u);

    // A minute and thirty ticks later, the same process and a restarted one of the same name.
    for (int tick = 1; tick <= alarming::kTicksBetweenPopups; ++tick) {
        Fire({Record(5, u"dl.exe", 0), Record(8, u"DL.exe", 0)}, 200);
    }
    EXPECT_EQ(history_.Size(), 1u);
    ASSERT_TRUE(window_.shownSignal.Wait(5000));
    EXPECT_EQ(window_.ShownPopups().size(), 1u);
}

}  // namespace
