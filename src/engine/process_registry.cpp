#include "engine/process_registry.h"

#include "base/text.h"
#include "base/traffic_log.h"

namespace engine {

ProcessRegistry::ProcessRegistry(ProcessTable& table, ProcessNames& names, NameLists& lists,
                                 AccelerateAdapter& adapter)
    : table_(table), names_(names), lists_(lists), adapter_(adapter) {}

bool ProcessRegistry::RefreshProcessStatus(std::u16string_view hostProcessName,
                                           const ProcessStatusHooks& hooks) {
    base::AutoLock hold(table_.EngineLock());
    const base::SystemTime now = table_.Clock().LocalTime();
    for (ProcessRecord& process : table_.Processes()) {
        if (names_.IsSystemPid(process.pid) || process.state == kStateExited ||
            names_.IsRecordActive(process.pid, process.startStamp)) {
            continue;
        }
        if (process.name == hostProcessName) {
            if (hooks.requestExit) {
                hooks.requestExit();
            }
            return false;
        }
        table_.MarkExited(process, now);
        if (hooks.processExited) {
            hooks.processExited(process.pid, process.name);
        }
    }
    return true;
}

void ProcessRegistry::StopAlarm(std::uint32_t stop) {
    base::WriteTrafficLog(base::FormatText(128, "停止报警 bStop = %d，\n", static_cast<int>(stop)));
    alarmStopped_.store(stop, std::memory_order_relaxed);
    base::AutoLock hold(table_.EngineLock());
    if (stop == 1) {
        // The statistics zero the accelerated side, the adapter's sums included, and take a new baseline.
        if (resetStatistics_) {
            resetStatistics_();
        }
        lists_.ResetToOwnName();
    } else {
        adapter_.ScanTunnelInterface();
    }
}

std::uint32_t ProcessRegistry::IsAccelerationActive() {
    base::AutoLock hold(table_.EngineLock());
    for (const ProcessRecord& process : table_.Processes()) {
        if (process.state == kStateRunning && lists_.IsAccelerateName(process.name) &&
            process.name != lists_.OwnName()) {
            return 1;
        }
        if (lists_.ContainsUnclearAlias(process.name)) {
            return 1;
        }
    }
    return 0;
}

void ProcessRegistry::GetAcceleratedProcess(std::u16string& name, std::u16string& path) {
    name.clear();
    path.clear();
    base::AutoLock hold(table_.EngineLock());
    for (const ProcessRecord& process : table_.Processes()) {
        const bool accelerated =
            lists_.IsAccelerateName(process.name) && !EqualsIgnoringCase(process.name, lists_.OwnName());
        if (accelerated || lists_.ContainsUnclearAlias(process.name)) {
            name = process.name;
            path = process.path;
            return;
        }
    }
}

}  // namespace engine
