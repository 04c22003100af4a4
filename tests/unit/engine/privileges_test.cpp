#include "engine/privileges.h"

#include <gtest/gtest.h>

#include "base/module_path.h"
#include "engine_fakes.h"
#include "support/log_capture.h"

namespace {

const std::u16string kSeparator(1, base::kPathSeparator);

TEST(InitPrivileges, ExceptionsForTheMonitorAndForTheHostBesideIt) {
    engine_test::FakePrivilegeOps ops;
    const std::u16string dir = u"opt" + kSeparator + u"平台" + kSeparator;
    EXPECT_EQ(engine::InitPrivileges(ops, dir + u"kvtmon.exe", u"host.exe"), 0u);
    ASSERT_EQ(ops.exceptions.size(), 2u);
    EXPECT_EQ(ops.exceptions[0], std::make_pair(std::u16string(u"Zelvan平台-kvt"), dir + u"kvtmon.exe"));
    EXPECT_EQ(ops.exceptions[1], std::make_pair(std::u16string(u"Zelvan平台"), dir + u"host.exe"));
    EXPECT_EQ(ops.privilegeCalls, 1);
}

TEST(InitPrivileges, NoHostExceptionWithoutADirectory) {
    for (const std::u16string& path : {std::u16string(u"kvtmon.exe"), kSeparator + u"kvtmon.exe"}) {
        engine_test::FakePrivilegeOps ops;
        EXPECT_EQ(engine::InitPrivileges(ops, path, u"host.exe"), 0u);
        ASSERT_EQ(ops.exceptions.size(), 1u);
        EXPECT_EQ(ops.exceptions[0].first, u"Zelvan平台-kvt");
    }
}

TEST(InitPrivileges, AFirewallFailureIsLoggedAndAPrivilegeFailureStopsTheStart) {
    testing_support::LogCapture log;
    engine_test::FakePrivilegeOps ops;
    ops.firewallResult = static_cast<std::int32_t>(0x80070005);
    ops.privilegeResult = 1300;
    EXPECT_EQ(engine::InitPrivileges(ops, u"opt" + kSeparator + u"kvtmon.exe", u"host.exe"), 1300u);
    EXPECT_EQ(ops.exceptions.size(), 2u);
    EXPECT_EQ(log.CountStartingWith("添加防火墙例外失败，error no = "), 2) << "one line per exception";
}

TEST(InitPrivileges, WithoutItsOwnPathNothingIsTried) {
    engine_test::FakePrivilegeOps ops;
    EXPECT_NE(engine::InitPrivileges(ops, u"", u"host.exe"), 0u);
    EXPECT_TRUE(ops.exceptions.empty());
    EXPECT_EQ(ops.privilegeCalls, 0);
}

}  // namespace
