// Arbitrary bytes as one captured frame: the first byte picks the link type and which address is
// local, the rest is the frame as libpcap hands it over.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "engine/link_layer.h"
#include "engine/packet_decoder.h"
#include "fuzz/fuzz_check.h"

namespace {

constexpr std::array<int, 10> kLinkTypes{
    engine::kLinkNull, engine::kLinkEthernet, engine::kLinkPpp,  engine::kLinkRaw,       engine::kLinkRawFile,
    engine::kLinkLoop, engine::kLinkLinuxSll, engine::kLinkIpv4, engine::kLinkLinuxSll2, 147 /* unknown */};

// The counted size comes from a 16-bit total length less at least the UDP overhead.
void CheckCount(const std::optional<engine::PacketCount>& count) {
    FUZZ_CHECK(!count || (count->bytes > 0 && count->bytes <= 0xFFFF - 28));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::span<const std::uint8_t> frame(data + 1, size - 1);
    const auto packet = engine::StripLinkLayer(kLinkTypes[data[0] % kLinkTypes.size()], frame);
    if (!packet) {
        return 0;
    }
    // A view into the frame, never past its end.
    FUZZ_CHECK(packet->data() >= frame.data() &&
               packet->data() + packet->size() <= frame.data() + frame.size());
    std::vector<std::uint32_t> locals{0x0100007F};
    const std::size_t localAt = (data[0] & 0x80) != 0 ? 12 : 16;  // source or destination address
    if (packet->size() >= localAt + 4) {
        std::memcpy(&locals.emplace_back(), packet->data() + localAt, 4);
    }
    CheckCount(engine::DecodePacket(*packet, locals));
    if (!packet->empty()) {
        const std::uint32_t direction = (data[0] >> 4) & 3;
        CheckCount(engine::DealWithL2TPVPN(*packet, direction));
        CheckCount(engine::DealWithGreVPN(*packet, direction));
    }
    return 0;
}
