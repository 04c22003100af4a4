#include "engine/tunnel_rules.h"

#include "engine/name_lists.h"

namespace engine {
namespace {

constexpr std::size_t kComparedPrefixLength = 3;

bool StartsWith(std::u16string_view text, std::u16string_view prefix) {
    return !prefix.empty() && text.substr(0, prefix.size()) == prefix;
}

bool IsUsableAddress(std::string_view text) {
    const auto address = ParseDottedAddress(text);
    if (!address) {
        return false;
    }
    const auto* b = reinterpret_cast<const unsigned char*>(&*address);
    const bool zero = *address == 0;
    const bool loopback = b[0] == 127 && b[1] == 0 && b[2] == 0 && b[3] == 1;
    const bool broadcast = *address == 0xFFFFFFFF;
    return !zero && !loopback && !broadcast;
}

}  // namespace

std::u16string LowerCaseAscii(std::u16string_view text) {
    std::u16string lower(text);
    for (char16_t& c : lower) {
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c - u'A' + u'a');
        }
    }
    return lower;
}

bool RuleApplies(const TunnelRule& rule, std::u16string_view lowerDescription) {
    return StartsWith(lowerDescription, rule.prefixA) || StartsWith(lowerDescription, rule.prefixB);
}

std::optional<std::uint32_t> ParseDottedAddress(std::string_view text) {
    std::uint32_t address = 0;
    auto* bytes = reinterpret_cast<unsigned char*>(&address);
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (text.empty() || text.front() != '.') {
                return std::nullopt;
            }
            text.remove_prefix(1);
        }
        unsigned value = 0;
        std::size_t digits = 0;
        while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9' && digits < 3) {
            value = value * 10 + static_cast<unsigned>(text[digits] - '0');
            ++digits;
        }
        if (digits == 0 || value > 255) {
            return std::nullopt;
        }
        bytes[part] = static_cast<unsigned char>(value);
        text.remove_prefix(digits);
    }
    if (!text.empty()) {
        return std::nullopt;
    }
    return address;
}

bool AdapterHasTunnelAddress(std::span<const AdapterEntry> adapters, std::u16string_view lowerDescription,
                             std::u16string_view addressPrefix) {
    const std::u16string_view wanted = addressPrefix.substr(0, kComparedPrefixLength);
    for (const AdapterEntry& adapter : adapters) {
        if (!EqualsIgnoringCase(adapter.description, lowerDescription)) {
            continue;
        }
        for (const std::string& address : adapter.addresses) {
            if (!IsUsableAddress(address) || address.size() < wanted.size()) {
                continue;
            }
            const std::u16string head(address.begin(),
                                      address.begin() + static_cast<std::ptrdiff_t>(wanted.size()));
            if (EqualsIgnoringCase(head, wanted)) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace engine
