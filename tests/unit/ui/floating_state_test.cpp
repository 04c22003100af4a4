#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ui/floating_state.h"

namespace {

using ui::StatusImage;

TEST(FloatingTopmost, ReassertedOnlyWhenLostAndDue) {
    const struct {
        bool phase;
        bool visible;
        bool topmost;
        bool expected;
    } cases[] = {
        {false, false, false, false},  // hidden during the first 20 s: left alone
        {false, true, false, true},
        {true, false, false, true},  // after 20 s even a hidden strip takes the top back
        {true, true, false, true},
        {false, true, true, false},  // still top-most: nothing to do
        {true, true, true, false},
        {true, false, true, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ui::ShouldReassertTopmost(c.phase, c.visible, c.topmost), c.expected)
            << c.phase << c.visible << c.topmost;
}

TEST(StatusButton, InitialFaceShowsPastAlarms) {
    EXPECT_EQ(ui::InitialStatusImage(0), StatusImage::kNormal);
    EXPECT_EQ(ui::InitialStatusImage(1), StatusImage::kAlertA);
    EXPECT_EQ(ui::InitialStatusImage(0xFFFFFFFFu), StatusImage::kAlertA);
}

TEST(AlarmBlink, AlternatesWhileAnAlarmIsOpenThenReturnsToNormal) {
    struct Tick {
        std::uint32_t state;
        bool alarm;
        StatusImage image;
        bool keep;
    };
    const struct {
        const char* what;
        std::vector<Tick> ticks;
    } cases[] = {
        {"blinks A, B, A, then the alarm is handled",
         {{1, true, StatusImage::kAlertA, true},
          {1, true, StatusImage::kAlertB, true},
          {1, true, StatusImage::kAlertA, true},
          {1, false, StatusImage::kNormal, false}}},
        {"not accelerating: stops at the first tick", {{0, true, StatusImage::kNormal, false}}},
        {"state 2 is not accelerating for the blink", {{2, true, StatusImage::kNormal, false}}},
        // The stopping tick moved the toggle on: a new blink starts on B.
        {"a stopped blink restarts where the toggle stands",
         {{1, true, StatusImage::kAlertA, true},
          {0, false, StatusImage::kNormal, false},
          {1, true, StatusImage::kAlertA, true},
          {1, true, StatusImage::kAlertB, true}}},
    };
    for (const auto& c : cases) {
        ui::AlarmBlink blink;
        int n = 0;
        for (const Tick& t : c.ticks) {
            const auto step = blink.Tick(t.state, t.alarm);
            EXPECT_EQ(step.image, t.image) << c.what << ", tick " << n;
            EXPECT_EQ(step.keepBlinking, t.keep) << c.what << ", tick " << n;
            ++n;
        }
    }
}

TEST(FullScreen, HidesForAGameAndShowsWhenItLeaves) {
    constexpr std::uintptr_t kGame = 0x1234;
    constexpr std::uintptr_t kOtherGame = 0x5678;
    enum Kind { kOpened, kClosed };
    struct Event {
        Kind kind;
        std::uintptr_t window;
        bool flag;  // opened: the strip is visible; closed: ShowSuspension
        bool expected;
        bool activeAfter;
    };
    const struct {
        const char* what;
        std::vector<Event> events;
    } cases[] = {
        {"a game opens and closes", {{kOpened, kGame, true, true, true}, {kClosed, 0, true, true, false}}},
        {"the foreground window is not full screen", {{kOpened, 0, true, false, false}}},
        {"closed while the game is still in front: stays hidden",
         {{kOpened, kGame, true, true, true}, {kClosed, kGame, true, false, true}}},
        {"another full-screen window in front counts as the game gone",
         {{kOpened, kGame, true, true, true}, {kClosed, kOtherGame, true, true, false}}},
        {"the strip is not to be shown: stays hidden",
         {{kOpened, kGame, true, true, true}, {kClosed, 0, false, false, true}}},
        {"hidden strip: nothing hidden, nothing shown",
         {{kOpened, kGame, false, false, true}, {kClosed, 0, true, false, false}}},
        {"closed without an open: nothing", {{kClosed, 0, true, false, false}}},
    };
    for (const auto& c : cases) {
        ui::FullScreenTracker tracker;
        int n = 0;
        for (const Event& e : c.events) {
            const bool answer =
                e.kind == kOpened ? tracker.Opened(e.window, e.flag) : tracker.Closed(e.window, e.flag);
            EXPECT_EQ(answer, e.expected) << c.what << ", event " << n;
            EXPECT_EQ(tracker.Active(), e.activeAfter) << c.what << ", event " << n;
            ++n;
        }
    }
}

TEST(AcceleratorReport, EmptyReportsAreIgnored) {
    const struct {
        std::uintptr_t sent;
        std::intptr_t received;
        bool expected;
    } cases[] = {
        {0, 0, false},
        {1000, 2000, true},
        {500, 0, true},
        {0, 1, true},
        {0, -1, false},
        // Only the low 32 bits of the received count are read.
        {0, static_cast<std::intptr_t>(0xFFFFFFFFu), false},
        {0, static_cast<std::intptr_t>(0x80000000u), false},
        {0, static_cast<std::intptr_t>(0x7FFFFFFFu), true},
        {0xFFFFFFFFu, -5, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ui::IsAcceleratorReport(c.sent, c.received), c.expected) << c.sent << "," << c.received;
}

}  // namespace
