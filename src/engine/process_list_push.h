#pragma once

// The once-a-minute process list for the plugin: every ProcessRecord, in list order, as one message
// each. The first round goes out a full period after the engine started, never at once.

#include <atomic>
#include <cstdint>
#include <functional>

#include "base/event.h"
#include "engine/process_list_entry.h"
#include "engine/process_table.h"

namespace engine {

inline constexpr std::uint32_t kPostData2PluginPeriodMs = 60000;

// The entry of a record at `index` in the round: sequence 1 for the first record, 2 for the rest.
ProcessListEntry MakeProcessListEntry(const ProcessRecord& record, std::uint32_t index);

struct PostDataLinks {
    const std::atomic<std::uint32_t>& runningFlag;
    base::Event& quit;
    ProcessTable& table;
    // Sends one entry; false when the plugin channel is gone, which ends the round.
    std::function<bool(const ProcessListEntry&)> post;
    std::uint32_t periodMs = kPostData2PluginPeriodMs;
};

// One round, copied under the engine lock and sent after it is released: the number of entries sent.
std::uint32_t PostProcessList(ProcessTable& table, const std::function<bool(const ProcessListEntry&)>& post);

// While running: wait periodMs on the quit event (a signal ends the loop), then send a round. An
// exception is logged and ends the thread.
void PostData2Plugin(const PostDataLinks& links);

}  // namespace engine
