#include <windows.h>

#include "base/scoped_handle_win.h"
#include "base/worker_thread.h"

namespace base {

struct WorkerThread::Impl {
    ScopedKernelHandle handle;
    bool joined = false;
};

namespace {
DWORD WINAPI ThreadEntry(LPVOID parameter) {
    auto* body = static_cast<std::function<void()>*>(parameter);
    RunThreadBody(*body);
    delete body;
    return 0;
}
}  // namespace

WorkerThread::WorkerThread() = default;

WorkerThread::~WorkerThread() {
    if (impl_ && !impl_->joined) {
        Join(kShutdownWaitMs);
    }
}

bool WorkerThread::Start(std::function<void()> body) {
    if (impl_) {
        lastError_ = ERROR_BUSY;
        return false;
    }
    auto* heapBody = new std::function<void()>(std::move(body));
    ScopedKernelHandle h(CreateThread(nullptr, 0, ThreadEntry, heapBody, 0, nullptr));
    if (!h) {
        lastError_ = GetLastError();
        delete heapBody;
        return false;
    }
    impl_ = std::make_unique<Impl>();
    impl_->handle = std::move(h);
    return true;
}

bool WorkerThread::IsStarted() const {
    return impl_ != nullptr;
}

bool WorkerThread::HasEnded() const {
    return impl_ && WaitForSingleObject(impl_->handle.Get(), 0) == WAIT_OBJECT_0;
}

bool WorkerThread::Join(std::uint32_t timeoutMs) {
    if (!impl_ || impl_->joined) {
        return false;
    }
    impl_->joined = true;
    if (WaitForSingleObject(impl_->handle.Get(), timeoutMs) == WAIT_OBJECT_0) {
        return true;
    }
    // The thread did not end in time: it is stopped where it stands, as the shutdown order requires.
    TerminateThread(impl_->handle.Get(), 1);
    return false;
}

bool WorkerThread::JoinOrAbandon(std::uint32_t timeoutMs) {
    return Join(timeoutMs);
}

}  // namespace base
