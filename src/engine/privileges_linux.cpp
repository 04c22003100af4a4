#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "base/text.h"
#include "base/traffic_log.h"
#include "engine/privileges.h"
#include "engine/proc_read_linux.h"
#include "engine/proc_text_parse.h"

namespace engine {
namespace {

constexpr int kCapNetRaw = 13;

class LinuxPrivilegeOps final : public IPrivilegeOps {
public:
    // There is no firewall step on Linux.
    std::int32_t AddFirewallException(std::u16string_view, std::u16string_view) override { return 0; }

    // Capture opens raw packet sockets, which takes CAP_NET_RAW in the effective set.
    std::uint32_t EnableProcessPrivileges() override {
        std::string status;
        std::optional<std::uint64_t> effective;
        if (ReadProcFile(AT_FDCWD, "/proc/self/status", status) == 0) {
            effective = ParseStatusMask(status, "CapEff");
        }
        const bool permitted = effective ? ((*effective >> kCapNetRaw) & 1) != 0 : geteuid() == 0;
        if (permitted) {
            return 0;
        }
        base::WriteTrafficLogError("CAP_NET_RAW is required for capture，error no = %d \n", EPERM);
        return EPERM;
    }
};

}  // namespace

std::unique_ptr<IPrivilegeOps> CreatePrivilegeOps() {
    return std::make_unique<LinuxPrivilegeOps>();
}

}  // namespace engine
