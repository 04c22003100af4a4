#include "ipc/pipe_socket_linux.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "ipc/pipe_endpoint.h"

namespace ipc {

std::uint32_t PipeErrorFromErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return kPipeErrorFileNotFound;
        case EACCES:
        case EPERM:
            return kPipeErrorAccessDenied;
        case EBADF:
            return kPipeErrorInvalidHandle;
        case ENOMEM:
        case ENOBUFS:
            return kPipeErrorNotEnoughMemory;
        case EINVAL:
            return kPipeErrorInvalidParameter;
        case ECONNRESET:
            return kPipeErrorBrokenPipe;
        case ENAMETOOLONG:
            return kPipeErrorFilenameTooLong;
        case ECONNREFUSED:
        case EAGAIN:
            return kPipeErrorPipeBusy;
        case EPIPE:
            return kPipeErrorNoData;
        case ENOTCONN:
            return kPipeErrorPipeNotConnected;
        default:
            return static_cast<std::uint32_t>(error);
    }
}

bool LocatePipeSocketForThisUser(std::u16string_view pipeName, PipeSocketLocation& location) {
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    return LocatePipeSocket(pipeName, ::geteuid(), runtimeDir != nullptr ? runtimeDir : "", location);
}

std::uint32_t EnsurePipeDirectory(const std::string& directory, uid_t owner, bool create) {
    if (create && ::mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) {
        return PipeErrorFromErrno(errno);
    }
    // lstat: a symbolic link is refused rather than followed to somebody else's directory.
    struct stat st {};
    if (::lstat(directory.c_str(), &st) != 0) {
        return PipeErrorFromErrno(errno);
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != owner || (st.st_mode & 077) != 0) {
        return kPipeErrorAccessDenied;
    }
    return 0;
}

std::string PipeLockPath(const std::string& socketPath) {
    // No pipe name contains "..", so this file never stands in the way of a socket.
    return socketPath + "..lock";
}

std::uint32_t LockPipeName(const std::string& socketPath, base::ScopedFd& lock) {
    const std::string lockPath = PipeLockPath(socketPath);
    for (;;) {
        base::ScopedFd fd(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (!fd.IsValid()) {
            return PipeErrorFromErrno(errno);
        }
        if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
            return errno == EWOULDBLOCK ? kPipeErrorPipeBusy : PipeErrorFromErrno(errno);
        }
        // The previous owner removes the file before it lets go of the lock. A lock taken on a file that
        // is no longer at the path guards nothing: open the new one.
        struct stat held {};
        struct stat current {};
        if (::fstat(fd.Get(), &held) == 0 && ::stat(lockPath.c_str(), &current) == 0 &&
            held.st_dev == current.st_dev && held.st_ino == current.st_ino) {
            lock = std::move(fd);
            return 0;
        }
    }
}

namespace {

bool FillAddress(const std::string& socketPath, sockaddr_un& address) {
    std::memset(&address, 0, sizeof(address));
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof(address.sun_path)) {
        return false;
    }
    std::memcpy(address.sun_path, socketPath.data(), socketPath.size());
    return true;
}

base::ScopedFd NewSocket() {
    return base::ScopedFd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
}

}  // namespace

std::uint32_t ListenAtPipeSocket(const std::string& socketPath, base::ScopedFd& listener) {
    sockaddr_un address;
    if (!FillAddress(socketPath, address)) {
        return kPipeErrorFilenameTooLong;
    }
    base::ScopedFd fd = NewSocket();
    if (!fd.IsValid()) {
        return PipeErrorFromErrno(errno);
    }
    // The caller holds the name's lock: a file at the path is a leftover of an earlier server.
    if (::unlink(socketPath.c_str()) != 0 && errno != ENOENT) {
        return PipeErrorFromErrno(errno);
    }
    if (::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(fd.Get(), 0) != 0) {
        return PipeErrorFromErrno(errno);
    }
    listener = std::move(fd);
    return 0;
}

