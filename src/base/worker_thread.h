#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace base {

// A worker thread that ends cooperatively. Join() waits a bounded time; a thread still running then is
// terminated on Windows. On Linux it is logged and waited for to its end: a detached thread would
// outlive the data its owner frees, and every loop of the program waits in bounded steps.
class WorkerThread {
  public:
    WorkerThread();
    // Waits like Join(kShutdownWaitMs) when the thread was started and not joined.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    static constexpr std::uint32_t kShutdownWaitMs = 2000;

    // False when the thread could not be created (LastError() holds the OS error) or already runs.
    [[nodiscard]] bool Start(std::function<void()> body);
    bool IsStarted() const;
    // True once the body has returned.
    bool HasEnded() const;
    // True when the thread ended within timeoutMs; false when it overran (and was terminated or waited
    // for to its end) or never started.
    bool Join(std::uint32_t timeoutMs);
    // Join for a thread whose data it owns a share of (the pipe readers, whose state is shared with
    // them): a thread still running after timeoutMs is terminated on Windows and left to end on its own
    // on Linux.
    bool JoinOrAbandon(std::uint32_t timeoutMs);
    std::uint32_t LastError() const { return lastError_; }

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::uint32_t lastError_ = 0;
};

// Runs a thread's body as both builds' thread entry does: whatever it throws is caught and logged.
void RunThreadBody(const std::function<void()>& body);

}  // namespace base
