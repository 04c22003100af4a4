#include "engine/accelerator_report.h"

#include "base/lock.h"
#include "engine/traffic_monitor.h"

namespace engine {

void AddAcceleratorReport(std::uint32_t sent, std::uint32_t received) {
    TrafficMonitor* monitor = CurrentTrafficMonitor();
    if (monitor == nullptr) {
        return;
    }
    base::AutoLock lock(monitor->Table().EngineLock());
    monitor->Adapter().AddReportedCounters(sent, received);
}

}  // namespace engine
