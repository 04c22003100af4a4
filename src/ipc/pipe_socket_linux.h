#pragma once

// The Linux pipe: SOCK_SEQPACKET Unix-domain sockets, which keep message boundaries. Helpers shared by
// the client and the server classes; errors come back as the Windows numbers of pipe_endpoint.h.

#include <sys/types.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/scoped_handle_linux.h"
#include "ipc/pipe_socket_path.h"

namespace ipc {

// The Windows error number for an errno value of the pipe calls.
std::uint32_t PipeErrorFromErrno(int error);

// The socket location of a pipe name for this process's user; false for an invalid name.
bool LocatePipeSocketForThisUser(std::u16string_view pipeName, PipeSocketLocation& location);

// Makes sure that directory exists (created with mode 0700 when create is set), is a real directory,
// belongs to owner and admits nobody else. 0 or the error: 2 when missing, 5 when refused.
[[nodiscard]] std::uint32_t EnsurePipeDirectory(const std::string& directory, uid_t owner, bool create);

// Takes the name for this process: a lock on the file PipeLockPath names, held as long as the returned
// descriptor is open. 231 when another server holds it. The owner removes the file before it closes the
// descriptor.
std::string PipeLockPath(const std::string& socketPath);
[[nodiscard]] std::uint32_t LockPipeName(const std::string& socketPath, base::ScopedFd& lock);

// Replaces any socket file left at path by a socket listening there. The backlog holds one pending
// client, as a pipe instance takes one.
[[nodiscard]] std::uint32_t ListenAtPipeSocket(const std::string& socketPath, base::ScopedFd& listener);

// Connects a non-blocking socket to path. ECONNREFUSED (nobody listens: the server has its client) and
// EAGAIN (another client is already waiting) both come back as 231; a symbolic link at path is refused
// with 5.
[[nodiscard]] std::uint32_t ConnectToPipeSocket(const std::string& socketPath, base::ScopedFd& socket);

// True when the peer has closed its end (or refused the connection right after accepting it).
bool PipePeerHasClosed(int fd);

// Takes the one pending client of a listener. The listener is shut down first, so that any client that
// comes later is refused as busy; it is no use afterwards.
[[nodiscard]] std::uint32_t AcceptPipeClient(int listener, base::ScopedFd& client);

enum class ReceiveStatus { kMessage, kTruncated, kNothing, kClosed, kFailed };
struct Received {
    ReceiveStatus status;
    std::uint32_t size;   // bytes stored in the buffer
    std::uint32_t error;  // for kClosed and kFailed
};
// Takes one message without waiting. A message longer than the buffer is kTruncated: the socket drops
// its rest, so the next message is intact.
Received ReceiveMessage(int fd, std::span<std::uint8_t> buffer);

// Sends one whole message, waiting at most timeoutMs (kPipeWriteForever: without limit) while the peer's
// queue is full. 0 or the error: 232 once the peer has closed, 258 when the queue stayed full.
std::uint32_t SendMessage(int fd, const void* data, std::uint32_t size, std::uint32_t& sent,
                          int timeoutMs = -1);

// Waits up to timeoutMs (-1: for ever) for fd to become readable or the stop signal. 1 readable,
// 0 timed out, -1 stopped, -2 poll failed (errno kept). fd may be -1: only the stop signal counts then.
int WaitReadable(int fd, int stopFd, int timeoutMs);

// A level-triggered stop signal that poll can wait for.
class StopSignal {
  public:
    StopSignal();
    bool IsValid() const { return fd_.IsValid(); }
    std::uint32_t LastError() const { return error_; }
    int Fd() const { return fd_.Get(); }
    void Set();
    void Clear();
    bool IsSet() const;

  private:
    base::ScopedFd fd_;
    std::uint32_t error_ = 0;
};

}  // namespace ipc
