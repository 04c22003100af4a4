#include "app/single_instance.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SingleInstance, TheSecondHolderIsRefusedUntilTheFirstLetsGo) {
    const std::u16string name = u"kvt_single_instance_test_1";
    app::SingleInstance first;
    ASSERT_TRUE(first.Acquire(name));
    {
        app::SingleInstance second;
        EXPECT_FALSE(second.Acquire(name));
    }
    // A refused instance leaves the first one's hold alone.
    app::SingleInstance third;
    EXPECT_FALSE(third.Acquire(name));

    first.Release();
    app::SingleInstance fourth;
    EXPECT_TRUE(fourth.Acquire(name));
    app::SingleInstance other;
    EXPECT_TRUE(other.Acquire(u"kvt_single_instance_test_2")) << "names do not conflict";
}

}  // namespace
