#include "base/scoped_handle_linux.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace {

// A failure's errno is read after the cleanup of its path: no close may change it.
TEST(ScopedHandleLinux, ClosingKeepsErrno) {
    {
        const base::ScopedFd owner(::open("/dev/null", O_RDONLY | O_CLOEXEC));
        ASSERT_TRUE(owner);
        errno = ENOENT;
    }
    EXPECT_EQ(errno, ENOENT);

    // A close that fails sets an error of its own, which is dropped too.
    ASSERT_NE(::close(INT_MAX), 0);
    ASSERT_EQ(errno, EBADF);
    errno = EACCES;
    base::FdTraits::Close(INT_MAX);
    EXPECT_EQ(errno, EACCES);
}

}  // namespace
