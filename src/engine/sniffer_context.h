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

class IPacketCounter;
class PacketQueue;

// The engine's parts that the capture and decoder threads use. The engine owns them and keeps them
// alive until its captures are destroyed.
struct SnifferLinks {
    const std::atomic<std::uint32_t>* runningFlag = nullptr;  // 1 while started
    std::atomic<std::uint32_t>* monitorState = nullptr;       // set to 3 when a sniffer ends
    base::Event* snifferEvent = nullptr;                      // signalled: capture runs; reset: paused
    base::Event* quitEvent = nullptr;                         // signalled on a capture failure
    std::span<const std::uint32_t> localAddresses;            // LocalAddresses, fixed while running
    IPacketCounter* counter = nullptr;
    std::atomic<std::uint8_t>* portRefreshRequested = nullptr;  // PortRefreshRequested
    PacketQueue* queue = nullptr;
};

inline constexpr std::uint16_t kSnifferBasePort = 9527;
inline constexpr std::uint32_t kMonitorCaptureEnded = 3;

struct SnifferContext {
    std::uint32_t primary = 0;  // 1 for the first adapter in AdapterNames
    // 9527 + the adapter's index in AdapterNames: the raw socket's bind port (unused by libpcap).
    std::uint16_t port = kSnifferBasePort;
    std::uint32_t address = 0;  // network byte order: the adapter's first usable address
    Capture capture;            // the raw socket or pcap handle
    base::WorkerThread snifferThread;
    base::WorkerThread decoderThread;  // started only in the context that runs the decoder
    const SnifferLinks* engine = nullptr;
    std::u16string adapterName;
};