std::uint32_t ConnectToPipeSocket(const std::string& socketPath, base::ScopedFd& socket) {
    sockaddr_un address;
    if (!FillAddress(socketPath, address)) {
        return kPipeErrorFilenameTooLong;
    }
    // connect follows a symbolic link; one at the socket's place may lead to somebody else's server.
    struct stat st {};
    if (::lstat(socketPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        return kPipeErrorAccessDenied;
    }
    base::ScopedFd fd = NewSocket();
    if (!fd.IsValid()) {
        return PipeErrorFromErrno(errno);
    }
    // A Unix-domain connect completes at once, also on a non-blocking socket.
    if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        return PipeErrorFromErrno(errno);
    }
    socket = std::move(fd);
    return 0;
}

bool PipePeerHasClosed(int fd) {
    pollfd p{fd, POLLRDHUP, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

std::uint32_t AcceptPipeClient(int listener, base::ScopedFd& client) {
    // After the shutdown a connect fails with ECONNREFUSED, while the client already queued can still be
    // taken: there is no moment at which a second client slips in.
    ::shutdown(listener, SHUT_RDWR);
    base::ScopedFd fd(::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (!fd.IsValid()) {
        return PipeErrorFromErrno(errno);
    }
    client = std::move(fd);
    return 0;
}

Received ReceiveMessage(int fd, std::span<std::uint8_t> buffer) {
    for (;;) {
        iovec iov{buffer.data(), buffer.size()};
        msghdr msg{};
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        const ssize_t n = ::recvmsg(fd, &msg, MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN) {
                return {ReceiveStatus::kNothing, 0, 0};
            }
            const std::uint32_t error = PipeErrorFromErrno(errno);
            return {error == kPipeErrorBrokenPipe ? ReceiveStatus::kClosed : ReceiveStatus::kFailed, 0,
                    error};
        }
        if ((msg.msg_flags & MSG_TRUNC) != 0) {
            return {ReceiveStatus::kTruncated, static_cast<std::uint32_t>(n), 0};
        }
        // A message of no bytes reads like the end of the stream; only the hang-up tells them apart.
        if (n == 0 && PipePeerHasClosed(fd)) {
            return {ReceiveStatus::kClosed, 0, kPipeErrorBrokenPipe};
        }
        return {ReceiveStatus::kMessage, static_cast<std::uint32_t>(n), 0};
    }
}

std::uint32_t SendMessage(int fd, const void* data, std::uint32_t size, std::uint32_t& sent, int timeoutMs) {
    sent = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0) {
            sent = static_cast<std::uint32_t>(n);
            return 0;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN) {
            return PipeErrorFromErrno(errno);
        }
        // The peer's queue is full. A close of either end wakes this wait, and the send then fails.
        int waitMs = -1;
        if (timeoutMs >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                return kPipeErrorWaitTimeout;
            }
            waitMs = static_cast<int>(left.count());
        }
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, waitMs) < 0 && errno != EINTR) {
            return PipeErrorFromErrno(errno);
        }
    }
}

int WaitReadable(int fd, int stopFd, int timeoutMs) {
    pollfd p[2] = {{stopFd, POLLIN, 0}, {fd, POLLIN, 0}};
    for (;;) {
        const int n = ::poll(p, 2, timeoutMs);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return -2;
        }
        if (n == 0) {
            return 0;
        }
        return (p[0].revents != 0) ? -1 : 1;
    }
}

StopSignal::StopSignal() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (!fd_.IsValid()) {
        error_ = PipeErrorFromErrno(errno);
    }
}

void StopSignal::Set() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(fd_.Get(), &one, sizeof(one));
}

void StopSignal::Clear() {
    std::uint64_t value = 0;
    [[maybe_unused]] const ssize_t n = ::read(fd_.Get(), &value, sizeof(value));
}

bool StopSignal::IsSet() const {
    pollfd p{fd_.Get(), POLLIN, 0};
    return ::poll(&p, 1, 0) > 0;
}

}  // namespace ipc
