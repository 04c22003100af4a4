#include "engine/table_threads.h"

#include "base/traffic_log.h"

namespace engine {

void RefreshProcessPort(const RefreshPortLinks& links) {
    while (links.runningFlag.load(std::memory_order_relaxed) == 1) {
        try {
            if (links.portRefreshRequested.load(std::memory_order_relaxed) != 0) {
                links.table.RefreshProcessList();
                links.portRefreshRequested.store(0, std::memory_order_relaxed);
            }
        } catch (...) {
            // The message has no line end of its own: the next entry runs on after it.
            base::WriteTrafficLog(u"catch some execptions in RefreshProcessPort Thread");
            continue;
        }
        if (links.quit.Wait(links.periodMs)) {
            return;
        }
    }
}

void RefreshProcessStatus(const RefreshStatusLinks& links) {
    while (links.runningFlag.load(std::memory_order_relaxed) == 1) {
        if (links.quit.Wait(links.periodMs)) {
            return;
        }
        if (!links.registry.RefreshProcessStatus(links.hostProcessName, links.hooks)) {
            return;
        }
    }
}

}  // namespace engine
