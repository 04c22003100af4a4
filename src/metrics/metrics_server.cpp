#include "metrics/metrics_server.h"

#include <charconv>

#include "base/text.h"

namespace metrics {
namespace {

bool IsIpv4(std::string_view text) {
    int parts = 0;
    while (true) {
        unsigned value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end == text.data() || value > 255 || end - text.data() > 3) {
            return false;
        }
        ++parts;
        text.remove_prefix(static_cast<std::size_t>(end - text.data()));
        if (text.empty()) {
            return parts == 4;
        }
        if (text.front() != '.' || parts == 4) {
            return false;
        }
        text.remove_prefix(1);
    }
}

}  // namespace

std::optional<ListenAddress> ParseListenAddress(std::u16string_view text) {
    const std::string utf8 = base::Utf16ToUtf8(text);
    const std::size_t colon = utf8.rfind(':');
    ListenAddress address{colon == std::string::npos ? "127.0.0.1" : utf8.substr(0, colon), 0};
    const std::string_view port =
        colon == std::string::npos ? std::string_view(utf8) : std::string_view(utf8).substr(colon + 1);
    unsigned value = 0;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (error != std::errc() || end != port.data() + port.size() || port.empty() || value == 0 ||
        value > 65535 || !IsIpv4(address.host)) {
        return std::nullopt;
    }
    address.port = static_cast<std::uint16_t>(value);
    return address;
}

}  // namespace metrics
