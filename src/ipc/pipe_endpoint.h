#pragma once

// The handle holder shared by the pipe classes, and the transport's fixed numbers.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

#include "base/worker_thread.h"

namespace ipc {

// Windows error numbers that the pipe classes leave in lastError and that callers test. The Linux variant
// maps its own errors onto them (an error without a Windows counterpart keeps its errno value there).
inline constexpr std::uint32_t kPipeErrorInvalidFunction = 1;
inline constexpr std::uint32_t kPipeErrorFileNotFound = 2;
inline constexpr std::uint32_t kPipeErrorAccessDenied = 5;
inline constexpr std::uint32_t kPipeErrorInvalidHandle = 6;
inline constexpr std::uint32_t kPipeErrorNotEnoughMemory = 8;
inline constexpr std::uint32_t kPipeErrorInvalidParameter = 87;
inline constexpr std::uint32_t kPipeErrorBrokenPipe = 109;
inline constexpr std::uint32_t kPipeErrorInvalidName = 123;
inline constexpr std::uint32_t kPipeErrorFilenameTooLong = 206;
inline constexpr std::uint32_t kPipeErrorPipeBusy = 231;
inline constexpr std::uint32_t kPipeErrorNoData = 232;
inline constexpr std::uint32_t kPipeErrorPipeNotConnected = 233;
inline constexpr std::uint32_t kPipeErrorMoreData = 234;
inline constexpr std::uint32_t kPipeErrorWaitTimeout = 258;
inline constexpr std::uint32_t kPipeErrorPipeConnected = 535;
inline constexpr std::uint32_t kPipeErrorPipeListening = 536;
inline constexpr std::uint32_t kPipeErrorOperationAborted = 995;
inline constexpr std::uint32_t kPipeErrorIoIncomplete = 996;
inline constexpr std::uint32_t kPipeErrorIoPending = 997;

// The text a failed call leaves in the endpoint, named after the Windows call that failed.
inline constexpr std::u16string_view kPipeTextCreateNamedPipeFailed = u"CreateNamedPipe failed";
inline constexpr std::u16string_view kPipeTextConnectNamedPipeFailed = u"ConnectNamedPipe failed";
inline constexpr std::u16string_view kPipeTextCreateFileFailed = u"CreateFile failed";
inline constexpr std::u16string_view kPipeTextWaitNamedPipeFailed = u"WaitNamedPipe failed";
inline constexpr std::u16string_view kPipeTextSetNamedPipeStateFailed = u"SetNamedPipeState failed";
inline constexpr std::u16string_view kPipeTextFlushBuffersFailed = u"FlushBuffers failed";

// A reader receives each message into one buffer of this size; a longer message is dropped whole.
inline constexpr std::size_t kPipeReceiveBufferSize = 4096;
// A reader looks at its stop event at least this often.
inline constexpr std::uint32_t kPipeReaderWaitMs = 1000;
// A write told to wait for ever.
inline constexpr int kPipeWriteForever = -1;
// Destruction waits this long for a reader thread before abandoning it.
inline constexpr std::uint32_t kPipeReaderStopWaitMs = 3000;

// The open pipe, the error of the last failed call and a text that names the pipe after a create or
// open, or the call that failed. Every member is safe to use from the owner and its reader thread at
// once. The OS handle is reference-counted: a call in progress keeps it alive, so closing never pulls it
// from under another thread; the OS object is released when its last user lets go.
class PipeEndpoint {
  public:
    // The OS handle, defined by the pipe_endpoint_win / pipe_endpoint_linux variant.
    struct Native;

    PipeEndpoint();
    // Flushes and closes a pipe that is still open.
    ~PipeEndpoint();
    PipeEndpoint(const PipeEndpoint&) = delete;
    PipeEndpoint& operator=(const PipeEndpoint&) = delete;

    std::uint32_t LastError() const;
    std::u16string Text() const;
    bool IsOpen() const;

