#include "base/scoped_handle.h"

#include <gtest/gtest.h>

#include <type_traits>
#include <utility>
#include <vector>

namespace {

// Handles are small numbers, 0 is "none"; every close is recorded.
std::vector<int> gClosed;

struct CountingTraits {
    using Handle = int;
    static constexpr Handle Invalid() noexcept { return 0; }
    static void Close(Handle handle) noexcept { gClosed.push_back(handle); }
};
using Owner = base::ScopedHandle<CountingTraits>;

class ScopedHandle : public ::testing::Test {
  protected:
    void SetUp() override { gClosed.clear(); }
};

static_assert(!std::is_copy_constructible_v<Owner> && !std::is_copy_assignable_v<Owner>);
static_assert(std::is_nothrow_move_constructible_v<Owner> && std::is_nothrow_move_assignable_v<Owner>);

TEST_F(ScopedHandle, ClosesOnceWhenItGoesOutOfScope) {
    {
        const Owner empty;
        EXPECT_FALSE(empty.IsValid());
        EXPECT_FALSE(empty);
        const Owner owner(7);
        EXPECT_TRUE(owner);
        EXPECT_EQ(owner.Get(), 7);
    }
    EXPECT_EQ(gClosed, std::vector<int>{7});
}

TEST_F(ScopedHandle, MoveHandsTheHandleOverWithoutClosingIt) {
    Owner first(1);
    Owner second(std::move(first));
    EXPECT_FALSE(first.IsValid());
    EXPECT_EQ(second.Get(), 1);

    Owner third(3);
    third = std::move(second);  // 3 closes, 1 moves on
    EXPECT_EQ(gClosed, std::vector<int>{3});
    EXPECT_EQ(third.Get(), 1);
    auto& self = third;
    third = std::move(self);
    EXPECT_EQ(third.Get(), 1);
    EXPECT_EQ(gClosed, std::vector<int>{3});
}

TEST_F(ScopedHandle, ResetClosesTheOldHandleButNotTheSameOne) {
    Owner owner(4);
    owner.Reset(5);
    owner.Reset(5);
    EXPECT_EQ(gClosed, std::vector<int>{4});
    owner.Reset();
    EXPECT_FALSE(owner);
    owner.Reset();
    EXPECT_EQ(gClosed, (std::vector<int>{4, 5}));
}

TEST_F(ScopedHandle, ReleaseEndsOwnership) {
    {
        Owner owner(6);
        EXPECT_EQ(owner.Release(), 6);
        EXPECT_FALSE(owner);
    }
    EXPECT_TRUE(gClosed.empty());
}

}  // namespace
