#include "base/worker_thread.h"

#include <gtest/gtest.h>

#include "base/event.h"

namespace {

TEST(WorkerThread, AThreadThatOverrunsItsJoinIsWaitedForNotDetached) {
    // The body writes to its owner's data after the join's bound: a detached thread would do that after
    // the owner freed it.
    base::Event release(base::EventReset::kManual, false);
    int value = 0;
    base::WorkerThread t;
    ASSERT_TRUE(t.Start([&] {
        release.Wait(300);
        value = 1;
    }));
    EXPECT_FALSE(t.Join(20)) << "the join reports the overrun";
    EXPECT_TRUE(t.HasEnded());
    EXPECT_EQ(value, 1);
}

}  // namespace
