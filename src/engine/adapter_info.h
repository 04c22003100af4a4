#pragma once

// The machine's own IPv4 addresses and the adapters that capture: filled once at engine start, read
// without a lock afterwards. Addresses are u32 values holding the four bytes in network order, exactly as
// they sit in a packet header, so a header field copied with memcpy compares equal.

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/adapters.h"

namespace engine {

constexpr std::uint32_t MakeIpv4(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    return std::bit_cast<std::uint32_t>(std::array<std::uint8_t, 4>{a, b, c, d});
}

inline constexpr std::uint32_t kAnyAddress = MakeIpv4(0, 0, 0, 0);
inline constexpr std::uint32_t kLoopbackAddress = MakeIpv4(127, 0, 0, 1);

// "a.b.c.d".
std::u16string FormatIpv4(std::uint32_t address);

struct AdapterInfo {
    std::vector<std::uint32_t> localAddresses;  // LocalAddresses
    std::vector<std::u16string> adapterNames;   // AdapterNames
    // AdapterAddressLists, parallel to adapterNames; each list has at least one address.
    std::vector<std::vector<std::uint32_t>> adapterAddressLists;
    std::u16string hostName;
    std::u16string hostAddress;
};

// 0.0.0.0 is an adapter without an address yet and 127.0.0.1 never leaves the machine: neither is
// captured on nor counted as one of the machine's addresses.
constexpr bool IsUsableAddress(std::uint32_t address) {
    return address != kAnyAddress && address != kLoopbackAddress;
}

// Appends the usable addresses of the rows to the lists, in the rows' order; an adapter gets an entry
// only when it has at least one usable address and is up.
void AddAdapterRows(std::span<const AdapterRow> rows, AdapterInfo& info);

// Queries the adapters and the host identity into `info`: 0, or the error of the adapter query (1 when
// its buffer could not be allocated). A failed host-name lookup is not an error.
std::uint32_t GetAdapterInfo(AdapterInfo& info);

// A handful of addresses: a linear scan beats any index.
inline bool IsLocalAddress(std::span<const std::uint32_t> localAddresses, std::uint32_t address) {
    return std::find(localAddresses.begin(), localAddresses.end(), address) != localAddresses.end();
}

}  // namespace engine
