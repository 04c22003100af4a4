#include "engine/table_threads.h"

#include <vector>

#include "base/os_error.h"
#include "base/traffic_log.h"
#include "engine/adapter_info.h"

namespace engine {

void RefreshProcessPort(const RefreshPortLinks& links) {
    base::Event* const wakers[] = {&links.quit, &links.table.NewMissEvent()};
    bool missed = false;
    while (links.runningFlag.load(std::memory_order_relaxed) == 1) {
        try {
            // The decoder raises the flag only after its batch: a miss that woke us may not show in it yet.
            if (missed || links.portRefreshRequested.load(std::memory_order_relaxed) != 0) {
                links.table.RefreshProcessList();
                links.portRefreshRequested.store(0, std::memory_order_relaxed);
            }
        } catch (...) {
            // The message has no line end of its own: the next entry runs on after it.
            base::WriteTrafficLog(u"catch some execptions in RefreshProcessPort Thread");
            continue;
        }
        if (missed && links.quit.Wait(kMissRefreshGapMs)) {
            return;
        }
        const int woken = base::Event::WaitAny(wakers, links.periodMs);
        if (woken == 0) {
            return;
        }
        missed = woken == 1;
    }
}

void WatchSocketCloses(const CloseWatchLinks& links) {
    const std::uint32_t error = links.closes.Start();
    if (error != 0) {
        base::WriteTrafficLogError("socket close events unavailable, error no = %d \n", error);
        return;
    }
    std::vector<SocketCloseEvent> closes;
    while (links.runningFlag.load(std::memory_order_relaxed) == 1) {
        if (links.closes.Poll(links.pollMs, closes) != 0) {
            base::WriteTrafficLogError("socket close events failed, error no = %d \n", base::LastOsError());
            break;
        }
        std::erase_if(closes, [&](const SocketCloseEvent& close) {
            return !IsLocalAddress(links.localAddresses, close.localAddress);
        });
        links.table.NoteClosedSockets(closes);
    }
    links.closes.Stop();
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
