#include "engine/process_names.h"

#include <algorithm>

#include "base/module_path.h"
#include "base/os_error.h"
#include "base/text.h"
#include "base/traffic_log.h"
#include "engine/process_records.h"

namespace engine {

std::uint32_t ProcessNames::GetProcessNameById(std::int32_t pid, std::u16string& path) {
    path.clear();
    if (pid < 0) {
        base::WriteTrafficLog(
            base::FormatText(128, "参数无效: pid = %d，error no = %d \n", pid, base::LastOsError()));
        return kInvalidArgument;
    }
    const auto id = static_cast<std::uint32_t>(pid);
    std::uint32_t result = source_.QueryImagePath(id, path);
    if (result != 0 && !IsSystemPid(id)) {
        char16_t buffer[kProcessPathCapacity] = {};
        GetProcessNameByIdEx(pid, buffer, kProcessPathCapacity);
        path = buffer;
    }
    if (path.empty() && id == kIdlePid) {
        path = u"System Idle Process";
        result = 0;
    } else if (path.empty() && id == source_.KernelPid()) {
        path = u"System";
        result = 0;
    }
    return result;
}

std::uint32_t ProcessNames::GetProcessNameByIdEx(std::int32_t pid, char16_t* buffer, std::int32_t capacity) {
    if (buffer == nullptr || pid < 0 || capacity < 1) {
        const std::string shown = buffer == nullptr ? "(null)" : "";
        base::WriteTrafficLog(base::FormatText(
            128, "参数无效:szpath=%s, pid=%d, nLen=%d, in GetProcessNameByIdEx，error no = %d \n",
            shown.c_str(), pid, capacity, base::LastOsError()));
        return kInvalidArgument;
    }
    std::u16string name;
    const std::uint32_t result = source_.QuerySnapshotName(static_cast<std::uint32_t>(pid), name);
    const std::size_t length = std::min(name.size(), static_cast<std::size_t>(capacity - 1));
    std::copy_n(name.begin(), length, buffer);
    buffer[length] = u'\0';
    return result;
}

std::uint32_t ProcessNames::IsPrcessActive(std::int32_t pid) {
    if (pid < 0) {
        base::WriteTrafficLog(base::FormatText(128, "参数无效：nPid=%d in IsPrcessActive，error no = %d \n",
                                               pid, base::LastOsError()));
        return 0;
    }
    return source_.IsRunning(static_cast<std::uint32_t>(pid), 0) ? 1 : 0;
}

bool ProcessNames::IsSystemPid(std::uint32_t pid) const {
    return pid == kIdlePid || pid == kNoPid || pid == source_.KernelPid();
}

std::u16string FileNameOfPath(const std::u16string& path) {
    const std::size_t separator = path.rfind(base::kPathSeparator);
    return separator == std::u16string::npos ? path : path.substr(separator + 1);
}

}  // namespace engine
