#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "ipc/pipe_endpoint.h"
#include "ipc/pipe_socket_linux.h"

namespace ipc {

// A client holds its connected socket. A server holds its listening socket while it waits for a client,
// then the client's socket, and all along the lock on its name.
struct PipeEndpoint::Native {
    explicit Native(base::ScopedFd connected);
    Native(base::ScopedFd listener, base::ScopedFd nameLock, std::string socketPath);
    ~Native();
    Native(const Native&) = delete;
    Native& operator=(const Native&) = delete;

    // Each socket is shared as well: a call keeps the one it uses alive while a server swaps them.
    std::shared_ptr<base::ScopedFd> Connection() const;
    std::shared_ptr<base::ScopedFd> Listener() const;

    // Server: takes the pending client and stops listening (further clients are refused as busy).
    [[nodiscard]] std::uint32_t AcceptClient();
    // Server: drops the client, if any, and listens again.
    [[nodiscard]] std::uint32_t ListenAgain();

    // Wakes every call that waits on these sockets (they fail from now on) and, for a server, removes
    // the socket file, so the name is gone at once.
    void Shutdown();
    bool IsShutDown() const;

  private:
    mutable std::mutex mutex_;
    std::shared_ptr<base::ScopedFd> connection_;
    std::shared_ptr<base::ScopedFd> listener_;
    base::ScopedFd nameLock_;
    const std::string socketPath_;
    bool shutDown_ = false;
};

}  // namespace ipc
