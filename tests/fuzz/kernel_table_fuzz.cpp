// Arbitrary bytes as what the Linux kernel says about sockets and processes; the first byte picks the
// parser: sock_diag datagram, /proc/net/tcp, fd link, /proc/PID/stat, /proc/PID/status.

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
    std::vector<engine::KernelSocket> sockets;
    switch (data[0] % 5) {
        case 0:
            engine::ParseSockDiagDatagram(rest, sockets);
            // Each socket needs a netlink header and an inet_diag_msg of its own.
            FUZZ_CHECK(sockets.size() * (engine::netlink::kHeaderSize + engine::netlink::kInetDiagMsgSize) <=
                       rest.size());
            break;
        case 1:
            // A row needs at least its address fields: "0: 00000000:0000 00000000:0000 00".
            FUZZ_CHECK(engine::ParseProcNetTable(text).size() * 30 <= text.size());
            break;
        case 2:
            engine::ParseSocketInode(text);
            break;
        case 3:
            engine::ParseProcStat(text);
            break;
        default:
            engine::ParseStatusMask(text, "CapEff");
    }
    return 0;
}
