#include "engine/privileges.h"

#include <gtest/gtest.h>

#include "base/module_path.h"
#include "engine_fakes.h"
#include "support/log_capture.h"

namespace {

using Exceptions = std::vector<std::pair<std::u16string, std::u16string>>;
const std::u16string kSeparator(1, base::kPathSeparator);
const std::u16string kDir = u"opt" + kSeparator + u"平台" + kSeparator;

TEST(InitPrivileges, ExceptionsForTheMonitorAndForTheHostBesideIt) {
    engine_test::FakePrivilegeOps ops;
    EXPECT_EQ(engine::InitPrivileges(ops, kDir + u"kvtmon.exe", u"host.exe"), 0u);
    EXPECT_EQ(ops.exceptions,
              (Exceptions{{u"Zelvan平台-kvt", kDir + u"kvtmon.exe"}, {u"Zelvan平台", kDir + u"host.exe"}}));
    EXPECT_EQ(ops.privilegeCalls, 1);
    // Without a directory there is no host beside the monitor; without its own path nothing is tried.
    for (const std::u16string& path : {std::u16string(u"kvtmon.exe"), kSeparator + u"kvtmon.exe"}) {
        engine_test::FakePrivilegeOps alone;
        EXPECT_EQ(engine::InitPrivileges(alone, path, u"host.exe"), 0u);
        EXPECT_EQ(alone.exceptions, (Exceptions{{u"Zelvan平台-kvt", path}}));
    }
    engine_test::FakePrivilegeOps none;
    EXPECT_NE(engine::InitPrivileges(none, u"", u"host.exe"), 0u);
    EXPECT_TRUE(none.exceptions.empty());
    EXPECT_EQ(none.privilegeCalls, 0);
}

TEST(InitPrivileges, AFirewallFailureIsLoggedAndAPrivilegeFailureStopsTheStart) {
    testing_support::LogCapture log;
    engine_test::FakePrivilegeOps ops;
    ops.firewallResult = static_cast<std::int32_t>(0x80070005);
    ops.privilegeResult = 1300;
    EXPECT_EQ(engine::InitPrivileges(ops, kDir + u"kvtmon.exe", u"host.exe"), 1300u);
    EXPECT_EQ(ops.exceptions.size(), 2u);
    EXPECT_EQ(log.CountStartingWith("添加防火墙例外失败，error no = "), 2) << "one line per exception";
}

}  // namespace
