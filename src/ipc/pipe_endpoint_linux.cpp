#include "ipc/pipe_endpoint_linux.h"

#include <sys/socket.h>
#include <unistd.h>

namespace ipc {

PipeEndpoint::Native::Native(base::ScopedFd connected)
    : connection_(std::make_shared<base::ScopedFd>(std::move(connected))) {}

PipeEndpoint::Native::Native(base::ScopedFd listener, base::ScopedFd nameLock, std::string socketPath)
    : listener_(std::make_shared<base::ScopedFd>(std::move(listener))),
      nameLock_(std::move(nameLock)),
      socketPath_(std::move(socketPath)) {}

PipeEndpoint::Native::~Native() {
    Shutdown();
}

std::shared_ptr<base::ScopedFd> PipeEndpoint::Native::Connection() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return connection_;
}

std::shared_ptr<base::ScopedFd> PipeEndpoint::Native::Listener() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return listener_;
}

std::uint32_t PipeEndpoint::Native::AcceptClient() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (shutDown_ || !listener_) {
        return kPipeErrorInvalidHandle;
    }
    base::ScopedFd client;
    const std::uint32_t error = AcceptPipeClient(listener_->Get(), client);
    listener_.reset();
    if (error == 0) {
        connection_ = std::make_shared<base::ScopedFd>(std::move(client));
    }
    return error;
}

std::uint32_t PipeEndpoint::Native::ListenAgain() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (shutDown_) {
        return kPipeErrorInvalidHandle;
    }
    if (connection_) {
        ::shutdown(connection_->Get(), SHUT_RDWR);
        connection_.reset();
    }
    base::ScopedFd listener;
    const std::uint32_t error = ListenAtPipeSocket(socketPath_, listener);
    if (error == 0) {
        listener_ = std::make_shared<base::ScopedFd>(std::move(listener));
    }
    return error;
}

void PipeEndpoint::Native::Shutdown() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    for (const auto& socket : {connection_, listener_}) {
        if (socket) {
            ::shutdown(socket->Get(), SHUT_RDWR);
        }
    }
    // The name's lock is still held, so both files are this server's own.
    if (!socketPath_.empty()) {
        ::unlink(socketPath_.c_str());
        ::unlink(PipeLockPath(socketPath_).c_str());
    }
}

bool PipeEndpoint::Native::IsShutDown() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return shutDown_;
}

PipeEndpoint::~PipeEndpoint() {
    if (IsOpen()) {
        Flush();
    }
    if (auto handle = Detach()) {
        handle->Shutdown();
    }
}

// A SEQPACKET message sits in the peer's queue once send returns; there is nothing to push out.
std::uint32_t PipeEndpoint::Flush() {
    return 1;
}

}  // namespace ipc
