#pragma once

// What the process needs before it captures: firewall exceptions for the monitor and for the
// accelerator's program beside it, and the right to capture and to open other users' processes.
// Windows: firewall rules through COM and SeDebugPrivilege. Linux has no firewall step; it checks that
// raw capture is permitted (CAP_NET_RAW).

#include <cstdint>
#include <memory>
#include <string_view>

namespace engine {

class IPrivilegeOps {
  public:
    virtual ~IPrivilegeOps() = default;
    // Makes sure a firewall rule of this name lets the program through: an HRESULT, negative on failure.
    virtual std::int32_t AddFirewallException(std::u16string_view name,
                                              std::u16string_view applicationPath) = 0;
    // Enables the process's own privileges: 0, or the error of the step that failed (logged there).
    virtual std::uint32_t EnableProcessPrivileges() = 0;
};

std::unique_ptr<IPrivilegeOps> CreatePrivilegeOps();

// 0, or the error that stops the start. A firewall exception that cannot be made is logged and does not
// stop it. `modulePath`: the program's own executable; `hostProcessName`: the accelerator's file name.
[[nodiscard]] std::uint32_t InitPrivileges(IPrivilegeOps& ops, std::u16string_view modulePath,
                                           std::u16string_view hostProcessName);

// The same for this process.
[[nodiscard]] std::uint32_t InitPrivileges(std::u16string_view hostProcessName);

}  // namespace engine
