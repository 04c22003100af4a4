#pragma once

// Shared by the decoder's tests: the machine's addresses and a decode call on an exact-size heap copy.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "engine/adapter_info.h"
#include "engine/packet_counter.h"
#include "engine/packet_decoder.h"
#include "engine/packet_queue.h"
#include "support/ipv4_packets.h"

namespace decoder_test {

using testing_support::Packet;

inline constexpr std::uint32_t kLocalA = engine::MakeIpv4(192, 168, 1, 10);
inline constexpr std::uint32_t kLocalB = engine::MakeIpv4(10, 0, 0, 5);
inline constexpr std::uint32_t kRemote = engine::MakeIpv4(203, 0, 113, 7);
inline constexpr std::uint32_t kOther = engine::MakeIpv4(198, 51, 100, 9);
inline constexpr std::uint32_t kTunnelSide = engine::MakeIpv4(172, 16, 0, 2);  // inner: never looked at
inline const std::vector<std::uint32_t> kLocals{kLocalA, kLocalB};

// Decodes a heap copy of exactly the first `captured` bytes, so that AddressSanitizer reports any read
// past what was captured.
inline std::optional<engine::PacketCount> Decode(const Packet& packet, std::size_t captured = SIZE_MAX) {
    const std::size_t n = std::min(captured, packet.size());
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[n]);
    std::copy_n(packet.begin(), n, exact.get());
    return engine::DecodePacket({exact.get(), n}, kLocals);
}

// Queues one whole packet, as the capture thread does.
inline void Push(engine::PacketQueue& q, const Packet& p) {
    q.Push(p.data(), static_cast<std::int32_t>(p.size()));
}

inline engine::PacketCount Up(engine::CountProtocol protocol, std::uint16_t port, std::uint32_t bytes) {
    return {protocol, engine::CountDirection::kUpload, port, bytes};
}
inline engine::PacketCount Down(engine::CountProtocol protocol, std::uint16_t port, std::uint32_t bytes) {
    return {protocol, engine::CountDirection::kDownload, port, bytes};
}

}  // namespace decoder_test
