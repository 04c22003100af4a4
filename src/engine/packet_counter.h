#pragma once

#include "engine/packet_decoder.h"

namespace engine {

// Where the decoder hands what a packet adds: the engine's port-to-process table. CountPacket runs on
// the decoder thread and holds the engine lock for the one packet; it answers whether the local port
// was found (a miss makes the decoder ask for a table refresh).
class IPacketCounter {
  public:
    virtual ~IPacketCounter() = default;
    virtual bool CountPacket(const PacketCount& count) = 0;
    // Called by the decoder between batches, holding nothing: lets the threads that are waiting for the
    // lock CountPacket takes have it before the decoder takes it again.
    virtual void LetWaitersIn() {}
};

}  // namespace engine
