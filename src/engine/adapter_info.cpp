#include "engine/adapter_info.h"

#include <cstring>

#include "base/text.h"

namespace engine {

std::u16string FormatIpv4(std::uint32_t address) {
    std::uint8_t bytes[4];
    std::memcpy(bytes, &address, sizeof bytes);
    return base::FormatText(16, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
}

void AddAdapterRows(std::span<const AdapterRow> rows, AdapterInfo& info) {
    for (const AdapterRow& row : rows) {
        if (!row.up) {
            continue;
        }
        std::vector<std::uint32_t> own;
        for (const std::uint32_t address : row.addresses) {
            if (IsUsableAddress(address)) {
                info.localAddresses.push_back(address);
                own.push_back(address);
            }
        }
        if (!own.empty()) {
            info.adapterNames.push_back(row.name);
            info.adapterAddressLists.push_back(std::move(own));
        }
    }
}

std::uint32_t GetAdapterInfo(AdapterInfo& info) {
    AdapterListing listing = ListAdapters();
    if (listing.outOfMemory) {
        return listing.result;
    }
    if (listing.result == 0) {
        AddAdapterRows(listing.rows, info);
    }
    QueryHostIdentity(info.hostName, info.hostAddress);
    return listing.result;
}

}  // namespace engine
