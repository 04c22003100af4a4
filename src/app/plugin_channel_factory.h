#pragma once

#include "engine/plugin_channel.h"
#include "ipc/monitor_requests.h"

namespace app {

// Makes the engine's plugin channel: a CCommIF that answers with `requests` (which must outlive it).
engine::PluginChannelFactory MakePluginChannelFactory(ipc::IMonitorRequests& requests);

}  // namespace app
