#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <charconv>
#include <memory>
#include <string>

#include "base/scoped_handle_linux.h"
#include "base/text.h"
#include "engine/interface_table.h"
#include "engine/proc_read_linux.h"

namespace engine {
namespace {

const std::string kClassNet = "/sys/class/net/";

bool ReadNumber(const std::string& path, std::uint64_t& value) {
    std::string text;
    if (ReadProcFile(AT_FDCWD, path.c_str(), text) != 0) {
        return false;
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

// The kernel's 64-bit byte counters, cut to the 32 bits that the interface table offers.
bool ReadOctets(const std::string& name, std::uint32_t& inOctets, std::uint32_t& outOctets) {
    std::uint64_t rx = 0;
    std::uint64_t tx = 0;
    if (!ReadNumber(kClassNet + name + "/statistics/rx_bytes", rx) ||
        !ReadNumber(kClassNet + name + "/statistics/tx_bytes", tx)) {
        return false;
    }
    inOctets = static_cast<std::uint32_t>(rx);
    outOctets = static_cast<std::uint32_t>(tx);
    return true;
}

class LinuxInterfaceTable final : public IInterfaceTable {
public:
    ListStatus ListInterfaces(std::vector<InterfaceRow>& rows) override {
        rows.clear();
        const base::ScopedDir dir(opendir(kClassNet.c_str()));
        if (!dir) {
            return ListStatus::kFailed;
        }
        while (const dirent* entry = readdir(dir.Get())) {
            const std::string name = entry->d_name;
            std::uint64_t index = 0;
            InterfaceRow row;
            if (name.front() == '.' || !ReadNumber(kClassNet + name + "/ifindex", index) ||
                !ReadOctets(name, row.inOctets, row.outOctets)) {
                continue;  // not an interface, or gone meanwhile
            }
            row.index = static_cast<std::uint32_t>(index);
            row.description = base::Utf8ToUtf16(name);
            rows.push_back(std::move(row));
        }
        std::sort(rows.begin(), rows.end(),
                  [](const InterfaceRow& a, const InterfaceRow& b) { return a.index < b.index; });
        return ListStatus::kOk;
    }

    bool ReadInterfaceCounters(std::uint32_t index, std::uint32_t& inOctets,
                               std::uint32_t& outOctets) override {
        char name[IF_NAMESIZE];
        return if_indextoname(index, name) != nullptr && ReadOctets(name, inOctets, outOctets);
    }

    ListStatus ListAdapters(std::vector<AdapterEntry>& adapters) override {
        adapters.clear();
        ifaddrs* list = nullptr;
        if (getifaddrs(&list) != 0) {
            return ListStatus::kFailed;
        }
        std::unique_ptr<ifaddrs, void (*)(ifaddrs*)> owner(list, freeifaddrs);
        for (const ifaddrs* a = list; a != nullptr; a = a->ifa_next) {
            if (a->ifa_addr == nullptr || a->ifa_addr->sa_family != AF_INET) {
                continue;
            }
            char text[INET_ADDRSTRLEN];
            const auto* address = reinterpret_cast<const sockaddr_in*>(a->ifa_addr);
            if (inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) == nullptr) {
                continue;
            }
            const std::u16string description = base::Utf8ToUtf16(a->ifa_name);
            auto adapter = std::find_if(adapters.begin(), adapters.end(),
                                        [&](const AdapterEntry& e) { return e.description == description; });
            if (adapter == adapters.end()) {
                adapter = adapters.insert(adapters.end(), AdapterEntry{description, {}});
            }
            adapter->addresses.emplace_back(text);
        }
        return ListStatus::kOk;
    }
};

}  // namespace

std::unique_ptr<IInterfaceTable> CreateInterfaceTable() {
    return std::make_unique<LinuxInterfaceTable>();
}

}  // namespace engine
