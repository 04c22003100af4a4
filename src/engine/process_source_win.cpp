#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <memory>

#include "base/scoped_handle_win.h"
#include "base/wide_win.h"
#include "engine/process_source.h"

namespace engine {
namespace {

constexpr DWORD kQueryAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;  // 0x410
constexpr DWORD kAllAccess = 0x1F0FFF;  // PROCESS_ALL_ACCESS as older systems define it
constexpr DWORD kPathCapacity = 260;

// Walks a module snapshot of `pid`; false when the snapshot cannot be taken.
template <typename Visit>
bool WalkModules(DWORD pid, Visit visit) {
    const base::ScopedFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid));
    if (!snapshot) {
        return false;
    }
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Module32FirstW(snapshot.Get(), &entry); ok; ok = Module32NextW(snapshot.Get(), &entry)) {
        if (visit(entry)) {
            break;
        }
    }
    return true;
}

template <typename Visit>
bool WalkProcesses(Visit visit) {
    const base::ScopedFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return false;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Process32FirstW(snapshot.Get(), &entry); ok; ok = Process32NextW(snapshot.Get(), &entry)) {
        if (visit(entry)) {
            break;
        }
    }
    return true;
}

class WindowsProcessSource final : public IProcessSource {
public:
    std::uint32_t QueryImagePath(std::uint32_t pid, std::u16string& path) override {
        path.clear();
        const base::ScopedKernelHandle process(OpenProcess(kQueryAccess, FALSE, pid));
        if (!process) {
            return GetLastError();
        }
        HMODULE module = nullptr;
        DWORD needed = 0;
        if (!EnumProcessModules(process.Get(), &module, sizeof module, &needed)) {
            return GetLastError();
        }
        wchar_t buffer[kPathCapacity];
        const DWORD length = GetModuleFileNameExW(process.Get(), module, buffer, kPathCapacity);
        if (length == 0) {
            return GetLastError();
        }
        path = base::FromWide(buffer, length);
        return 0;
    }

    std::uint32_t QuerySnapshotName(std::uint32_t pid, std::u16string& name) override {
        name.clear();
        bool found = false;
        const bool listed = WalkModules(pid, [&](const MODULEENTRY32W& m) {
            found = m.th32ProcessID == pid;
            if (found) {
                name = base::FromWide(m.szExePath);
            }
            return found;
        });
        if (!listed) {
            WalkProcesses([&](const PROCESSENTRY32W& p) {
                found = p.th32ProcessID == pid;
                if (found) {
                    name = base::FromWide(p.szExeFile);
                }
                return found;
            });
        }
        if (found) {
            return 0;
        }
        const DWORD error = GetLastError();
        return error != 0 ? error : ERROR_NOT_FOUND;
    }

    bool IsRunning(std::uint32_t pid, std::uint64_t) override {
        const base::ScopedKernelHandle process(OpenProcess(kAllAccess, FALSE, pid));
        if (process) {
            DWORD code = 0;
            return GetExitCodeProcess(process.Get(), &code) && code == STILL_ACTIVE;
        }
        bool found = false;
        if (!WalkModules(pid, [&](const MODULEENTRY32W& m) { return found = m.th32ProcessID == pid; })) {
            WalkProcesses([&](const PROCESSENTRY32W& p) { return found = p.th32ProcessID == pid; });
        }
        return found;
    }

    // Windows records are told apart by the exit check alone.
    std::uint64_t StartStamp(std::uint32_t) override { return 0; }

    std::uint32_t KernelPid() const override { return 4; }

    std::uint32_t Terminate(std::uint32_t pid, std::uint64_t) override {
        const base::ScopedKernelHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
        if (!process) {
            return kCannotOpenProcess;
        }
        return TerminateProcess(process.Get(), 0) ? 0 : GetLastError();
    }
};

}  // namespace

std::unique_ptr<IProcessSource> CreateProcessSource() {
    return std::make_unique<WindowsProcessSource>();
}

}  // namespace engine
