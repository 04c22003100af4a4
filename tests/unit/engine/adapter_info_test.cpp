#include "engine/adapter_info.h"

#include <gtest/gtest.h>

#include "engine/capture.h"

namespace {

constexpr std::uint32_t kA1 = engine::MakeIpv4(192, 168, 1, 10);
constexpr std::uint32_t kA2 = engine::MakeIpv4(192, 168, 1, 11);
constexpr std::uint32_t kB1 = engine::MakeIpv4(10, 8, 0, 2);
constexpr std::uint32_t kC1 = engine::MakeIpv4(172, 16, 5, 1);

// Usable addresses in the system's order, per adapter that has one; only the exact loopback and any
// addresses are skipped, and adapters that are down.
TEST(AdapterRows, UsableAddressesInTheSystemsOrder) {
    const std::uint32_t otherLoopback = engine::MakeIpv4(127, 0, 0, 2);
    const std::uint32_t broadcast = engine::MakeIpv4(255, 255, 255, 255);
    const std::vector<engine::AdapterRow> rows{
        {u"eth0", {kA1, kA2}, true},
        {u"wifi", {engine::kAnyAddress}, true},
        {u"lo", {engine::kLoopbackAddress}, true},
        {u"tun0", {engine::kAnyAddress, kB1, engine::kLoopbackAddress}, true},
        {u"down0", {kC1}, false},
        {u"x", {otherLoopback, broadcast}, true},
    };
    engine::AdapterInfo info;
    engine::AddAdapterRows(rows, info);
    EXPECT_EQ(info.localAddresses, (std::vector<std::uint32_t>{kA1, kA2, kB1, otherLoopback, broadcast}));
    EXPECT_EQ(info.adapterNames, (std::vector<std::u16string>{u"eth0", u"tun0", u"x"}));
    ASSERT_EQ(info.adapterAddressLists.size(), 3u);
    EXPECT_EQ(info.adapterAddressLists[0], (std::vector<std::uint32_t>{kA1, kA2}));
    EXPECT_EQ(info.adapterAddressLists[1], (std::vector<std::uint32_t>{kB1}));
    EXPECT_EQ(engine::FormatIpv4(kA1), u"192.168.1.10");  // bytes in network order, as in a header
}

// The real adapter list of this machine (Wine lists its host's adapters too) obeys the same rules.
TEST(AdapterInfoSystem, TheMachinesListsAreConsistent) {
    ASSERT_EQ(engine::StartNetworkLibrary(), 0u);
    engine::AdapterInfo info;
    EXPECT_EQ(engine::GetAdapterInfo(info), 0u);
    engine::StopNetworkLibrary();
    ASSERT_EQ(info.adapterNames.size(), info.adapterAddressLists.size());
    std::size_t total = 0;
    for (const auto& list : info.adapterAddressLists) {
        ASSERT_FALSE(list.empty());
        for (const std::uint32_t address : list) {
            EXPECT_TRUE(engine::IsUsableAddress(address));
            EXPECT_TRUE(engine::IsLocalAddress(info.localAddresses, address));
        }
        total += list.size();
    }
    EXPECT_EQ(total, info.localAddresses.size());
    if (!info.hostAddress.empty()) {
        EXPECT_LE(info.hostAddress.size(), 15u);
        EXPECT_FALSE(info.hostName.empty());
    }
}

}  // namespace
