#include <unistd.h>

#include <mutex>
#include <string>

#include "app/single_instance.h"
#include "ipc/pipe_socket_linux.h"

namespace app {

struct SingleInstance::Impl {
    std::mutex lock;
    std::string lockPath;
    base::ScopedFd fd;
};

SingleInstance::SingleInstance() : impl_(std::make_unique<Impl>()) {}

SingleInstance::~SingleInstance() {
    Release();
}

bool SingleInstance::Acquire(std::u16string_view name) {
    // The lock lives where the pipe sockets of this user live, under the same rules.
    ipc::PipeSocketLocation location;
    if (!ipc::LocatePipeSocketForThisUser(u"\\\\.\\pipe\\" + std::u16string(name), location)) {
        return false;
    }
    if (ipc::EnsurePipeDirectory(location.directory, ::geteuid(), true) != 0) {
        return false;
    }
    base::ScopedFd fd;
    if (ipc::LockPipeName(location.path, fd) != 0) {
        return false;
    }
    std::lock_guard<std::mutex> guard(impl_->lock);
    impl_->lockPath = ipc::PipeLockPath(location.path);
    impl_->fd = std::move(fd);
    return true;
}

void SingleInstance::Release() {
    std::lock_guard<std::mutex> guard(impl_->lock);
    if (impl_->fd.IsValid()) {
        // Removed before the lock is let go, as every holder of such a lock does.
        ::unlink(impl_->lockPath.c_str());
        impl_->fd.Reset();
    }
}

}  // namespace app