    // Records a failed call: its error and its failure text.
    void Fail(std::u16string_view text, std::uint32_t error);
    // Records an error without changing the text (a failed read or write).
    void SetLastError(std::uint32_t error);
    // Takes an opened handle; the text becomes the pipe's name.
    void Attach(std::shared_ptr<Native> handle, std::u16string_view pipeName);
    // The open handle or null. Hold it only for the duration of a call.
    std::shared_ptr<Native> Handle() const;
    // Takes the handle out; the endpoint reads as closed from now on.
    std::shared_ptr<Native> Detach();
    // Waits until the peer has read everything written. 0 with "FlushBuffers failed" on failure.
    std::uint32_t Flush();

  private:
    mutable std::mutex mutex_;
    std::uint32_t lastError_ = 0;
    std::u16string text_;
    std::shared_ptr<Native> handle_;
};

// A bounded write waits for its turn behind another write at least this long: two pushes that meet
// on an open pipe both go out.
inline constexpr std::uint32_t kPipeWriteTurnMinMs = 100;
// How long a bounded write of timeoutMs waits for its turn.
std::chrono::milliseconds PipeWriteTurnWait(std::uint32_t timeoutMs);

// One writer at a time, with a bounded wait for the turn. A mutex and a condition variable rather than
// std::timed_mutex: GCC 12's try_lock_for goes through pthread_mutex_clocklock, which its
// ThreadSanitizer does not see, so every unlock after it reads as a fault.
class PipeWriteTurn {
  public:
    void lock() {
        std::unique_lock<std::mutex> hold(mutex_);
        free_.wait(hold, [this] { return !busy_; });
        busy_ = true;
    }
    bool try_lock_for(std::chrono::milliseconds wait) {
        std::unique_lock<std::mutex> hold(mutex_);
        if (!free_.wait_for(hold, wait, [this] { return !busy_; })) {
            return false;
        }
        busy_ = true;
        return true;
    }
    void unlock() {
        {
            std::lock_guard<std::mutex> hold(mutex_);
            busy_ = false;
        }
        free_.notify_one();
    }

  private:
    std::mutex mutex_;
    std::condition_variable free_;
    bool busy_ = false;
};
// What is left of timeoutMs since start, never below 0.
int PipeWriteTimeLeft(std::chrono::steady_clock::time_point start, std::uint32_t timeoutMs);
// A bounded write that did not get its turn: 0 bytes, error 258 in the endpoint; returns 258.
std::uint32_t RefusePipeWrite(PipeEndpoint& endpoint, std::uint32_t* bytesWritten);

// A bounded write: waits for its turn, then `send(msLeft)` writes with what is left of timeoutMs; a
// write that does not get its turn in time is refused as RefusePipeWrite does.
template <typename Send>
std::uint32_t WriteInTurn(PipeWriteTurn& turn, PipeEndpoint& endpoint, std::uint32_t* bytesWritten,
                          std::uint32_t timeoutMs, Send send) {
    const auto start = std::chrono::steady_clock::now();
    std::unique_lock<PipeWriteTurn> lock(turn, std::defer_lock);
    if (!lock.try_lock_for(PipeWriteTurnWait(timeoutMs))) {
        return RefusePipeWrite(endpoint, bytesWritten);
    }
    return send(PipeWriteTimeLeft(start, timeoutMs));
}

// Starts a pipe's reader thread on `body` once every event it waits on exists. 0 with the error recorded
// on the endpoint when an event or the thread could not be made.
template <typename Event>
[[nodiscard]] std::uint32_t StartPipeReaderThread(PipeEndpoint& endpoint,
                                                  std::initializer_list<const Event*> events,
                                                  base::WorkerThread& reader, std::function<void()> body) {
    for (const Event* event : events) {
        if (!event->IsValid()) {
            endpoint.SetLastError(event->LastError());
            return 0;
        }
    }
    if (!reader.Start(std::move(body))) {
        endpoint.SetLastError(reader.LastError());
        return 0;
    }
    return 1;
}

}  // namespace ipc
