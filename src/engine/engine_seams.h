#pragma once

// The system interfaces the engine reads: the socket owner tables, the process table, the interface
// counters, the privileges, the clock and the adapter list. The program hands in the system's own (app
// makes them), the tests hand in fakes.

#include <cstdint>
#include <functional>
#include <memory>

#include "engine/adapter_info.h"
#include "engine/engine_clock.h"
#include "engine/interface_table.h"
#include "engine/privileges.h"
#include "engine/process_source.h"
#include "engine/socket_close_events.h"
#include "engine/socket_table.h"

namespace engine {

struct EngineSeams {
    std::unique_ptr<ISocketTableSource> sockets;
    std::unique_ptr<IProcessSource> processes;
    std::unique_ptr<IInterfaceTable> interfaces;
    std::unique_ptr<IPrivilegeOps> privileges;
    std::unique_ptr<IClock> clock;
    // Who closed each TCP socket, as it happens; null where the engine keeps to its tables alone.
    std::unique_ptr<ISocketCloseEvents> closeEvents;
    // Fills the adapters and the host identity: 0, or the error of the adapter query.
    std::function<std::uint32_t(AdapterInfo&)> getAdapterInfo;
    // Opens the socket library: 0 or the error; and closes it.
    std::function<std::uint32_t()> startNetworkLibrary;
    std::function<void()> stopNetworkLibrary;
};

}  // namespace engine
