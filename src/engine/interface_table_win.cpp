#include <winsock2.h>

#include <windows.h>

#include <iphlpapi.h>

#include <algorithm>
#include <memory>
#include <new>
#include <string_view>

#include "base/text.h"
#include "base/wide_win.h"
#include "engine/interface_table.h"

namespace engine {
namespace {

constexpr ULONG kFirstAdapterBuffer = 648;

std::u16string UpToNul(std::u16string text) {
    text.resize(std::min(text.find(u'\0'), text.size()));
    return text;
}

class WindowsInterfaceTable final : public IInterfaceTable {
public:
    ListStatus ListInterfaces(std::vector<InterfaceRow>& rows) override {
        rows.clear();
        ULONG size = 0;
        if (GetIfTable(nullptr, &size, FALSE) != ERROR_INSUFFICIENT_BUFFER) {
            return ListStatus::kFailed;  // nothing to read the table into
        }
        std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[size]);
        if (!buffer) {
            return ListStatus::kNoMemory;
        }
        auto* table = reinterpret_cast<MIB_IFTABLE*>(buffer.get());
        if (GetIfTable(table, &size, TRUE) != NO_ERROR) {
            return ListStatus::kFailed;
        }
        for (DWORD i = 0; i < table->dwNumEntries; ++i) {
            const MIB_IFROW& r = table->table[i];
            const DWORD length = std::min<DWORD>(r.dwDescrLen, MAXLEN_IFDESCR);
            // The description is in code page 936 and its length may count a terminating 0.
            const std::string_view description(reinterpret_cast<const char*>(r.bDescr), length);
            rows.push_back({r.dwIndex, UpToNul(base::GbkToUtf16(description)), r.dwInOctets, r.dwOutOctets});
        }
        return ListStatus::kOk;
    }

    bool ReadInterfaceCounters(std::uint32_t index, std::uint32_t& inOctets,
                               std::uint32_t& outOctets) override {
        MIB_IFROW row{};
        row.dwIndex = index;
        if (GetIfEntry(&row) != NO_ERROR) {
            return false;
        }
        inOctets = row.dwInOctets;
        outOctets = row.dwOutOctets;
        return true;
    }

    ListStatus ListAdapters(std::vector<AdapterEntry>& adapters) override {
        adapters.clear();
        ULONG size = kFirstAdapterBuffer;
        std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[size]);
        if (!buffer) {
            return ListStatus::kNoMemory;
        }
        DWORD rc = GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.get()), &size);
        if (rc == ERROR_BUFFER_OVERFLOW) {
            buffer.reset(new (std::nothrow) unsigned char[size]);
            if (!buffer) {
                return ListStatus::kNoMemory;
            }
            rc = GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.get()), &size);
        }
        if (rc != NO_ERROR) {
            return ListStatus::kFailed;
        }
        for (const IP_ADAPTER_INFO* a = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.get()); a != nullptr;
             a = a->Next) {
            AdapterEntry entry{base::AnsiToUtf16(a->Description), {}};
            for (const IP_ADDR_STRING* s = &a->IpAddressList; s != nullptr; s = s->Next) {
                entry.addresses.emplace_back(s->IpAddress.String,
                                             strnlen(s->IpAddress.String, sizeof s->IpAddress.String));
            }
            adapters.push_back(std::move(entry));
        }
        return ListStatus::kOk;
    }
};

}  // namespace

std::unique_ptr<IInterfaceTable> CreateInterfaceTable() {
    return std::make_unique<WindowsInterfaceTable>();
}

}  // namespace engine
