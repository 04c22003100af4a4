#pragma once

// The OS seam for the adapter list: the adapters with their IPv4 addresses, in the order the system
// lists them, and the host's own name. Which adapters and addresses the engine uses is decided by the
// portable code in adapter_info.h.

#include <cstdint>
#include <string>
#include <vector>

namespace engine {

struct AdapterRow {
    std::u16string name;
    // IPv4 addresses in network byte order, as the system lists them (0.0.0.0 for "no address yet").
    std::vector<std::uint32_t> addresses;
    // False for an interface that is administratively down (Linux); Windows lists only enabled adapters.
    bool up = true;
};

struct AdapterListing {
    // 0, or the error of the adapter query.
    std::uint32_t result = 0;
    // The query buffer could not be allocated; the failure has been logged and result is 1.
    bool outOfMemory = false;
    std::vector<AdapterRow> rows;
};

AdapterListing ListAdapters();

// The host name as the resolver answers it and the dotted text of its first IPv4 address. False (and
// nothing changed) when the name cannot be taken or resolved.
bool QueryHostIdentity(std::u16string& hostName, std::u16string& hostAddress);

}  // namespace engine
