#pragma once

// One capture per adapter with a usable IPv4 address, each with its receiving thread; the first one also
// runs the decoder thread.

#include <atomic>
#include <cstdint>
#include <span>
#include <string>

#include "base/event.h"
#include "base/worker_thread.h"
#include "engine/capture.h"

namespace engine {

class IPacketCounter;
class PacketQueue;

// The engine's parts that the capture and decoder threads use, bound when the engine launches its
// captures. The engine owns them and keeps them alive until its captures are destroyed.
struct SnifferLinks {
    const std::atomic<std::uint32_t>& runningFlag;  // 1 while started
    std::atomic<std::uint32_t>& monitorState;       // set to 3 when a sniffer ends
    base::Event& snifferEvent;                      // signalled: capture runs; reset: paused
    base::Event& quitEvent;                         // signalled on a capture failure
    std::span<const std::uint32_t> localAddresses;  // LocalAddresses, fixed while running
    IPacketCounter& counter;
    std::atomic<std::uint8_t>& portRefreshRequested;  // PortRefreshRequested
};

inline constexpr std::uint16_t kSnifferBasePort = 9527;
inline constexpr std::uint32_t kMonitorCaptureEnded = 3;

struct SnifferContext {
    SnifferContext(const SnifferLinks& engineLinks, PacketQueue& packetQueue)
        : engine(engineLinks), queue(packetQueue) {}

    std::uint32_t primary = 0;  // 1 for the first adapter in AdapterNames
    // 9527 + the adapter's index in AdapterNames: the raw socket's bind port (unused by libpcap).
    std::uint16_t port = kSnifferBasePort;
    std::uint32_t address = 0;  // network byte order: the adapter's first usable address
    Capture capture;            // the raw socket or pcap handle
    base::WorkerThread snifferThread;
    base::WorkerThread decoderThread;  // started only in the context that runs the decoder
    const SnifferLinks& engine;
    PacketQueue& queue;  // the one queue of the engine's captures
    std::u16string adapterName;
};

}  // namespace engine
