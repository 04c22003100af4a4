#include "engine/socket_close_events.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t kNotSupported = 50;  // ERROR_NOT_SUPPORTED

TEST(SocketCloseEventsWin, NeverStartsSoTheTablesStayTheOnlySource) {
    const auto source = engine::CreateSocketCloseEvents();
    EXPECT_EQ(source->Start(), kNotSupported);
    std::vector<engine::SocketCloseEvent> events(1);
    EXPECT_EQ(source->Poll(0, events), kNotSupported);
    EXPECT_TRUE(events.empty());
}

}  // namespace
