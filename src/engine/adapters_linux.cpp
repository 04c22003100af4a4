#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string_view>

#include "base/text.h"
#include "engine/adapter_info.h"
#include "engine/adapters.h"

namespace engine {

AdapterListing ListAdapters() {
    AdapterListing listing;
    ifaddrs* first = nullptr;
    if (getifaddrs(&first) != 0) {
        listing.result = static_cast<std::uint32_t>(errno);
        return listing;
    }
    std::unique_ptr<ifaddrs, decltype(&freeifaddrs)> owner(first, &freeifaddrs);
    // getifaddrs gives one entry per address; an interface's addresses are gathered under the position of
    // its first entry.
    std::vector<std::string_view> names;
    for (const ifaddrs* entry = first; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET ||
            entry->ifa_name == nullptr) {
            continue;
        }
        const std::string_view name(entry->ifa_name);
        std::size_t index = 0;
        while (index < names.size() && names[index] != name) {
            ++index;
        }
        if (index == names.size()) {
            names.push_back(name);
            AdapterRow row;
            row.name = base::Utf8ToUtf16(name);
            row.up = (entry->ifa_flags & IFF_UP) != 0;
            listing.rows.push_back(std::move(row));
        }
        sockaddr_in address;
        std::memcpy(&address, entry->ifa_addr, sizeof address);
        listing.rows[index].addresses.push_back(address.sin_addr.s_addr);
    }
    return listing;
}

bool QueryHostIdentity(std::u16string& hostName, std::u16string& hostAddress) {
    char name[260] = {};
    if (gethostname(name, 259) != 0 || name[0] == '\0') {
        return false;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* answer = nullptr;
    if (getaddrinfo(name, nullptr, &hints, &answer) != 0 || answer == nullptr) {
        return false;
    }
    std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> owner(answer, &freeaddrinfo);
    if (answer->ai_addr == nullptr || answer->ai_addrlen < sizeof(sockaddr_in)) {
        return false;
    }
    sockaddr_in address;
    std::memcpy(&address, answer->ai_addr, sizeof address);
    hostAddress = FormatIpv4(address.sin_addr.s_addr);
    hostName = base::Utf8ToUtf16(answer->ai_canonname != nullptr ? answer->ai_canonname : name);
    return true;
}

}  // namespace engine
