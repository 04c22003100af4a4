#include <fcntl.h>
#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>

#include "base/scoped_handle_linux.h"
#include "engine/proc_read_linux.h"
#include "engine/socket_table.h"
#include "engine/socket_table_linux.h"

namespace engine {

static_assert(netlink::kHeaderSize == sizeof(nlmsghdr));
static_assert(netlink::kAlignment == NLMSG_ALIGNTO);
static_assert(netlink::kNoop == NLMSG_NOOP && netlink::kError == NLMSG_ERROR && netlink::kDone == NLMSG_DONE);
static_assert(netlink::kSockDiagByFamily == SOCK_DIAG_BY_FAMILY);
static_assert(netlink::kInetDiagMsgSize == sizeof(inet_diag_msg));
static_assert(offsetof(inet_diag_msg, id) + offsetof(inet_diag_sockid, idiag_src) == 8);
static_assert(offsetof(inet_diag_msg, id) + offsetof(inet_diag_sockid, idiag_dst) == 24);
static_assert(offsetof(inet_diag_msg, idiag_inode) == 68);
static_assert(netlink::kFamilyInet == AF_INET);

namespace {

// TCP_ESTABLISHED (1) to TCP_NEW_SYN_RECV (12): every state of a socket with a port, as the owner
// tables list them; sockets that are only bound are left out, as /proc/net/tcp leaves them out.
constexpr std::uint32_t kTcpStates = 0x1FFE;
constexpr std::uint32_t kAllStates = 0xFFFFFFFF;

std::uint32_t Errno() {
    return static_cast<std::uint32_t>(errno);
}

class LinuxSocketTable final : public ISocketTableSource {
public:
    std::uint32_t FetchTcpTable(std::vector<TcpRow>& rows) override {
        rows.clear();
        std::uint32_t result = Fetch(IPPROTO_TCP, "/proc/net/tcp");
        if (result != 0) {
            return result;
        }
        rows.reserve(sockets_.size());
        for (std::size_t i = 0; i < sockets_.size(); ++i) {
            const KernelSocket& s = sockets_[i];
            rows.push_back({TcpStateFromLinux(s.linuxState), s.localAddress, s.localPort, s.remoteAddress,
                            s.remotePort, pids_[i]});
        }
        SortTcpRows(rows);
        return 0;
    }

    std::uint32_t FetchUdpTable(std::vector<UdpRow>& rows) override {
        rows.clear();
        std::uint32_t result = Fetch(IPPROTO_UDP, "/proc/net/udp");
        if (result != 0) {
            return result;
        }
        rows.reserve(sockets_.size());
        for (std::size_t i = 0; i < sockets_.size(); ++i) {
            rows.push_back({sockets_[i].localAddress, sockets_[i].localPort, pids_[i]});
        }
        SortUdpRows(rows);
        return 0;
    }

private:
    std::uint32_t Fetch(int protocol, const char* procPath) {
        std::uint32_t result = DumpInetSockets(protocol, sockets_);
        if (result != 0) {
            result = ReadProcNetSockets(procPath, sockets_);
        }
        if (result != 0) {
            return result;
        }
        owners_.Resolve(sockets_, pids_);
        return 0;
    }

    std::vector<KernelSocket> sockets_;
    std::vector<std::uint32_t> pids_;
    SocketOwnerCache owners_;
};

}  // namespace

std::uint32_t DumpInetSockets(int protocol, std::vector<KernelSocket>& sockets) {
    sockets.clear();
    const base::ScopedFd fd(socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG));
    if (!fd.IsValid()) {
        return Errno();
    }
    // A dump always ends with NLMSG_DONE; the time-out only guards against a kernel that never answers.
    const timeval timeout{2, 0};
    setsockopt(fd.Get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);

    struct {
        nlmsghdr header;
        inet_diag_req_v2 request;
    } message{};
    message.header.nlmsg_len = sizeof message;
    message.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
    message.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    message.header.nlmsg_seq = 1;
    message.request.sdiag_family = AF_INET;
    message.request.sdiag_protocol = static_cast<std::uint8_t>(protocol);
    message.request.idiag_states = protocol == IPPROTO_TCP ? kTcpStates : kAllStates;
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    if (sendto(fd.Get(), &message, sizeof message, 0, reinterpret_cast<const sockaddr*>(&kernel),
               sizeof kernel) < 0) {
        return Errno();
    }

    std::vector<std::uint8_t> buffer(64 * 1024);
    for (;;) {
        const ssize_t n = recv(fd.Get(), buffer.data(), buffer.size(), MSG_TRUNC);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Errno();
        }
        if (static_cast<std::size_t>(n) > buffer.size()) {
            return EMSGSIZE;
        }
        const DumpProgress progress = ParseSockDiagDatagram(
            std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(n)), sockets);
        if (progress.status == DumpProgress::kDone) {
            return 0;
        }
        if (progress.status == DumpProgress::kFailed) {
            sockets.clear();
            return progress.error;
        }
        if (n == 0) {
            return EBADMSG;
        }
    }
}

std::uint32_t ReadProcNetSockets(const char* path, std::vector<KernelSocket>& sockets) {
    std::string text;
    const std::uint32_t result = ReadProcFile(AT_FDCWD, path, text);
    sockets = result == 0 ? ParseProcNetTable(text) : std::vector<KernelSocket>{};
    return result;
}

std::unique_ptr<ISocketTableSource> CreateSocketTableSource() {
    return std::make_unique<LinuxSocketTable>();
}

}  // namespace engine
