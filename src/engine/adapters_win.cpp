#include <iphlpapi.h>
#include <windows.h>
#include <winsock2.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "base/text.h"
#include "base/traffic_log.h"
#include "base/wide_win.h"
#include "engine/adapter_info.h"
#include "engine/adapters.h"

namespace engine {

namespace {

// The first query's buffer holds one adapter record; most machines need the second, sized query.
constexpr ULONG kFirstAdapterBufferBytes = 648;

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

}  // namespace

AdapterListing ListAdapters() {
    AdapterListing listing;
    ULONG size = kFirstAdapterBufferBytes;
    std::unique_ptr<IP_ADAPTER_INFO, FreeDeleter> buffer(static_cast<IP_ADAPTER_INFO*>(std::malloc(size)));
    if (!buffer) {
        base::WriteTrafficLogError("分配内存失败，error no = %d \n", GetLastError());
        listing.result = 1;
        listing.outOfMemory = true;
        return listing;
    }
    DWORD result = GetAdaptersInfo(buffer.get(), &size);
    if (result == ERROR_BUFFER_OVERFLOW) {
        buffer.reset(static_cast<IP_ADAPTER_INFO*>(std::malloc(size)));
        if (!buffer) {
            base::WriteTrafficLogError("分配内存失败，error no = %d \n", GetLastError());
            listing.result = 1;
            listing.outOfMemory = true;
            return listing;
        }
        result = GetAdaptersInfo(buffer.get(), &size);
    }
    listing.result = result;
    if (result != NO_ERROR) {
        return listing;
    }
    for (const IP_ADAPTER_INFO* adapter = buffer.get(); adapter != nullptr; adapter = adapter->Next) {
        AdapterRow row;
        row.name = base::AnsiToUtf16(adapter->AdapterName);
        for (const IP_ADDR_STRING* a = &adapter->IpAddressList; a != nullptr; a = a->Next) {
            row.addresses.push_back(inet_addr(a->IpAddress.String));
        }
        listing.rows.push_back(std::move(row));
    }
    return listing;
}

bool QueryHostIdentity(std::u16string& hostName, std::u16string& hostAddress) {
    char name[260] = {};
    if (gethostname(name, 259) != 0 || name[0] == '\0') {
        return false;
    }
    const hostent* host = gethostbyname(name);
    if (host == nullptr || host->h_addr_list == nullptr || host->h_addr_list[0] == nullptr) {
        return false;
    }
    std::uint32_t address = 0;
    const int length = std::clamp(static_cast<int>(host->h_length), 0, 4);
    std::memcpy(&address, host->h_addr_list[0], static_cast<std::size_t>(length));
    hostAddress = FormatIpv4(address);
    hostName = base::AnsiToUtf16(host->h_name != nullptr ? host->h_name : "");
    return true;
}

}  // namespace engine
