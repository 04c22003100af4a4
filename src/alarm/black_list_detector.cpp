#include "alarm/black_list_detector.h"

#include "base/lock.h"
#include "engine/name_lists.h"
#include "engine/traffic_monitor.h"

namespace alarming {

BlackListDetector::BlackListDetector() : whiteList_(ProcessWhiteList()) {}

BlackListDetector::BlackListDetector(ProgramDirectory directory, const WhiteList& whiteList)
    : directory_(std::move(directory)), whiteList_(whiteList) {}

int BlackListDetector::LoadBlackList(std::u16string_view relativeName) {
    blackList_.clear();
    std::string bytes;
    if (!ReadListFile(directory_.Path(relativeName), bytes)) {
        return 0;
    }
    blackList_ = ParseBlackList(bytes);
    return 1;
}

int BlackListDetector::DetectBlackListProcesses(engine::ProcessTable* processes) {
    detected_.clear();
    if (LoadBlackList(kBlackListName) == 0 || processes == nullptr) {
        return -1;
    }
    base::AutoLock hold(processes->EngineLock());
    for (const engine::ProcessRecord& process : processes->Processes()) {
        if (detected_.size() == kMaxDetectedProcesses) {
            break;
        }
        if (whiteList_.IsWhiteListed(process.name) != 0) {
            continue;
        }
        for (const ListEntry& entry : blackList_) {
            if (engine::EqualsIgnoringCase(process.name, entry.name)) {
                detected_.push_back({process.name, process.path, entry.description, process.pid});
                break;
            }
        }
    }
    return static_cast<int>(detected_.size());
}

int HasBlackListProcesses(engine::ProcessTable* processes) {
    BlackListDetector detector;
    return detector.DetectBlackListProcesses(processes) > 0 ? 1 : 0;
}

int HasBlackListProcesses(const ProgramDirectory& directory, const WhiteList& whiteList,
                          engine::ProcessTable* processes) {
    BlackListDetector detector(directory, whiteList);
    return detector.DetectBlackListProcesses(processes) > 0 ? 1 : 0;
}

namespace {

std::uint32_t EndRunningProcess(engine::ProcessTable& processes, engine::IProcessSource& source,
                                std::uint32_t pid, bool markUnreachable) {
    // Held across the termination too, so that the status thread cannot mark the record in between.
    base::AutoLock hold(processes.EngineLock());
    for (engine::ProcessRecord& process : processes.Processes()) {
        // A pid may also belong to an earlier, exited record; only the running one can be ended.
        if (process.pid != pid || process.state == engine::kStateExited) {
            continue;
        }
        const std::uint32_t result = source.Terminate(pid, process.startStamp);
        if (result != engine::kCannotOpenProcess || markUnreachable) {
            processes.MarkExited(process, processes.Clock().LocalTime());
        }
        return result;
    }
    return 0;
}

}  // namespace

std::uint32_t EndProcessById(engine::ProcessTable& processes, engine::IProcessSource& source,
                             std::uint32_t pid) {
    return EndRunningProcess(processes, source, pid, true);
}

std::uint32_t EndOpenableProcess(engine::ProcessTable& processes, engine::IProcessSource& source,
                                 std::uint32_t pid) {
    return EndRunningProcess(processes, source, pid, false);
}

std::vector<DetectedProcess> DetectEngineBlackListProcesses() {
    engine::TrafficMonitor* monitor = engine::CurrentTrafficMonitor();
    BlackListDetector detector;
    detector.DetectBlackListProcesses(monitor != nullptr ? &monitor->Table() : nullptr);
    return detector.Detected();
}

std::uint32_t EndEngineProcess(std::uint32_t pid) {
    engine::TrafficMonitor* monitor = engine::CurrentTrafficMonitor();
    if (monitor == nullptr) {
        return engine::kCannotOpenProcess;
    }
    return EndOpenableProcess(monitor->Table(), monitor->ProcessNameSource().Source(), pid);
}

std::uint32_t EndEngineProcessById(std::uint32_t pid) {
    engine::TrafficMonitor* monitor = engine::CurrentTrafficMonitor();
    if (monitor == nullptr) {
        return engine::kCannotOpenProcess;
    }
    return EndProcessById(monitor->Table(), monitor->ProcessNameSource().Source(), pid);
}

}  // namespace alarming
