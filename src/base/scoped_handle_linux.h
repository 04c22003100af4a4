#pragma once

// The Linux handles the program owns, as ScopedHandle traits. Each Close keeps errno: a failure's own
// error is read after the cleanup of its path has run.

#include <dirent.h>
#include <iconv.h>
#include <pcap/pcap.h>
#include <unistd.h>

#include <cerrno>

#include "base/scoped_handle.h"

namespace base {

// Runs one close call with errno as it was before.
template <typename CloseCall>
void CloseKeepingErrno(CloseCall call) noexcept {
    const int saved = errno;
    call();
    errno = saved;
}

// A file descriptor: a file, socket, eventfd, pipe end or directory.
struct FdTraits {
    using Handle = int;
    static constexpr Handle Invalid() noexcept { return -1; }
    static void Close(Handle fd) noexcept {
        CloseKeepingErrno([fd] { ::close(fd); });
    }
};
using ScopedFd = ScopedHandle<FdTraits>;

// A directory stream; closing it closes the descriptor it was opened from (fdopendir).
struct DirTraits {
    using Handle = DIR*;
    static constexpr Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle dir) noexcept {
        CloseKeepingErrno([dir] { ::closedir(dir); });
    }
};
using ScopedDir = ScopedHandle<DirTraits>;

struct IconvTraits {
    using Handle = iconv_t;
    static Handle Invalid() noexcept { return reinterpret_cast<iconv_t>(-1); }
    static void Close(Handle cd) noexcept {
        CloseKeepingErrno([cd] { ::iconv_close(cd); });
    }
};
using ScopedIconv = ScopedHandle<IconvTraits>;

struct PcapTraits {
    using Handle = pcap_t*;
    static constexpr Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle pcap) noexcept {
        CloseKeepingErrno([pcap] { ::pcap_close(pcap); });
    }
};
using ScopedPcap = ScopedHandle<PcapTraits>;

}  // namespace base
