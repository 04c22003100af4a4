// Arbitrary bytes as what the Linux kernel says about sockets and processes: a sock_diag datagram,
// /proc/net/tcp, an fd link, /proc/PID/stat and /proc/PID/status. The first byte picks the parser.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "engine/kernel_socket_parse.h"
#include "engine/proc_text_parse.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::span<const std::uint8_t> rest(data + 1, size - 1);
    const std::string_view text(reinterpret_cast<const char*>(rest.data()), rest.size());
    switch (data[0] % 5) {
        case 0: {
            std::vector<engine::KernelSocket> sockets;
            const engine::DumpProgress progress = engine::ParseSockDiagDatagram(rest, sockets);
            // Each socket needs a netlink header and an inet_diag_msg of its own.
            FUZZ_CHECK(sockets.size() * (engine::netlink::kHeaderSize + engine::netlink::kInetDiagMsgSize) <=
                       rest.size());
            FUZZ_CHECK(progress.status == engine::DumpProgress::kFailed || progress.error == 0);
            for (const auto& socket : sockets) {
                engine::TcpStateFromLinux(socket.linuxState);
            }
            break;
        }
        case 1: {
            const auto rows = engine::ParseProcNetTable(text);
            // A row needs at least its address fields: "0: 00000000:0000 00000000:0000 00".
            FUZZ_CHECK(rows.size() * 30 <= text.size());
            break;
        }
        case 2:
            engine::ParseSocketInode(text);
            break;
        case 3: {
            const auto stat = engine::ParseProcStat(text);
            if (stat) {
                FUZZ_CHECK(stat->comm.size() < text.size());
            }
            break;
        }
        default:
            engine::ParseStatusMask(text, "CapEff");
            break;
    }
    return 0;
}
