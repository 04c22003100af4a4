#include "base/worker_thread.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "base/traffic_log.h"

namespace base {

namespace {
// Shared with the thread itself, which reports its end through it.
struct Completion {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
};
bool WaitForEnd(Completion& completion, std::uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(completion.mutex);
    return completion.ended.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                     [&] { return completion.done; });
}

}  // namespace

struct WorkerThread::Impl {
    std::thread thread;
    std::shared_ptr<Completion> completion;
};

WorkerThread::WorkerThread() = default;

WorkerThread::~WorkerThread() {
    if (impl_ && impl_->thread.joinable()) {
        Join(kShutdownWaitMs);
    }
}

bool WorkerThread::Start(std::function<void()> body) {
    if (impl_) {
        lastError_ = EBUSY;
        return false;
    }
    auto completion = std::make_shared<Completion>();
    try {
        std::thread thread([completion, body = std::move(body)] {
            RunThreadBody(body);
            std::lock_guard<std::mutex> lock(completion->mutex);
            completion->done = true;
            completion->ended.notify_all();
        });
        impl_ = std::make_unique<Impl>(Impl{std::move(thread), completion});
    } catch (const std::system_error& e) {
        lastError_ = static_cast<std::uint32_t>(e.code().value());
        // As CreateThread leaves its error for GetLastError.
        errno = e.code().value();
        return false;
    }
    return true;
}

bool WorkerThread::IsStarted() const {
    return impl_ != nullptr;
}

bool WorkerThread::HasEnded() const {
    if (!impl_) {
        return false;
    }
    std::lock_guard<std::mutex> lock(impl_->completion->mutex);
    return impl_->completion->done;
}

bool WorkerThread::Join(std::uint32_t timeoutMs) {
    if (!impl_ || !impl_->thread.joinable()) {
        return false;
    }
    const bool ended = WaitForEnd(*impl_->completion, timeoutMs);
    if (!ended) {
        // Detaching would let the thread run on while its owner frees what it uses. Every loop of the
        // program waits in bounded steps and checks its stop signal, so the end is near: wait for it.
        WriteTrafficLogError("worker thread still running %u ms after its stop, waiting for its end\n",
                             timeoutMs);
    }
    impl_->thread.join();
    return ended;
}

bool WorkerThread::JoinOrAbandon(std::uint32_t timeoutMs) {
    if (!impl_ || !impl_->thread.joinable()) {
        return false;
    }
    if (WaitForEnd(*impl_->completion, timeoutMs)) {
        impl_->thread.join();
        return true;
    }
    impl_->thread.detach();
    return false;
}

}  // namespace base
