#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

class IPacketCounter;
class PacketQueue;
struct SnifferContext;

// Receives on the context's capture and queues every packet while the running flag is 1; waits on
// SnifferEvent before each receive (that is where Pause holds it). Sets the monitor state to 3 when the
// flag drops; an exception logs, signals the quit event and ends the thread. Returns 0.
int SnifferThreadProc(SnifferContext* context);

enum class PacketOutcome {
    kNoPacket,    // the queue stayed empty for its polling time
    kNotCounted,  // neither from nor to a local address, or nothing to count in it
    kCounted,
    kPortMissing,  // the local port is not in the table yet
};

// Takes one packet from the queue, decodes it and hands the result to the counter; the buffer is
// released in every case.
PacketOutcome DealWithOnePacket(PacketQueue& queue, std::span<const std::uint32_t> localAddresses,
                                IPacketCounter& counter);

// Packets the decoder takes from the queue at a time.
inline constexpr std::size_t kDecoderBatch = 64;

struct BatchOutcome {
    std::size_t taken = 0;     // 0: the queue stayed empty for its polling time
    std::size_t counted = 0;   // packets whose port was found and counted
    bool portMissing = false;  // some packet's local port is not in the table yet
};

// DealWithOnePacket for up to kDecoderBatch packets, taken and released with one hold of the queue's
// lock each; every packet is still counted on its own, and every buffer is released.
BatchOutcome DealWithPacketBatch(PacketQueue& queue, std::span<const std::uint32_t> localAddresses,
                                 IPacketCounter& counter);

// The decoder thread: DealWithPacketBatch while the running flag is not 0; a missing port sets
// PortRefreshRequested. Returns 0.
int DealWithRecvData(SnifferContext* context);
