#include "base/worker_thread.h"

#include <gtest/gtest.h>

#include <memory>

#include "base/event.h"

namespace {

TEST(WorkerThread, AThreadThatOverrunsItsJoinIsWaitedForNotDetached) {
    // The body still writes to its owner's data after the join's bound: a detached thread would do that
    // after the owner freed it.
    auto owned = std::make_unique<int>(0);
    base::Event never(base::EventReset::kManual, false);
    base::WorkerThread t;
    ASSERT_TRUE(t.Start([&never, value = owned.get()] {
        never.Wait(300);
        *value = 1;
    }));
    EXPECT_FALSE(t.Join(20)) << "the join reports the overrun";
    EXPECT_TRUE(t.HasEnded());
    EXPECT_EQ(*owned, 1);
}

}  // namespace
