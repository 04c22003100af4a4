#include "engine/accelerate_adapter.h"

#include <gtest/gtest.h>

#include <tuple>

#include "base/text.h"
#include "engine/tunnel_rules.h"
#include "engine_fakes.h"
#include "support/log_capture.h"

namespace {

using engine::AccelerateAdapter;
using engine::ListStatus;

struct TunnelCase {
    std::u16string_view interfaceDescription;
    std::u16string_view adapterDescription;
    std::vector<std::string> addresses;
    bool chosen;
};

TEST(TunnelRules, ChooseByDescriptionPrefixAndAdapterAddress) {
    const TunnelCase cases[] = {
        {u"WAN Miniport (PPP)", u"WAN Miniport (PPP)", {"172.16.5.9"}, true},
        {u"PPP adapter VPN", u"ppp ADAPTER vpn", {"0.0.0.0", "172.31.0.1"}, true},
        {u"TAP-Win32 Adapter V9", u"TAP-Win32 Adapter V9", {"10.8.0.6"}, true},
        {u"TAP-Win32 Adapter V9", u"TAP-Win32 Adapter V9", {"172.18.0.2"}, false},
        {u"Microsoft tap bridge", u"Microsoft tap bridge", {"10.8.0.6"}, false},
        {u"BM Virtual Adapter", u"BM Virtual Adapter", {"172.20.0.1"}, true},
        {u"BM Virtual Adapter", u"BM Virtual Adapter", {"10.1.1.1"}, true},
        {u"BM Virtual Adapter", u"BM Virtual Adapter", {"192.168.0.1"}, false},
        // Addresses that never count, whatever their first characters.
        {u"ppp0", u"ppp0", {"127.0.0.1", "255.255.255.255", "172", "172.16.0.256", ""}, false},
        {u"eth0", u"eth0", {"10.0.0.2", "172.17.0.1"}, false},  // the empty prefix matches nothing
        // The adapter must have the interface's description.
        {u"ppp0", u"ppp1", {"172.16.0.2"}, false},
    };
    for (const TunnelCase& c : cases) {
        engine_test::FakeInterfaceTable table;
        table.rows = {{12, std::u16string(c.interfaceDescription), 0, 0}};
        table.adapters = {{u"Loopback", {"127.0.0.1"}}, {std::u16string(c.adapterDescription), c.addresses}};
        const AccelerateAdapter adapter(table);
        EXPECT_EQ(adapter.InterfaceIndex(), c.chosen ? 12u : AccelerateAdapter::kNoInterface)
            << base::Utf16ToUtf8(c.interfaceDescription) << " "
            << (c.addresses.empty() ? "" : c.addresses[0]);
    }
    // The shipped prefixes never start like the unusable addresses; any prefix still refuses them.
    for (const char* unusable : {"127.0.0.1", "0.0.0.0", "255.255.255.255"}) {
        const engine::AdapterEntry adapters[] = {{u"x", {unusable}}};
        EXPECT_FALSE(engine::AdapterHasTunnelAddress(adapters, u"x", std::u16string(unusable, unusable + 3)))
            << unusable;
    }
}

TEST(TunnelRules, DottedAddressesParseStrictly) {
    EXPECT_EQ(engine::ParseDottedAddress("10.8.0.6"), engine_test::Ip(10, 8, 0, 6));
    EXPECT_EQ(engine::ParseDottedAddress("255.255.255.255"), 0xFFFFFFFFu);
    for (const char* bad :
         {"", "1.2.3", "1.2.3.4.", "1.2.3.4.5", "256.1.1.1", "1..2.3", "a.b.c.d", "1.2.3.04x"}) {
        EXPECT_FALSE(engine::ParseDottedAddress(bad)) << bad;
    }
}

// ppp0 and ppp1 are tunnels, eth0 is not.
class AccelerateAdapterTest : public ::testing::Test {
  protected:
    static engine_test::FakeInterfaceTable Tunnels() {
        engine_test::FakeInterfaceTable table;
        table.rows = {{3, u"ppp0", 100, 200}, {5, u"eth0", 7, 8}, {9, u"ppp1", 300, 400}};
        table.adapters = {{u"ppp0", {"172.16.0.2"}}, {u"eth0", {"10.0.0.2"}}, {u"ppp1", {"172.16.0.3"}}};
        return table;
    }
    std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t> State() {
        const auto counters = adapter_.GetCounters();
        return {adapter_.InterfaceIndex(), counters.sent, counters.received, counters.ok};
    }
    engine_test::FakeInterfaceTable table_ = Tunnels();
    AccelerateAdapter adapter_{table_};
};

// The last matching interface in table order wins. Reported counters replace the interface and wrap; a
// scan returns to the interface and keeps the sums for when it fails; SetCounters leaves the interface.
TEST_F(AccelerateAdapterTest, InterfaceCountersOrReportedSums) {
    constexpr std::uint32_t kNone = AccelerateAdapter::kNoInterface;
    EXPECT_EQ(State(), std::make_tuple(9u, 400u, 300u, 1u));
    adapter_.AddReportedCounters(1000, 2000);
    EXPECT_EQ(State(), std::make_tuple(kNone, 1000u, 2000u, 1u));
    adapter_.AddReportedCounters(500, 0);
    adapter_.AddReportedCounters(0xFFFFFFFF, 0);
    EXPECT_EQ(State(), std::make_tuple(kNone, 1499u, 2000u, 1u));
    adapter_.ScanTunnelInterface();
    EXPECT_EQ(State(), std::make_tuple(9u, 400u, 300u, 1u));
    table_.interfaceStatus = ListStatus::kNoMemory;  // a table that cannot be allocated changes nothing
    adapter_.ScanTunnelInterface();
    EXPECT_EQ(adapter_.InterfaceIndex(), 9u);
    table_.interfaceStatus = ListStatus::kFailed;
    adapter_.ScanTunnelInterface();
    EXPECT_EQ(State(), std::make_tuple(kNone, 1499u, 2000u, 1u));

    table_.interfaceStatus = ListStatus::kOk;
    adapter_.ScanTunnelInterface();
    adapter_.SetCounters(0, 0);
    EXPECT_EQ(adapter_.InterfaceIndex(), 9u);
    table_.interfaceStatus = ListStatus::kFailed;
    adapter_.ScanTunnelInterface();
    EXPECT_EQ(adapter_.GetCounters().sent, 0u);
}

TEST_F(AccelerateAdapterTest, AnAdapterListThatCannotBeAllocatedIsLoggedAndMatchesNothing) {
    testing_support::LogCapture log;
    table_.adapterStatus = ListStatus::kNoMemory;
    adapter_.ScanTunnelInterface();
    EXPECT_EQ(adapter_.InterfaceIndex(), AccelerateAdapter::kNoInterface);
    EXPECT_EQ(log.CountStartingWith("分配内存失败，error no = "), 2) << "one per interface a rule names";
}

}  // namespace
