#include <winsock2.h>

#include <windows.h>

#include <iphlpapi.h>

#include <memory>
#include <new>

#include "engine/socket_table.h"

namespace engine {
namespace {

// Calls `fetch(buffer, &size)` until the buffer is large enough: first without a buffer, then with the
// size the call reported, again for as long as the table keeps growing between the calls.
template <typename Fetch>
DWORD FetchTable(std::unique_ptr<unsigned char[]>& buffer, Fetch fetch) {
    DWORD size = 0;
    DWORD rc = fetch(nullptr, &size);
    while (rc == ERROR_INSUFFICIENT_BUFFER) {
        buffer.reset(new (std::nothrow) unsigned char[size]);
        if (!buffer) {
            return kOutOfMemory;
        }
        rc = fetch(buffer.get(), &size);
    }
    return rc;
}

class WindowsSocketTable final : public ISocketTableSource {
public:
    std::uint32_t FetchTcpTable(std::vector<TcpRow>& rows) override {
        rows.clear();
        std::unique_ptr<unsigned char[]> buffer;
        const DWORD rc = FetchTable(buffer, [](void* table, DWORD* size) {
            return GetExtendedTcpTable(table, size, TRUE, AF_INET, TCP_TABLE_OWNER_PID_ALL, 0);
        });
        if (rc != NO_ERROR) {
            return rc;
        }
        if (!buffer) {
            return ERROR_INVALID_DATA;  // success without a table: treated as a failed call
        }
        const auto* table = reinterpret_cast<const MIB_TCPTABLE_OWNER_PID*>(buffer.get());
        rows.reserve(table->dwNumEntries);
        for (DWORD i = 0; i < table->dwNumEntries; ++i) {
            const MIB_TCPROW_OWNER_PID& r = table->table[i];
            rows.push_back({static_cast<TcpState>(r.dwState), r.dwLocalAddr,
                            ntohs(static_cast<u_short>(r.dwLocalPort)), r.dwRemoteAddr,
                            ntohs(static_cast<u_short>(r.dwRemotePort)), r.dwOwningPid});
        }
        return 0;
    }

    std::uint32_t FetchUdpTable(std::vector<UdpRow>& rows) override {
        rows.clear();
        std::unique_ptr<unsigned char[]> buffer;
        const DWORD rc = FetchTable(buffer, [](void* table, DWORD* size) {
            return GetExtendedUdpTable(table, size, TRUE, AF_INET, UDP_TABLE_OWNER_PID, 0);
        });
        if (rc != NO_ERROR) {
            return rc;
        }
        if (!buffer) {
            return ERROR_INVALID_DATA;  // success without a table: treated as a failed call
        }
        const auto* table = reinterpret_cast<const MIB_UDPTABLE_OWNER_PID*>(buffer.get());
        rows.reserve(table->dwNumEntries);
        for (DWORD i = 0; i < table->dwNumEntries; ++i) {
            const MIB_UDPROW_OWNER_PID& r = table->table[i];
            rows.push_back({r.dwLocalAddr, ntohs(static_cast<u_short>(r.dwLocalPort)), r.dwOwningPid});
        }
        return 0;
    }
};

}  // namespace

std::unique_ptr<ISocketTableSource> CreateSocketTableSource() {
    return std::make_unique<WindowsSocketTable>();
}

}  // namespace engine
