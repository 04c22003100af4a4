#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace engine {

class IPacketCounter;
class PacketQueue;
struct SnifferContext;

// Receives on the context's capture and queues every packet while the running flag is 1; waits on
// SnifferEvent before each receive (that is where Pause holds it). Sets the monitor state to 3 when the
// flag drops; an exception logs, signals the quit event and ends the thread. Returns 0.
int SnifferThreadProc(SnifferContext& context);

// Packets the decoder takes from the queue at a time.
inline constexpr std::size_t kDecoderBatch = 64;

struct BatchOutcome {
    std::size_t taken = 0;     // 0: the queue stayed empty for its polling time
    std::size_t counted = 0;   // packets whose port was found and counted
    bool portMissing = false;  // some packet's local port is not in the table yet
};

// Takes up to kDecoderBatch packets from the queue with one hold of its lock, decodes each and hands the
// result to the counter, packet by packet; every buffer is released, with one more hold of the lock,
// however its handling ends.
BatchOutcome DealWithPacketBatch(PacketQueue& queue, std::span<const std::uint32_t> localAddresses,
                                 IPacketCounter& counter);

// The decoder thread: DealWithPacketBatch while the running flag is not 0; a missing port sets
// PortRefreshRequested. Returns 0.
int DealWithRecvData(SnifferContext& context);

}  // namespace engine
