#include "engine/socket_table.h"

#include <algorithm>
#include <tuple>

namespace engine {
namespace {

// The numeric value of an address held in network byte order.
std::uint32_t AddressValue(std::uint32_t networkOrder) {
    const auto* b = reinterpret_cast<const unsigned char*>(&networkOrder);
    return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) | b[3];
}

}  // namespace

void SortTcpRows(std::vector<TcpRow>& rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const TcpRow& a, const TcpRow& b) {
        return std::make_tuple(AddressValue(a.localAddress), a.localPort, AddressValue(a.remoteAddress),
                               a.remotePort) < std::make_tuple(AddressValue(b.localAddress), b.localPort,
                                                               AddressValue(b.remoteAddress), b.remotePort);
    });
}

void SortUdpRows(std::vector<UdpRow>& rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const UdpRow& a, const UdpRow& b) {
        return std::make_tuple(AddressValue(a.localAddress), a.localPort) <
               std::make_tuple(AddressValue(b.localAddress), b.localPort);
    });
}

}  // namespace engine
