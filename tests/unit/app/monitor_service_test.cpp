#include "app/monitor_service.h"

#include <gtest/gtest.h>

#include <new>

namespace {

TEST(MonitorService, AnOperationThatThrowsReturnsZero) {
    EXPECT_EQ(app::GuardedServiceCall([]() -> std::uint32_t { throw std::bad_alloc(); }), 0u);
    EXPECT_EQ(app::GuardedServiceCall([] { return 1u; }), 1u);
}

TEST(MonitorService, PauseAndResumeWithoutAnEngineReturnZeroAndStopOne) {
    app::MonitorService service(app::ServiceLinks{});
    EXPECT_EQ(service.Pause(), 0u);
    EXPECT_EQ(service.Resume(), 0u);
    EXPECT_EQ(service.Stop(), 1u);
}

}  // namespace
