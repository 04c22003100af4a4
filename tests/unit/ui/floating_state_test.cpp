// The floating strip's state rules: keeping it on top, its status button's face, hiding it for a
// full-screen game, and which accelerator reports count.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "ui/floating_state.h"

namespace {

using ui::StatusImage;

TEST(FloatingTopmost, ReassertedOnlyWhenLostAndDue) {
    // Whether the first 20 s are over, whether the strip is visible and still top-most.
    const std::tuple<bool, bool, bool, bool> cases[] = {
        {false, false, false, false},  // hidden during the first 20 s: left alone
        {false, true, false, true},   {true, false, false, true},
        {false, true, true, false},   {true, false, true, false},
    };
    for (const auto& [phase, visible, topmost, expected] : cases) {
        EXPECT_EQ(ui::ShouldReassertTopmost(phase, visible, topmost), expected)
            << phase << visible << topmost;
    }
    EXPECT_EQ(ui::InitialStatusImage(0), StatusImage::kNormal);
    EXPECT_EQ(ui::InitialStatusImage(1), StatusImage::kAlertA);
}

TEST(AlarmBlink, AlternatesWhileAnAlarmIsOpenThenReturnsToNormal) {
    using Tick = std::tuple<std::uint32_t, bool, StatusImage, bool>;  // state, alarm; image, keep blinking
    constexpr StatusImage kA = StatusImage::kAlertA, kB = StatusImage::kAlertB,
                          kNormal = StatusImage::kNormal;
    // State 2 is not accelerating for the blink; a stopping tick moves the toggle on too.
    const std::vector<Tick> ticks = {{1, true, kA, true},        {1, true, kB, true},
                                     {1, false, kNormal, false}, {1, true, kB, true},
                                     {2, true, kNormal, false},  {1, true, kB, true}};
    ui::AlarmBlink blink;
    for (std::size_t n = 0; n < ticks.size(); ++n) {
        const auto& [state, alarm, image, keep] = ticks[n];
        const auto step = blink.Tick(state, alarm);
        EXPECT_EQ(std::tie(step.image, step.keepBlinking), std::tie(image, keep)) << "tick " << n;
    }
}

TEST(FullScreen, HidesForAGameAndShowsWhenItLeaves) {
    constexpr std::uintptr_t kGame = 0x1234, kOtherGame = 0x5678;
    // Opened or closed, the foreground window, the flag (opened: the strip is visible; closed:
    // ShowSuspension); the answer and whether the tracker is active afterwards.
    using Event = std::tuple<bool, std::uintptr_t, bool, bool, bool>;
    constexpr bool kOpened = true, kClosed = false;
    const std::pair<const char*, std::vector<Event>> cases[] = {
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
    for (const auto& [what, events] : cases) {
        ui::FullScreenTracker tracker;
        for (std::size_t n = 0; n < events.size(); ++n) {
            const auto& [opened, window, flag, expected, activeAfter] = events[n];
            EXPECT_EQ(opened ? tracker.Opened(window, flag) : tracker.Closed(window, flag), expected)
                << what << ", event " << n;
            EXPECT_EQ(tracker.Active(), activeAfter) << what << ", event " << n;
        }
    }
}

TEST(AcceleratorReport, EmptyReportsAreIgnored) {
    // Only the low 32 bits of the received count are read.
    const std::tuple<std::uintptr_t, std::intptr_t, bool> cases[] = {
        {0, 0, false},
        {500, 0, true},
        {0, 1, true},
        {0, -1, false},
        {0, static_cast<std::intptr_t>(0x80000000u), false},
        {0, static_cast<std::intptr_t>(0x7FFFFFFFu), true},
        {0xFFFFFFFFu, -5, true},
    };
    for (const auto& [sent, received, expected] : cases) {
        EXPECT_EQ(ui::IsAcceleratorReport(sent, received), expected) << sent << "," << received;
    }
}

}  // namespace
