#include "engine/adapter_info.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/capture.h"

namespace {

constexpr std::uint32_t kA1 = MakeIpv4(192, 168, 1, 10);
constexpr std::uint32_t kA2 = MakeIpv4(192, 168, 1, 11);
constexpr std::uint32_t kB1 = MakeIpv4(10, 8, 0, 2);
constexpr std::uint32_t kC1 = MakeIpv4(172, 16, 5, 1);

TEST(Ipv4Address, BytesInNetworkOrderAsInAPacketHeader) {
    const std::uint8_t header[4] = {192, 168, 1, 10};
    std::uint32_t fromHeader;
    std::memcpy(&fromHeader, header, 4);
    EXPECT_EQ(fromHeader, kA1);
    EXPECT_EQ(FormatIpv4(kA1), u"192.168.1.10");
    EXPECT_EQ(FormatIpv4(MakeIpv4(255, 255, 255, 255)), u"255.255.255.255");
    EXPECT_EQ(FormatIpv4(kAnyAddress), u"0.0.0.0");
}

TEST(AdapterRows, UsableAddressesInTheSystemsOrder) {
    const std::uint32_t otherLoopback = MakeIpv4(127, 0, 0, 2);
    const std::uint32_t broadcast = MakeIpv4(255, 255, 255, 255);
    const std::vector<AdapterRow> rows{
        {u"eth0", {kA1, kA2}, true},                            // two addresses: both local, one adapter
        {u"wifi", {kAnyAddress}, true},                         // no address yet
        {u"lo", {kLoopbackAddress}, true},                      // loopback only
        {u"tun0", {kAnyAddress, kB1, kLoopbackAddress}, true},  // the usable one is kept
        {u"down0", {kC1}, false},                               // administratively down
        {u"x", {otherLoopback, broadcast}, true},               // only the exact addresses are skipped
    };
    AdapterInfo info;
    AddAdapterRows(rows, info);
    EXPECT_EQ(info.localAddresses, (std::vector<std::uint32_t>{kA1, kA2, kB1, otherLoopback, broadcast}));
    EXPECT_EQ(info.adapterNames, (std::vector<std::u16string>{u"eth0", u"tun0", u"x"}));
    ASSERT_EQ(info.adapterAddressLists.size(), 3u);
    EXPECT_EQ(info.adapterAddressLists[0], (std::vector<std::uint32_t>{kA1, kA2}));
    EXPECT_EQ(info.adapterAddressLists[1], (std::vector<std::uint32_t>{kB1}));
    EXPECT_TRUE(IsLocalAddress(info.localAddresses, kB1));
    EXPECT_FALSE(IsLocalAddress(info.localAddresses, kC1));
    EXPECT_FALSE(IsLocalAddress(info.localAddresses, kLoopbackAddress));
    EXPECT_FALSE(IsLocalAddress({}, kA1));
}

TEST(AdapterRows, NoUsableAddressLeavesEveryListEmpty) {
    AdapterInfo info;
    AddAdapterRows(std::vector<AdapterRow>{{u"lo", {kLoopbackAddress}, true}, {u"eth0", {}, true}}, info);
    EXPECT_TRUE(info.localAddresses.empty());
    EXPECT_TRUE(info.adapterNames.empty());
    EXPECT_TRUE(info.adapterAddressLists.empty());
}

// The real adapter list of this machine (Wine lists its host's adapters too) obeys the same rules.
TEST(AdapterInfoSystem, TheMachinesListsAreConsistent) {
    ASSERT_EQ(StartNetworkLibrary(), 0u);
    AdapterInfo info;
    EXPECT_EQ(GetAdapterInfo(info), 0u);
    StopNetworkLibrary();
    ASSERT_EQ(info.adapterNames.size(), info.adapterAddressLists.size());
    std::size_t total = 0;
    for (const auto& list : info.adapterAddressLists) {
        ASSERT_FALSE(list.empty());
        for (const std::uint32_t address : list) {
            EXPECT_TRUE(IsUsableAddress(address));
            EXPECT_TRUE(IsLocalAddress(info.localAddresses, address));
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
