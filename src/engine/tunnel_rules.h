#pragma once

// How the accelerator's tunnel interface is recognised: by the start of its description and by an
// address of the adapter of the same description.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/interface_table.h"

namespace engine {

struct TunnelRule {
    std::u16string_view prefixA;  // an empty prefix never matches
    std::u16string_view prefixB;
    std::u16string_view addressPrefix;  // only its first three characters are compared
};

// Tried in this order: dial-up WAN/PPP links, then the accelerator's own adapters, then TAP adapters.
inline constexpr std::array<TunnelRule, 3> kTunnelRules = {{
    {u"wan", u"ppp", u"172."},
    {u"bm", u"", u"172."},
    {u"bm", u"tap", u"10."},
}};

// The letters A to Z made lower case.
std::u16string LowerCaseAscii(std::u16string_view text);

// True when the (lower-cased) description begins with one of the rule's prefixes.
bool RuleApplies(const TunnelRule& rule, std::u16string_view lowerDescription);

// The dotted text's address in network byte order; nothing unless it is four decimal numbers 0..255.
std::optional<std::uint32_t> ParseDottedAddress(std::string_view text);

// True when an adapter whose description equals the interface's (case ignored) has a usable address
// (not 0.0.0.0, 127.0.0.1 or 255.255.255.255) whose first three characters equal the prefix's.
bool AdapterHasTunnelAddress(std::span<const AdapterEntry> adapters, std::u16string_view lowerDescription,
                             std::u16string_view addressPrefix);

}  // namespace engine
