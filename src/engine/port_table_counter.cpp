#include "engine/port_table_counter.h"

namespace engine {

bool PortTableCounter::CountPacket(const PacketCount& count) {
    base::AutoLock hold(table_.EngineLock());
    return table_.CountPortBytes(count.localPort, count.direction == CountDirection::kUpload, count.bytes);
}

}  // namespace engine
