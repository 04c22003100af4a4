#include "base/scoped_handle_linux.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>

namespace {

// A failure's errno is read after the cleanup of its path: a close, even one that fails with an error of
// its own, must not change it.
TEST(ScopedHandleLinux, ClosingKeepsErrno) {
    errno = EACCES;
    base::FdTraits::Close(INT_MAX);
    EXPECT_EQ(errno, EACCES);
}

}  // namespace
