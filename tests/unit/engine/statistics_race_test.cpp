#include <gtest/gtest.h>

#include <thread>

#include "engine/port_table_counter.h"
#include "statistics_fixture.h"

namespace {

using engine_test::StatisticsTest;

// The decoder counts under the engine lock while the alarm thread ticks, a window reads the totals and
// the thresholds change: every tick sees whole packets, and the totals never go back.
TEST_F(StatisticsTest, TicksRaceWithDecoderCountingAndReaders) {
    AddProcess(100, u"browser.exe", {5000});
    Start();
    Tunnel(0, 0);
    engine::PortTableCounter counter(table_);
    constexpr int kPackets = 20000;
    constexpr int kTicks = 300;
    constexpr std::uint64_t kPacketBytes = 3;

    std::thread decoder([&] {
        for (int i = 0; i < kPackets; ++i) {
            counter.CountPacket(
                {engine::CountProtocol::kTcp,
                 i % 2 == 0 ? engine::CountDirection::kUpload : engine::CountDirection::kDownload, 5000,
                 kPacketBytes});
        }
    });
    std::thread window([&] {
        std::uint64_t last = 0;
        for (int i = 0; i < kTicks * 10; ++i) {
            const std::uint64_t total = stats_.GetLocalTotalReflux();
            EXPECT_GE(total, last);
            EXPECT_EQ(total % kPacketBytes, 0u);
            last = total;
        }
    });
    std::thread pipe([&] {
        for (int i = 0; i < kTicks; ++i) {
            stats_.SetThresholds(5000, 1000, 100 + i, 50, 30 + i % 70, 1);
            (void)stats_.GetProcessRefluxByPid(100, engine::TotalDirection::kUp);
        }
    });
    for (int i = 0; i < kTicks; ++i) {
        stats_.UpdateStatistics();
    }
    decoder.join();
    window.join();
    pipe.join();
    stats_.UpdateStatistics();

    EXPECT_EQ(stats_.GetLocalUpReflux(), kPackets / 2 * kPacketBytes);
    EXPECT_EQ(stats_.GetLocalDownReflux(), kPackets / 2 * kPacketBytes);
    ASSERT_EQ(sink_.pushes.size(), static_cast<std::size_t>(kTicks + 1));
    for (std::size_t i = 1; i < sink_.pushes.size(); ++i) {
        EXPECT_GE(sink_.pushes[i].localUp, sink_.pushes[i - 1].localUp);
        EXPECT_GE(sink_.pushes[i].localDown, sink_.pushes[i - 1].localDown);
    }
}

}  // namespace
