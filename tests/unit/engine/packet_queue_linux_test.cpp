#include <gtest/gtest.h>

#include <chrono>
#include <ctime>

#include "engine/packet_queue.h"

namespace {

double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Half a second of polling an empty queue costs next to no processor time: it sleeps, it does not spin.
TEST(PacketQueuePollingLinux, EmptyTakeSleepsRatherThanSpins) {
    engine::PacketQueue q;
    engine::PacketBuffer* b = nullptr;
    const double cpuBefore = ProcessCpuSeconds();
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(q.Take(b), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(490));
    EXPECT_LT(ProcessCpuSeconds() - cpuBefore, 0.05);
}

}  // namespace
