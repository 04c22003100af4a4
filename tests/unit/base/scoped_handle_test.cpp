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

static_assert(!std::is_copy_constructible_v<Owner> && !std::is_copy_assignable_v<Owner>);
static_assert(std::is_nothrow_move_constructible_v<Owner> && std::is_nothrow_move_assignable_v<Owner>);

TEST(ScopedHandle, ClosesEachHandleOnceUnlessReleased) {
    gClosed.clear();
    {
        const Owner empty;
        Owner first(1);
        Owner second(std::move(first));
        Owner third(3);
        third = std::move(second);  // 3 closes, 1 moves on
        EXPECT_EQ(gClosed, std::vector<int>{3});

        Owner owner(4);
        owner.Reset(5);
        owner.Reset(5);  // the same handle is not closed
        owner.Reset();
        owner.Reset();
        EXPECT_EQ(gClosed, (std::vector<int>{3, 4, 5}));
        Owner released(6);
        EXPECT_EQ(released.Release(), 6);
    }
    EXPECT_EQ(gClosed, (std::vector<int>{3, 4, 5, 1}));
}

}  // namespace
