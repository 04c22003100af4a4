#include <sys/resource.h>

#include <gtest/gtest.h>

#include <chrono>

#include "engine/packet_queue.h"

namespace {

long VoluntarySwitches() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_nvcsw;
}

// The real polling: an empty take gives up after about half a second, and it sleeps rather than spins,
// so the thread gives up the processor at least once per poll.
TEST(PacketQueuePollingLinux, EmptyTakeSleepsTenTimes) {
    engine::PacketQueue q;
    engine::PacketBuffer* b = nullptr;
    const long switchesBefore = VoluntarySwitches();
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(q.Take(b), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(490));
    EXPECT_GE(VoluntarySwitches() - switchesBefore, engine::PacketQueue::kPollsBeforeGivingUp);
}

}  // namespace
