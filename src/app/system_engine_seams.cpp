#include "app/system_engine_seams.h"

#include <memory>

#include "engine/adapter_info.h"
#include "engine/capture.h"
#include "engine/socket_close_events.h"

namespace app {

engine::EngineSeams SystemEngineSeams() {
    engine::EngineSeams seams;
    seams.sockets = engine::CreateSocketTableSource();
    seams.processes = engine::CreateProcessSource();
    seams.interfaces = engine::CreateInterfaceTable();
    seams.privileges = engine::CreatePrivilegeOps();
    seams.clock = std::make_unique<engine::SystemClock>();
    seams.closeEvents = engine::CreateSocketCloseEvents();
    seams.getAdapterInfo = [](engine::AdapterInfo& info) { return engine::GetAdapterInfo(info); };
    seams.startNetworkLibrary = [] { return engine::StartNetworkLibrary(); };
    seams.stopNetworkLibrary = [] { engine::StopNetworkLibrary(); };
    return seams;
}

}  // namespace app
