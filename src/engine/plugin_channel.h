#pragma once

// The engine's side of the plugin channel: what the engine sends without being asked. The channel
// (CCommIF) also answers the plugin's requests, which the engine never sees.

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "engine/process_list_entry.h"
#include "engine/speed_alarm.h"
#include "engine/totals_sink.h"

namespace engine {

class IPluginChannel : public ITotalsSink {
  public:
    // One entry of the process list round; false when the channel can no longer send.
    virtual bool PostProcessListEntry(const ProcessListEntry& entry) = 0;
    // The start result, sent once at start-up: 1 started, 0 failed.
    virtual void PostStartResult(std::uint8_t result) = 0;
    // One record of an alarm being raised; a channel sends it only to a plugin that asked for alarms.
    virtual void PostAlarmRecord(const SpeedAlarmRecord&) {}
};

// Creates the channel and opens the pipe of that name: null when either fails.
using PluginChannelFactory = std::function<std::unique_ptr<IPluginChannel>(std::u16string_view pipeName)>;

}  // namespace engine
