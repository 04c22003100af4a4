#pragma once

// The byte counters of the accelerator's tunnel: the tunnel interface's own counters while one is
// known, otherwise the sums the accelerator reports. Every call but construction runs with the engine
// lock held by the caller, which is the only protection of the fields.

#include <cstdint>

#include "engine/interface_table.h"

namespace engine {

class AccelerateAdapter {
public:
    static constexpr std::uint32_t kNoInterface = 0xFFFFFFFF;

    struct Counters {
        std::uint32_t sent = 0;
        std::uint32_t received = 0;
        std::uint32_t ok = 0;
    };

    // Looks for the tunnel interface at once.
    explicit AccelerateAdapter(IInterfaceTable& table);

    // Looks for the tunnel interface again: the last interface, in index order, that a tunnel rule
    // accepts. Stays as it is when the table cannot be allocated; no interface when it cannot be read.
    void ScanTunnelInterface();

    // The interface's counters (ok = 0 and zeros when it cannot be read), or the reported sums.
    Counters GetCounters();

    // Switches to the reported sums and adds to them (wrapping at 2^32).
    void AddReportedCounters(std::uint32_t sent, std::uint32_t received);
    // Sets the sums; the interface, if any, stays.
    void SetCounters(std::uint32_t sent, std::uint32_t received);

    std::uint32_t InterfaceIndex() const { return interfaceIndex_; }

private:
    bool AdapterMatches(std::u16string_view lowerDescription, std::u16string_view addressPrefix);

    IInterfaceTable& table_;
    std::uint32_t interfaceIndex_ = kNoInterface;
    std::uint32_t sentSum_ = 0;
    std::uint32_t receivedSum_ = 0;
};

}  // namespace engine
