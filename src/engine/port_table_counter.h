#pragma once

#include "engine/packet_counter.h"
#include "engine/process_table.h"

namespace engine {

// The decoder's way into the port-to-process table: each decoded packet adds its bytes to the record of
// its local port, under the engine lock for that one packet.
class PortTableCounter final : public IPacketCounter {
  public:
    explicit PortTableCounter(engine::ProcessTable& table) : table_(table) {}

    // False when no record owns the port (the decoder then asks for a table refresh).
    bool CountPacket(const PacketCount& count) override;
    // A plugin request or the statistics tick waiting for the engine lock gets it before the next batch.
    void LetWaitersIn() override { table_.EngineLock().YieldToWaiters(); }

  private:
    engine::ProcessTable& table_;
};

}  // namespace engine
