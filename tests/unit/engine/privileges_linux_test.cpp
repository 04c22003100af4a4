#include "engine/privileges.h"

#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

namespace {

// The kernel's own answer, asked without /proc.
bool HasNetRaw() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (syscall(SYS_capget, &header, data) != 0) {
        return false;
    }
    return (data[CAP_NET_RAW / 32].effective >> (CAP_NET_RAW % 32)) & 1;
}

TEST(LinuxPrivileges, CaptureIsPermittedExactlyWithNetRaw) {
    const auto ops = engine::CreatePrivilegeOps();
    EXPECT_EQ(ops->AddFirewallException(u"Zelvan平台-kvt", u"/opt/kvtmon"), 0);
    EXPECT_EQ(ops->EnableProcessPrivileges(), HasNetRaw() ? 0u : static_cast<std::uint32_t>(EPERM));
}

}  // namespace
