#include "engine/interface_table.h"

#include <gtest/gtest.h>
#include <net/if.h>

#include <algorithm>

#include "loopback_sockets_linux.h"

namespace {

class LinuxInterfaceTable : public ::testing::Test {
  protected:
    std::unique_ptr<engine::IInterfaceTable> table_ = engine::CreateInterfaceTable();
    const std::uint32_t loopback_ = if_nametoindex("lo");
};

TEST_F(LinuxInterfaceTable, ListsLoopbackByItsNameAndIndex) {
    std::vector<engine::InterfaceRow> rows;
    ASSERT_EQ(table_->ListInterfaces(rows), engine::ListStatus::kOk);
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end(),
                               [](const auto& a, const auto& b) { return a.index < b.index; }));
    const auto lo =
        std::find_if(rows.begin(), rows.end(), [](const auto& r) { return r.description == u"lo"; });
    ASSERT_NE(lo, rows.end());
    EXPECT_EQ(lo->index, loopback_);

    std::vector<engine::AdapterEntry> adapters;
    ASSERT_EQ(table_->ListAdapters(adapters), engine::ListStatus::kOk);
    const auto adapter =
        std::find_if(adapters.begin(), adapters.end(), [](const auto& a) { return a.description == u"lo"; });
    ASSERT_NE(adapter, adapters.end());
    EXPECT_NE(std::find(adapter->addresses.begin(), adapter->addresses.end(), "127.0.0.1"),
              adapter->addresses.end());
}

TEST_F(LinuxInterfaceTable, LoopbackCountersGrowWithLoopbackTraffic) {
    std::uint32_t inBefore = 0, outBefore = 0;
    ASSERT_TRUE(table_->ReadInterfaceCounters(loopback_, inBefore, outBefore));

    const engine_test::Socket receiver = engine_test::BoundSocket(SOCK_DGRAM);
    const engine_test::Socket sender = engine_test::BoundSocket(SOCK_DGRAM);
    constexpr std::uint32_t kDatagrams = 64, kBytes = 1000;
    for (std::uint32_t i = 0; i < kDatagrams; ++i) {
        ASSERT_TRUE(engine_test::SendTo(sender, receiver.Port(), kBytes));
    }

    std::uint32_t inAfter = 0, outAfter = 0;
    ASSERT_TRUE(table_->ReadInterfaceCounters(loopback_, inAfter, outAfter));
    // 32-bit counters: the difference is taken modulo 2^32.
    EXPECT_GE(static_cast<std::uint32_t>(outAfter - outBefore), kDatagrams * kBytes);
    EXPECT_GE(static_cast<std::uint32_t>(inAfter - inBefore), kDatagrams * kBytes);
    EXPECT_FALSE(table_->ReadInterfaceCounters(0x7FFFFFF0, inAfter, outAfter)) << "an unknown index";
}

}  // namespace
