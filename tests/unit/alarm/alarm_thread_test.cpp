// CAlarmThread::Init and the alarm thread's loop, on a fake engine and configuration files in a
// directory of their own.

#include "alarm/alarm_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "alarm_test_files.h"
#include "base/worker_thread.h"
#include "fake_alarm_engine.h"
#include "fake_popup_window.h"

namespace {

using alarm_test::FakeAlarmEngine;
using alarm_test::ProgramFolder;
using alarm_test::ThresholdCall;

std::string AlarmFile(int down, int up, int downSpeed, int upSpeed, int percentage) {
    return "[REFLUX]\r\nDownLoadReFlux=" + std::to_string(down) + "\r\nUpLoadReFlux=" + std::to_string(up) +
           "\r\n[SPEED]\r\nDownLoadSpeed=" + std::to_string(downSpeed) +
           "\r\nUpLoadSpeed=" + std::to_string(upSpeed) +
           "\r\n[PERCENTAGE]\r\nPercentage=" + std::to_string(percentage) + "\r\n";
}

class AlarmThreadTest : public ::testing::Test {
  protected:
    AlarmThreadTest() : alarm_(history_, whiteList_, window_) {}

    alarm_test::FlagsGuard flags_;  // the configuration load sets the settings flags
    ProgramFolder folder_;
    FakeAlarmEngine engine_;
    base::Event quit_{base::EventReset::kManual, false};
    alarming::AlarmHistory history_;
    alarming::WhiteList whiteList_;
    alarm_test::FakePopupWindow window_;
    alarming::CAlarmThread alarm_;
};

TEST_F(AlarmThreadTest, InitHandsTheFileThresholdsToTheEngine) {
    folder_.AlarmConfig(AlarmFile(-3, 700, 11, 22, 10));
    ASSERT_EQ(alarm_.Init(&engine_, quit_, folder_.Directory()), 1);
    // The volumes are sign-extended, the percentage goes as written (the engine keeps it within range).
    EXPECT_EQ(engine_.Thresholds(),
              (std::vector<ThresholdCall>{{static_cast<std::uint64_t>(-3), 700, 11, 22, 10, 1}}));
    const alarming::AlarmConfig config = alarm_.Config();
    EXPECT_EQ(config.DownLoadReFlux, -3);
    EXPECT_EQ(config.Percentage, 10);
}

TEST_F(AlarmThreadTest, InitWithoutAnEngineFails) {
    folder_.AlarmConfig(AlarmFile(1, 2, 3, 4, 60));
    EXPECT_EQ(alarm_.Init(nullptr, quit_, folder_.Directory()), 0);
    EXPECT_EQ(alarm_.Config().Percentage, 60) << "the file is still read";
}

TEST_F(AlarmThreadTest, TheThresholdEventIsTheNamedOne) {
    ASSERT_EQ(alarm_.Init(&engine_, quit_, folder_.Directory()), 1);
    ASSERT_NE(alarm_.YuZhiChangeEvent(), nullptr);
    EXPECT_FALSE(alarm_.YuZhiChangeEvent()->Wait(0));
    // Whoever changes the thresholds opens the event by its name.
    base::Event byName(base::EventReset::kManual, false, alarming::kYuZhiChangeEventName);
    byName.Set();
    EXPECT_TRUE(alarm_.YuZhiChangeEvent()->Wait(0));
    EXPECT_TRUE(alarm_.YuZhiChangeEvent()->Wait(0)) << "manual reset";
    byName.Reset();
}

TEST_F(AlarmThreadTest, QuitStopsTheEngineAndEndsTheThread) {
    ASSERT_EQ(alarm_.Init(&engine_, quit_, folder_.Directory()), 1);
    quit_.Set();
    EXPECT_EQ(alarming::AlarmThreadProc(&alarm_), 0u);
    EXPECT_EQ(engine_.Stops(), 1);
    EXPECT_EQ(engine_.Ticks(), 0);
}

TEST_F(AlarmThreadTest, AThresholdChangeReloadsTheFileAndResetsTheEvent) {
    folder_.AlarmConfig(AlarmFile(5000, 1000, 100, 50, 50));
    ASSERT_EQ(alarm_.Init(&engine_, quit_, folder_.Directory()), 1);

    folder_.AlarmConfig(AlarmFile(6000, 1200, 300, 80, 40));
    // A later time stamp, so that a cached copy of the file is not taken for it.
    const auto file = folder_.File(alarming::kAlarmConfigName);
    std::filesystem::last_write_time(file, std::filesystem::last_write_time(file) + std::chrono::seconds(10));
    // The reload is the second hand-over; quitting after it ends the loop.
    engine_.onThresholds = [&] { quit_.Set(); };
    alarm_.YuZhiChangeEvent()->Set();

    EXPECT_EQ(alarming::AlarmThreadProc(&alarm_), 0u);
    EXPECT_EQ(engine_.Thresholds(),
              (std::vector<ThresholdCall>{{5000, 1000, 100, 50, 50, 1}, {6000, 1200, 300, 80, 40, 1}}));
    EXPECT_EQ(alarm_.Config().DownLoadSpeed, 300);
    EXPECT_FALSE(alarm_.YuZhiChangeEvent()->Wait(0)) << "reset after the reload";
    EXPECT_EQ(engine_.Stops(), 1);
    EXPECT_EQ(engine_.Ticks(), 0);
}

TEST_F(AlarmThreadTest, AnExceptionSignalsQuitAndEndsTheThread) {
    ASSERT_EQ(alarm_.Init(&engine_, quit_, folder_.Directory()), 1);
    engine_.onThresholds = [] { throw std::runtime_error("engine gone"); };
    alarm_.YuZhiChangeEvent()->Set();
    EXPECT_EQ(alarming::AlarmThreadProc(&alarm_), 0u);
    EXPECT_TRUE(quit_.Wait(0)) << "every other worker is told to end";
    EXPECT_EQ(engine_.Stops(), 0);
}

TEST_F(AlarmThreadTest, EachSecondWithoutAnEventRunsTheStatisticsTick) {
    ASSERT_EQ(alarm_.Init(&engine_, quit_, folder_.Directory()), 1);
    engine_.onTick = [&] { quit_.Set(); };
    base::WorkerThread thread;
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(thread.Start([&] { alarming::AlarmThreadProc(&alarm_); }));
    ASSERT_TRUE(thread.Join(10000));
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(engine_.Ticks(), 1);
    EXPECT_EQ(engine_.Stops(), 1);
    // The tick came from the time-out, not from a busy loop.
    EXPECT_GE(waited, std::chrono::milliseconds(alarming::kAlarmWaitMs - 50));
}

TEST(AlarmThreadInstanceTest, GetInstanceAnswersOneObject) {
    EXPECT_EQ(alarming::CAlarmThread::GetInstance(), alarming::CAlarmThread::GetInstance());
    EXPECT_NE(alarming::CAlarmThread::GetInstance(), nullptr);
}

TEST(AlarmThreadInstanceTest, WithoutInitTheProcedureReturnsAtOnce) {
    alarming::AlarmHistory history;
    alarming::WhiteList whiteList;
    alarm_test::FakePopupWindow window;
    alarming::CAlarmThread alarm(history, whiteList, window);
    EXPECT_EQ(alarming::AlarmThreadProc(&alarm), 0u);
    EXPECT_EQ(alarming::AlarmThreadProc(nullptr), 0u);
}

}  // namespace
