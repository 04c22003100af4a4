// The alarm thread on a fake engine and window side, with configuration files in a directory of its own:
// Init and the thread's loop, OnAlarm end to end, the process events, and the pop-up thread's hand-shake.

#include "alarm/alarm_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "alarm/alarm_popup_thread.h"
#include "alarm/own_directory.h"
#include "alarm/settings.h"
#include "alarm_fakes.h"
#include "alarm_test_files.h"
#include "base/module_path.h"
#include "base/worker_thread.h"

namespace {

using alarm_test::PidList;
using alarm_test::Pids;
using alarm_test::Record;
using alarming::AlarmOutcome;
using engine::kStateExited;
using engine::kStateRunning;
using Records = std::vector<engine::SpeedAlarmRecord>;
using Thresholds = alarm_test::FakeAlarmEngine::Thresholds;

const Thresholds kDefaults{5000, 1000, 100, 50, 50, 1};

class AlarmThreadTest : public ::testing::Test {
  protected:
    AlarmThreadTest() : alarm_(history_, whiteList_, window_) {}
    void SetUp() override {
        ASSERT_EQ(alarm_.Init(&engine_, quit_, folder_.Directory()), 1);
        alarming::AlarmEnabled = 1;
    }
    ~AlarmThreadTest() override {
        release_.Set();  // no pop-up outlives the test
        alarming::HasUnhandledAlarm = savedUnhandled_;
    }

    // 29 firing ticks through the engine's callback at 0 s, then the 30th more than a minute later: the
    // first pop-up is due then.
    alarming::AlarmResult FireUntilDue(Records records) {
        std::uint32_t count = static_cast<std::uint32_t>(records.size());
        for (int tick = 1; tick < alarming::kTicksBetweenPopups; ++tick) {
            alarming::OnAlarm(records.data(), &count, &alarm_);
        }
        for (auto& r : records) {
            r.time = alarm_test::At(alarming::kSecondsBetweenPopups + 1);
        }
        return alarm_.HandleAlarm(records);
    }

