#pragma once

// The system's network interfaces and adapters as the accelerator counters need them. Windows reads
// GetIfTable/GetIfEntry and GetAdaptersInfo; Linux reads /sys/class/net (the interface name serves as
// the description) and getifaddrs.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace engine {

struct InterfaceRow {
    std::uint32_t index = 0;
    std::u16string description;
    std::uint32_t inOctets = 0;  // 32-bit counters: they wrap
    std::uint32_t outOctets = 0;
};

struct AdapterEntry {
    std::u16string description;
    std::vector<std::string> addresses;  // IPv4 addresses as dotted text
};

enum class ListStatus {
    kOk,
    kNoMemory,  // a buffer could not be allocated
    kFailed,
};

class IInterfaceTable {
public:
    virtual ~IInterfaceTable() = default;
    // Every interface, sorted by index.
    virtual ListStatus ListInterfaces(std::vector<InterfaceRow>& rows) = 0;
    // The octet counters of one interface; false when it is gone.
    virtual bool ReadInterfaceCounters(std::uint32_t index, std::uint32_t& inOctets,
                                       std::uint32_t& outOctets) = 0;
    // Every adapter with its IPv4 addresses, in the system's order.
    virtual ListStatus ListAdapters(std::vector<AdapterEntry>& adapters) = 0;
};

std::unique_ptr<IInterfaceTable> CreateInterfaceTable();

}  // namespace engine
