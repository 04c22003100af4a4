#include "base/scoped_handle_win.h"

#include <gtest/gtest.h>

namespace {

// A failure's error is read after the cleanup of its path: no close may change it.
TEST(ScopedHandleWin, ClosingKeepsTheLastError) {
    {
        const base::ScopedKernelHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        ASSERT_TRUE(event);
        const base::ScopedGdiObject<HBRUSH> brush(::CreateSolidBrush(RGB(1, 2, 3)));
        ASSERT_TRUE(brush);
        ::SetLastError(ERROR_ACCESS_DENIED);
    }
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    // A close that fails (no such handle) sets an error of its own, which is dropped too.
    const HANDLE none = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x7FFFFFFC));
    ASSERT_FALSE(::CloseHandle(none));
    ASSERT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    base::KernelHandleTraits::Close(none);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
