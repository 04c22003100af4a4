#include "engine/engine_seams.h"

#include "engine/capture.h"

namespace engine {

EngineSeams SystemEngineSeams() {
    EngineSeams seams;
    seams.sockets = CreateSocketTableSource();
    seams.processes = CreateProcessSource();
    seams.interfaces = CreateInterfaceTable();
    seams.privileges = CreatePrivilegeOps();
    seams.clock = std::make_unique<SystemClock>();
    seams.getAdapterInfo = [](AdapterInfo& info) { return GetAdapterInfo(info); };
    seams.startNetworkLibrary = [] { return StartNetworkLibrary(); };
    seams.stopNetworkLibrary = [] { StopNetworkLibrary(); };
    return seams;
}

}  // namespace engine
