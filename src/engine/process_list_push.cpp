#include "engine/process_list_push.h"

#include <vector>

#include "base/traffic_log.h"

namespace engine {

ProcessListEntry MakeProcessListEntry(const ProcessRecord& record, std::uint32_t index) {
    ProcessListEntry entry;
    entry.sequence = ProcessListSequenceOf(index);
    entry.index = index;
    entry.state = record.state;
    entry.reserved = record.reserved;
    entry.portCount = record.portCount;
    entry.pid = record.pid;
    entry.bytesUp = record.bytesUp;
    entry.bytesDown = record.bytesDown;
    entry.startTime = record.startTime;
    entry.exitTime = record.exitTime;
    entry.name = record.name;
    entry.path = record.path;
    return entry;
}

std::uint32_t PostProcessList(ProcessTable& table, const std::function<bool(const ProcessListEntry&)>& post) {
    std::vector<ProcessListEntry> round;
    {
        base::AutoLock engineLock(table.EngineLock());
        for (const ProcessRecord& record : table.Processes()) {
            round.push_back(MakeProcessListEntry(record, static_cast<std::uint32_t>(round.size())));
        }
    }
    // Sent after the lock is released: the pipe to the plugin may be slow or full.
    std::uint32_t index = 0;
    for (const ProcessListEntry& entry : round) {
        if (!post(entry)) {
            break;
        }
        ++index;
    }
    return index;
}

void PostData2Plugin(const PostDataLinks& links) {
    try {
        while (links.runningFlag.load(std::memory_order_relaxed) == 1) {
            if (links.quit.Wait(links.periodMs)) {
                return;
            }
            PostProcessList(links.table, links.post);
        }
    } catch (...) {
        // The plugin thread shares its message with the port refresh thread.
        base::WriteTrafficLog(u"catch some execptions in RefreshProcessPort Thread");
    }
}

}  // namespace engine
