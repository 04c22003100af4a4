#include "engine/privileges.h"

#include <gtest/gtest.h>

#include "base/module_path.h"
#include "log_capture.h"

namespace {

class FakePrivilegeOps final : public engine::IPrivilegeOps {
public:
    std::int32_t AddFirewallException(std::u16string_view name, std::u16string_view path) override {
        exceptions.emplace_back(name, path);
        return firewallResult;
    }
    std::uint32_t EnableProcessPrivileges() override {
        ++privilegeCalls;
        return privilegeResult;
    }
    std::vector<std::pair<std::u16string, std::u16string>> exceptions;
    std::int32_t firewallResult = 0;
    std::uint32_t privilegeResult = 0;
    int privilegeCalls = 0;
};

const std::u16string kSeparator(1, base::kPathSeparator);

TEST(InitPrivileges, ExceptionsForTheMonitorAndForTheHostBesideIt) {
    FakePrivilegeOps ops;
    const std::u16string dir = u"opt" + kSeparator + u"平台" + kSeparator;
    EXPECT_EQ(engine::InitPrivileges(ops, dir + u"kvtmon.exe", u"host.exe"), 0u);
    ASSERT_EQ(ops.exceptions.size(), 2u);
    EXPECT_EQ(ops.exceptions[0], std::make_pair(std::u16string(u"Zelvan平台-kvt"), dir + u"kvtmon.exe"));
    EXPECT_EQ(ops.exceptions[1], std::make_pair(std::u16string(u"Zelvan平台"), dir + u"host.exe"));
    EXPECT_EQ(ops.privilegeCalls, 1);
}

TEST(InitPrivileges, NoHostExceptionWithoutADirectory) {
    for (const std::u16string& path : {std::u16string(u"kvtmon.exe"), kSeparator + u"kvtmon.exe"}) {
        FakePrivilegeOps ops;
        EXPECT_EQ(engine::InitPrivileges(ops, path, u"host.exe"), 0u);
        ASSERT_EQ(ops.exceptions.size(), 1u);
        EXPECT_EQ(ops.exceptions[0].first, u"Zelvan平台-kvt");
    }
}

TEST(InitPrivileges, AFirewallFailureIsLoggedAndAPrivilegeFailureStopsTheStart) {
    engine_test::LogCapture log;
    FakePrivilegeOps ops;
    ops.firewallResult = static_cast<std::int32_t>(0x80070005);
    ops.privilegeResult = 1300;
    EXPECT_EQ(engine::InitPrivileges(ops, u"opt" + kSeparator + u"kvtmon.exe", u"host.exe"), 1300u);
    EXPECT_EQ(ops.exceptions.size(), 2u);
    const std::u16string text = log.Text();
    const std::u16string_view message = u"添加防火墙例外失败，error no = ";
    const std::size_t first = text.find(message);
    ASSERT_NE(first, std::u16string::npos);
    EXPECT_NE(text.find(message, first + 1), std::u16string::npos) << "one line per exception";
}

TEST(InitPrivileges, WithoutItsOwnPathNothingIsTried) {
    FakePrivilegeOps ops;
    EXPECT_NE(engine::InitPrivileges(ops, u"", u"host.exe"), 0u);
    EXPECT_TRUE(ops.exceptions.empty());
    EXPECT_EQ(ops.privilegeCalls, 0);
}

}  // namespace
