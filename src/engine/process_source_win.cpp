#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <memory>

#include "base/wide_win.h"
#include "engine/process_source.h"

namespace engine {
namespace {

struct HandleCloser {
    void operator()(HANDLE h) const {
        if (h != nullptr && h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
        }
    }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// Holds INVALID_HANDLE_VALUE as "no handle" too, as CreateToolhelp32Snapshot reports failure with it.
bool IsValid(const UniqueHandle& h) {
    return h && h.get() != INVALID_HANDLE_VALUE;
}

constexpr DWORD kQueryAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;  // 0x410
constexpr DWORD kAllAccess = 0x1F0FFF;  // PROCESS_ALL_ACCESS as older systems define it
constexpr DWORD kPathCapacity = 260;

// Walks a module snapshot of `pid`; false when the snapshot cannot be taken.
template <typename Visit>
bool WalkModules(DWORD pid, Visit visit) {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid));
    if (!IsValid(snapshot)) {
        return false;
    }
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Module32FirstW(snapshot.get(), &entry); ok; ok = Module32NextW(snapshot.get(), &entry)) {
        if (visit(entry)) {
            break;
        }
    }
    return true;
}

template <typename Visit>
bool WalkProcesses(Visit visit) {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!IsValid(snapshot)) {
        return false;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Process32FirstW(snapshot.get(), &entry); ok; ok = Process32NextW(snapshot.get(), &entry)) {
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
        UniqueHandle process(OpenProcess(kQueryAccess, FALSE, pid));
        if (!IsValid(process)) {
            return GetLastError();
        }
        HMODULE module = nullptr;
        DWORD needed = 0;
        if (!EnumProcessModules(process.get(), &module, sizeof module, &needed)) {
            return GetLastError();
        }
        wchar_t buffer[kPathCapacity];
        const DWORD length = GetModuleFileNameExW(process.get(), module, buffer, kPathCapacity);
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
        UniqueHandle process(OpenProcess(kAllAccess, FALSE, pid));
        if (IsValid(process)) {
            DWORD code = 0;
            return GetExitCodeProcess(process.get(), &code) && code == STILL_ACTIVE;
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
        UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
        if (!IsValid(process)) {
            return kCannotOpenProcess;
        }
        return TerminateProcess(process.get(), 0) ? 0 : GetLastError();
    }
};

}  // namespace

std::unique_ptr<IProcessSource> CreateProcessSource() {
    return std::make_unique<WindowsProcessSource>();
}

}  // namespace engine
