#include "base/worker_thread.h"

#include <gtest/gtest.h>

#include <memory>

#include "base/event.h"

namespace {

TEST(WorkerThread, AThreadStuckPastItsJoinIsTerminated) {
    auto release = std::make_shared<base::Event>(base::EventReset::kManual, false);
    base::WorkerThread t;
    ASSERT_TRUE(t.Start([release] { release->Wait(base::Event::kInfinite); }));
    // Join gives up after its bound instead of hanging, and the thread is stopped where it stands.
    EXPECT_FALSE(t.Join(200));
}

}  // namespace
