// Arbitrary bytes as one captured frame. The first byte picks the link type (and whether the packet's
// source or destination address is local); the rest is the frame as libpcap would hand it over.

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

constexpr std::array<int, 10> kLinkTypes{engine::kLinkNull,      engine::kLinkEthernet,
                                         engine::kLinkPpp,       engine::kLinkRaw,
                                         engine::kLinkRawFile,   engine::kLinkLoop,
                                         engine::kLinkLinuxSll,  engine::kLinkIpv4,
                                         engine::kLinkLinuxSll2, 147 /* a type the capture does not know */};

constexpr std::size_t kSourceAt = 12;
constexpr std::size_t kDestinationAt = 16;

void CheckCount(const std::optional<engine::PacketCount>& count) {
    if (!count) {
        return;
    }
    FUZZ_CHECK(count->protocol == engine::CountProtocol::kTcp ||
               count->protocol == engine::CountProtocol::kUdp);
    FUZZ_CHECK(count->direction == engine::CountDirection::kUpload ||
               count->direction == engine::CountDirection::kDownload);
    // The counted size comes from a 16-bit total length less at least the UDP overhead.
    FUZZ_CHECK(count->bytes > 0 && count->bytes <= 0xFFFF - 28);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t selector = data[0];
    const std::span<const std::uint8_t> frame(data + 1, size - 1);
    const auto packet = engine::StripLinkLayer(kLinkTypes[selector % kLinkTypes.size()], frame);
    if (!packet) {
        return 0;
    }
    // The packet is a view into the frame, never past its end.
    FUZZ_CHECK(packet->data() >= frame.data());
    FUZZ_CHECK(packet->data() + packet->size() <= frame.data() + frame.size());

    std::vector<std::uint32_t> locals{0x0100007F};
    const std::size_t localAt = (selector & 0x80) != 0 ? kSourceAt : kDestinationAt;
    if (packet->size() >= localAt + 4) {
        std::uint32_t address;
        std::memcpy(&address, packet->data() + localAt, sizeof address);
        locals.push_back(address);
    }
    CheckCount(engine::DecodePacket(*packet, locals));
    if (!packet->empty()) {
        const std::uint32_t direction = (selector >> 4) & 3;
        const auto l2tp = engine::DealWithL2TPVPN(*packet, direction);
        const auto gre = engine::DealWithGreVPN(*packet, direction);
        CheckCount(l2tp);
        CheckCount(gre);
        FUZZ_CHECK(!l2tp || static_cast<std::uint32_t>(l2tp->direction) == direction);
        FUZZ_CHECK(!gre || static_cast<std::uint32_t>(gre->direction) == direction);
    }
    return 0;
}
