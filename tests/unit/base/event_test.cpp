#include "base/event.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>

namespace {

using base::Event;
using base::EventReset;

TEST(Event, ManualStaysSignalledAutomaticLetsOneWaitThrough) {
    Event manual(EventReset::kManual, false);
    ASSERT_TRUE(manual.IsValid());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(manual.Wait(100));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(90)) << "no early time-out";
    manual.Set();
    EXPECT_TRUE(manual.Wait(0));
    EXPECT_TRUE(manual.Wait(0));
    manual.Reset();
    EXPECT_FALSE(manual.Wait(0));

    Event automatic(EventReset::kAutomatic, true);
    EXPECT_TRUE(automatic.Wait(0));
    EXPECT_FALSE(automatic.Wait(0));
    automatic.Set();
    automatic.Set();  // setting twice still releases one wait
    EXPECT_TRUE(automatic.Wait(0));
    EXPECT_FALSE(automatic.Wait(0));
}

TEST(Event, WaitAnyReturnsTheLowestSignalledIndex) {
    Event quit(EventReset::kManual, false);
    Event read(EventReset::kManual, false);
    Event change(EventReset::kAutomatic, false);
    const std::array<Event*, 3> events{&quit, &read, &change};
    EXPECT_EQ(Event::WaitAny(events, 0), Event::kTimedOut);
    change.Set();
    EXPECT_EQ(Event::WaitAny(events, 0), 2);
    EXPECT_EQ(Event::WaitAny(events, 0), Event::kTimedOut) << "choosing an automatic event resets it";
    read.Set();
    quit.Set();
    EXPECT_EQ(Event::WaitAny(events, 0), 0);
}

TEST(Event, SameNameSharesOneState) {
    Event first(EventReset::kManual, false, u"YuZhiChange Event test");
    Event second(EventReset::kManual, false, u"YuZhiChange Event test");
    Event other(EventReset::kManual, false, u"Quit Event test");
    second.Set();
    EXPECT_TRUE(first.Wait(0));
    EXPECT_FALSE(other.Wait(0));
    first.Reset();
    EXPECT_FALSE(second.Wait(0));
}

}  // namespace
