#pragma once

// The pieces of the Linux socket table, open to the tests and the benchmark.

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "engine/kernel_socket_parse.h"

namespace engine {

// Every IPv4 socket of `protocol` (IPPROTO_TCP or IPPROTO_UDP) from a netlink sock_diag dump, TCP in
// every state. 0, or the errno of the failed step.
std::uint32_t DumpInetSockets(int protocol, std::vector<KernelSocket>& sockets);

// The same from /proc/net/tcp or /proc/net/udp, for kernels without sock_diag.
std::uint32_t ReadProcNetSockets(const char* path, std::vector<KernelSocket>& sockets);

struct OwnerScanStats {
    std::size_t processes = 0;
    std::size_t descriptors = 0;
};

// Walks /proc/PID/fd of every process and enters each socket inode with its pid; where several
// processes share a socket, the lowest pid is kept. Processes this one may not inspect are skipped.
OwnerScanStats ScanSocketOwners(std::unordered_map<std::uint64_t, std::uint32_t>& owners);

// Socket inode -> owner pid, remembered between fetches: /proc is walked again only when a fetch lists
// an inode that the last walk did not see. Inodes that no visible process holds are remembered as
// pid 0, so they do not cause a walk every time.
class SocketOwnerCache {
public:
    // One pid per socket, in order; 0 for a socket without an owner.
    void Resolve(const std::vector<KernelSocket>& sockets, std::vector<std::uint32_t>& pids);
    std::size_t Scans() const { return scans_; }

private:
    std::unordered_map<std::uint64_t, std::uint32_t> owners_;
    std::size_t scans_ = 0;
};

}  // namespace engine