    std::uint32_t savedUnhandled_ = alarming::HasUnhandledAlarm;
    alarm_test::FlagsGuard flags_;  // the configuration load sets the settings flags
    alarm_test::ProgramFolder folder_;
    alarm_test::FakeAlarmEngine engine_;
    base::Event quit_{base::EventReset::kManual, false};
    base::Event release_{base::EventReset::kManual, false};
    alarming::AlarmHistory history_;
    alarming::WhiteList whiteList_;
    alarm_test::FakePopupWindow window_;
    alarming::CAlarmThread alarm_;
};

TEST_F(AlarmThreadTest, InitHandsTheFileThresholdsToTheEngine) {
    EXPECT_EQ(engine_.thresholds, std::vector<Thresholds>{kDefaults});
    // Each key to its field, read as the profile reads numbers (hex too); a percentage beyond 100 goes as
    // written (the engine keeps it within range).
    folder_.AlarmConfig(
        "[REFLUX]\r\nDownLoadReFlux=-3\r\nUpLoadReFlux=0x20\r\n[SPEED]\r\nDownLoadSpeed=7\r\n"
        "UpLoadSpeed=8\r\n[PERCENTAGE]\r\nPercentage=250\r\n");
    ASSERT_EQ(alarm_.Init(&engine_, quit_, folder_.Directory()), 1);
    // The volumes are sign-extended.
    EXPECT_EQ(engine_.thresholds.back(), (Thresholds{static_cast<std::uint64_t>(-3), 32, 7, 8, 250, 1}));
    // Without an engine Init fails, but the file is still read.
    alarm_test::ProgramFolder other;  // a file of its own: Wine caches profile files by name
    other.AlarmConfig("[PERCENTAGE]\r\nPercentage=60\r\n");
    EXPECT_EQ(alarm_.Init(nullptr, quit_, other.Directory()), 0);
    EXPECT_EQ(alarm_.Config().Percentage, 60);
}

// Whoever changes the thresholds opens the manual-reset event by its name.
TEST_F(AlarmThreadTest, TheNamedThresholdEventReloadsTheFileAndIsResetButQuitWins) {
    folder_.AlarmConfig("[SPEED]\r\nDownLoadSpeed=300\r\n");
    // A later time stamp, so that a cached copy of the file is not taken for it.
    const auto file = folder_.File(alarming::kAlarmConfigName);
    std::filesystem::last_write_time(file, std::filesystem::last_write_time(file) + std::chrono::seconds(10));
    base::Event byName(base::EventReset::kManual, false, alarming::kYuZhiChangeEventName);
    byName.Set();
    quit_.Set();
    EXPECT_EQ(alarming::AlarmThreadProc(&alarm_), 0u);
    EXPECT_EQ(engine_.thresholds.size(), 1u);

    quit_.Reset();
    engine_.onThresholds = [&] { quit_.Set(); };  // quitting after the reload ends the loop
    EXPECT_EQ(alarming::AlarmThreadProc(&alarm_), 0u);
    EXPECT_EQ(engine_.thresholds, (std::vector<Thresholds>{kDefaults, {5000, 1000, 300, 50, 50, 1}}));
    EXPECT_FALSE(alarm_.YuZhiChangeEvent()->Wait(0)) << "reset after the reload";
    EXPECT_EQ(std::tie(engine_.stops, engine_.ticks), std::make_tuple(2, 0));
}

// A second without an event runs the statistics tick; an exception from the engine ends the thread.
TEST_F(AlarmThreadTest, EachSecondWithoutAnEventRunsTheTickAndAnEngineExceptionEndsTheThread) {
    engine_.onTick = [&] { alarm_.YuZhiChangeEvent()->Set(); };  // the reload that follows throws
    engine_.onThresholds = [] { throw std::runtime_error("engine gone"); };
    base::WorkerThread thread;
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(thread.Start([&] { alarming::AlarmThreadProc(&alarm_); }));
    ASSERT_TRUE(thread.Join(10000));
    EXPECT_TRUE(quit_.Wait(0)) << "every other worker is told to end";
    EXPECT_EQ(std::tie(engine_.stops, engine_.ticks), std::make_tuple(0, 1));
    // The tick came from the time-out, not from a busy loop.
    EXPECT_GE(std::chrono::steady_clock::now() - started,
              std::chrono::milliseconds(alarming::kAlarmWaitMs - 50));
}

TEST_F(AlarmThreadTest, ADueAlarmAppendsToTheHistoryAndWaitsOnlyForThePopupToStart) {
    window_.release = &release_;  // the pop-up stays open until the end of the test
    const std::uint32_t popupsBefore = alarming::AlarmPopupCount;
    // The white-listed and the program's own processes are left out.
    folder_.Write(alarming::kWhiteListName, alarm_test::Utf16Le(u"White.exe 白名单程序\r\n"));
    ASSERT_EQ(whiteList_.Load(folder_.Directory(), alarming::kWhiteListName), 1);
    auto own = Record(7, u"Zelvan.exe", 0);
    own.path = alarming::OwnDirectory() + std::u16string(1, base::kPathSeparator) + u"Zelvan.exe";

    const alarming::AlarmResult result =
        FireUntilDue({Record(5, u"dl.exe", 0), Record(4, u"white.exe", 0), own, Record(6, u"up.exe", 0)});
    EXPECT_EQ(result.outcome, AlarmOutcome::kShow);
    EXPECT_TRUE(result.popupStarted);
    EXPECT_TRUE(result.popupReady) << "the hand-shake, not the 2000 ms time-out, let the alarm go on";
    EXPECT_EQ(alarming::AlarmPopupCount, popupsBefore + 1);
    EXPECT_EQ(Pids(history_.Snapshot()), (PidList{5, 6}));
    ASSERT_TRUE(window_.shownSignal.Wait(5000));
    EXPECT_EQ(Pids(window_.shown.at(0).output), (PidList{5, 6}));
}

TEST_F(AlarmThreadTest, SwitchedOffNothingIsCountedAppendedOrShown) {
    for (const bool fullScreen : {false, true}) {
        SCOPED_TRACE(fullScreen ? "full screen" : "alarms off");
        alarming::AlarmEnabled = fullScreen ? 1 : 0;
        window_.fullScreen = fullScreen;
        EXPECT_EQ(FireUntilDue({Record(5, u"dl.exe", 0)}).outcome, AlarmOutcome::kSwitchedOff);
    }
    EXPECT_EQ(history_.Size(), 0u);
    EXPECT_TRUE(window_.shown.empty());
    // Nothing was counted meanwhile, nor by calls without arguments or records: switched on again, the
    // pacing starts from scratch.
    alarming::AlarmEnabled = 1;
    window_.fullScreen = false;
    engine::SpeedAlarmRecord record = Record(5, u"dl.exe", 0);
    std::uint32_t count = 1, none = 0;
    for (int i = 0; i < 2 * alarming::kTicksBetweenPopups; ++i) {
        alarming::OnAlarm(nullptr, &count, &alarm_);
        alarming::OnAlarm(&record, nullptr, &alarm_);
        alarming::OnAlarm(&record, &count, nullptr);
        alarming::OnAlarm(&record, &none, &alarm_);
    }
    EXPECT_EQ(alarm_.HandleAlarm(Records{Record(5, u"dl.exe", 200)}).outcome, AlarmOutcome::kPaced);
}

TEST_F(AlarmThreadTest, ProcessEventsKeepTheUnhandledFlagRight) {
    history_.Locked([](Records& entries) {
        entries = {Record(5, u"dl.exe", 0), Record(5, u"dl.exe", 100), Record(6, u"up.exe", 0),
                   Record(7, u"x.exe", 0, engine::kAlarmOptimized),
                   Record(8, u"y.exe", 0, engine::kAlarmIgnored)};
    });
    alarming::HasUnhandledAlarm = 1;
    alarming::OnProcessEvent(5, nullptr, kStateExited, nullptr);  // without a context nothing changes
    EXPECT_EQ(history_.Snapshot()[0].kind, kStateRunning);
    // Another unhandled running entry keeps the flag set; handled entries do not count.
    alarming::OnProcessEvent(5, nullptr, kStateExited, &alarm_);
    EXPECT_EQ(alarming::HasUnhandledAlarm, 1u);
    alarming::OnProcessEvent(6, nullptr, kStateExited, &alarm_);
    EXPECT_EQ(alarming::HasUnhandledAlarm, 0u);
    // The same pid running again (a new process) brings its unhandled entries back.
    alarming::OnProcessEvent(5, nullptr, kStateRunning, &alarm_);
    EXPECT_EQ(alarming::HasUnhandledAlarm, 1u);
}

TEST_F(AlarmThreadTest, PopupThreadSetsTheFlagHidesTheWindowAndShowsAtTheBottomRight) {
    const Records output{Record(5, u"dl.exe", 0), Record(6, u"up.exe", 0)};
    base::Event ready(base::EventReset::kAutomatic, false);
    alarming::HasUnhandledAlarm = 0;
    EXPECT_EQ(alarming::AlarmPopupThread(output, window_, ready), 0u);
    EXPECT_TRUE(ready.Wait(0));
    EXPECT_EQ(alarming::HasUnhandledAlarm, 1u);
    EXPECT_EQ(window_.indicatorStarts + window_.hides, 2);
    const auto& shown = window_.shown;
    ASSERT_EQ(shown.size(), 1u);
    // 20 below the 1024 x 738 client area, over the task bar.
    const alarming::PopupRect rect = shown[0].rect;
    EXPECT_EQ(std::tie(rect.right, rect.bottom), std::make_tuple(1023, 758));
    EXPECT_EQ(std::make_pair(rect.right - rect.left, rect.bottom - rect.top),
              std::make_pair(alarming::kPopupWidth, alarming::kPopupHeight));
    EXPECT_EQ(Pids(shown[0].output), (PidList{5, 6}));

    // An open pop-up is raised instead of a second one.
    window_.popupOpen = true;
    alarming::AlarmPopupThread(output, window_, ready);
    EXPECT_TRUE(ready.Wait(0));
    EXPECT_EQ(window_.shown.size(), 1u);
}

// The window side the alarm calls: the registered one, else the headless default (nothing on screen,
// each pop-up one line on standard error, the text below).
TEST(AlarmPopupWindowTest, CallsGoToTheRegisteredWindowSideElseToTheHeadlessOne) {
    alarming::IAlarmPopupWindow& window = alarming::AlarmPopupWindow();
    alarm_test::FakePopupWindow fake;
    fake.fullScreen = true;
    alarming::RegisterAlarmPopupWindow(&fake);
    EXPECT_TRUE(window.IsFullScreenForeground());
    alarming::RegisterAlarmPopupWindow(nullptr);
    EXPECT_FALSE(window.IsFullScreenForeground());

    auto a = Record(1234, u"iperf3", 0);
    a.downSpeedText = u"5.20MB/S";
    auto b = Record(77, u"下载器.exe", 0);
    ::testing::internal::CaptureStderr();
    window.ShowAccelerationStatePopup({}, Records{a, b, Record(1, u"odd\nname\r", 0)});
    EXPECT_EQ(
        ::testing::internal::GetCapturedStderr(),
        "kvtmon: alarm: traffic outside the accelerator: iperf3 (pid 1234) 5.20MB/S down 1.00MB/S up; "
        "下载器.exe (pid 77) 12.50KB/S down 1.00MB/S up; odd name  (pid 1) 12.50KB/S down 1.00MB/S up\n");
}

// Whether an image lies in the program's own directory, the exemption above.
TEST(ImageDirectoryTest, CutsAtTheLastSeparatorOnlyForAnExecutable) {
    const struct {
        std::u16string_view path, marker, directory;
    } cases[] = {
        {u"C:\\Zelvan\\kvt.exe", u".exe", u"C:\\Zelvan"},
        // No ".exe": the path is taken as a directory, less one trailing separator.
        {u"C:\\Zelvan\\", u".exe", u"C:\\Zelvan"},
        // The marker is searched with case, as the name part of the path is.
        {u"C:\\Zelvan\\KVT.EXE", u".exe", u"C:\\Zelvan\\KVT.EXE"},
        {u"kvt.exe", u".exe", u"kvt.exe"},
        {u"", u".exe", u""},
        // An empty marker treats every path as naming its file.
        {u"C:\\Zelvan\\kvtmon", u"", u"C:\\Zelvan"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(alarming::ImageDirectory(c.path, u'\\', c.marker), c.directory)
            << testing::PrintToString(std::u16string(c.path));
    }
}

}  // namespace
