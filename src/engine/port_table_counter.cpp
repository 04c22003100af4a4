#include "engine/port_table_counter.h"

bool PortTableCounter::CountPacket(const PacketCount& count) {
    base::AutoLock hold(table_.EngineLock());
    engine::ConnectionRecord* record = table_.FindPortRecord(count.localPort);
    if (record == nullptr) {
        return false;
    }
    if (count.direction == CountDirection::kUpload) {
        record->bytesUp += count.bytes;
    } else {
        record->bytesDown += count.bytes;
    }
    return true;
}
