#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cstdio>

#include "base/scoped_handle_linux.h"
#include "engine/socket_table_linux.h"

namespace engine {
namespace {

bool ParsePid(const char* name, std::uint32_t& pid) {
    std::uint32_t value = 0;
    if (*name == '\0') {
        return false;
    }
    for (const char* p = name; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9' || value > 0x7FFFFFFF / 10) {
            return false;
        }
        value = value * 10 + static_cast<std::uint32_t>(*p - '0');
    }
    pid = value;
    return true;
}

}  // namespace

OwnerScanStats ScanSocketOwners(std::unordered_map<std::uint64_t, std::uint32_t>& owners) {
    OwnerScanStats stats;
    const base::ScopedDir proc(opendir("/proc"));
    if (!proc) {
        return stats;
    }
    const int procFd = dirfd(proc.Get());
    char path[32];
    char link[64];
    while (const dirent* entry = readdir(proc.Get())) {
        std::uint32_t pid = 0;
        if (!ParsePid(entry->d_name, pid)) {
            continue;
        }
        snprintf(path, sizeof path, "%u/fd", pid);
        base::ScopedFd dirFd(openat(procFd, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!dirFd.IsValid()) {
            continue;  // ended meanwhile, or not ours to inspect
        }
        const base::ScopedDir fds(fdopendir(dirFd.Get()));
        if (!fds) {
            continue;
        }
        // The stream owns the descriptor now and closes it with itself.
        const int fdDir = dirFd.Release();
        ++stats.processes;
        while (const dirent* fd = readdir(fds.Get())) {
            if (fd->d_name[0] == '.') {
                continue;
            }
            ++stats.descriptors;
            const ssize_t n = readlinkat(fdDir, fd->d_name, link, sizeof link);
            if (n <= 0 || static_cast<std::size_t>(n) >= sizeof link) {
                continue;
            }
            if (const auto inode = ParseSocketInode(std::string_view(link, static_cast<std::size_t>(n)))) {
                owners.emplace(*inode, pid);  // /proc lists pids in ascending order: the first stays
            }
        }
    }
    return stats;
}

void SocketOwnerCache::Resolve(const std::vector<KernelSocket>& sockets, std::vector<std::uint32_t>& pids) {
    pids.assign(sockets.size(), 0);
    bool unknown = false;
    for (std::size_t i = 0; i < sockets.size() && !unknown; ++i) {
        unknown = sockets[i].inode != 0 && !owners_.contains(sockets[i].inode);
    }
    if (unknown) {
        std::unordered_map<std::uint64_t, std::uint32_t> fresh;
        fresh.reserve(owners_.size() + sockets.size());
        ScanSocketOwners(fresh);
        for (const KernelSocket& s : sockets) {
            if (s.inode != 0) {
                fresh.emplace(s.inode, 0);
            }
        }
        owners_ = std::move(fresh);
        ++scans_;
    }
    for (std::size_t i = 0; i < sockets.size(); ++i) {
        if (sockets[i].inode != 0) {
            pids[i] = owners_.find(sockets[i].inode)->second;
        }
    }
}

}  // namespace engine
