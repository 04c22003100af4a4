#pragma once

#include <cstdint>
#include <mutex>

namespace ipc {

// Implemented by the owner of a pipe. A reader thread calls it; the owner outlives the reader.
class IPipeReadCallBack {
  public:
    // One complete message has been read; data is valid only during the call.
    virtual std::uint32_t OnRead(const std::uint8_t* data, std::uint32_t byteCount,
                                 std::uintptr_t context) = 0;
    // What a server does when its client has gone: kBrokenPipeStop disconnects and ends the reader,
    // kBrokenPipeAcceptNext disconnects and waits for the next client; other values keep waiting.
    virtual std::uint32_t GetBrokenPipePolicy() = 0;

    static constexpr std::uint32_t kBrokenPipeStop = 1;
    static constexpr std::uint32_t kBrokenPipeAcceptNext = 2;

  protected:
    ~IPipeReadCallBack() = default;
};

// The callback and its context word as a pipe keeps them: set by the owner, read by the reader thread.
class PipeCallbackSlot {
  public:
    void Set(IPipeReadCallBack* callback, std::uintptr_t context) {
        std::lock_guard<std::mutex> lock(mutex_);
        callback_ = callback;
        context_ = context;
    }
    bool IsSet() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return callback_ != nullptr;
    }
    // The lock is not held during the call: a handler may take as long as it needs.
    void Deliver(const std::uint8_t* data, std::uint32_t byteCount) const {
        IPipeReadCallBack* callback;
        std::uintptr_t context;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            callback = callback_;
            context = context_;
        }
        if (callback != nullptr) {
            callback->OnRead(data, byteCount, context);
        }
    }
    // 0 (keep waiting) without a callback.
    std::uint32_t BrokenPipePolicy() const {
        IPipeReadCallBack* callback;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            callback = callback_;
        }
        return callback != nullptr ? callback->GetBrokenPipePolicy() : 0;
    }

  private:
    mutable std::mutex mutex_;
    IPipeReadCallBack* callback_ = nullptr;
    std::uintptr_t context_ = 0;
};

}  // namespace ipc
