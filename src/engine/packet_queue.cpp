#include "engine/packet_queue.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <thread>

namespace {

void FreeBuffer(PacketBuffer* buffer) {
    delete[] buffer->data;
    delete buffer;
}

// Blocks are sized in steps so that a spare fits most later packets of similar size.
std::int32_t CapacityFor(std::int32_t length) {
    constexpr std::int32_t kStep = 256;
    return length > std::numeric_limits<std::int32_t>::max() - kStep ? length
                                                                      : (length + kStep - 1) / kStep * kStep;
}

PacketBuffer* NewBuffer(std::int32_t length) {
    std::unique_ptr<PacketBuffer> buffer(new (std::nothrow) PacketBuffer);
    if (!buffer) {
        return nullptr;
    }
    const std::int32_t capacity = CapacityFor(length);
    buffer->data = new (std::nothrow) std::uint8_t[static_cast<std::size_t>(capacity)];
    if (buffer->data == nullptr) {
        return nullptr;
    }
    buffer->capacity = capacity;
    return buffer.release();
}

}  // namespace

PacketQueue::PacketQueue()
    : PacketQueue([](std::chrono::milliseconds d) { std::this_thread::sleep_for(d); }) {}

PacketQueue::PacketQueue(Sleeper sleeper) : sleeper_(std::move(sleeper)) {
    spares_.reserve(kSpareBuffers);
}

PacketQueue::~PacketQueue() {
    for (PacketBuffer* buffer : buffers_) {
        FreeBuffer(buffer);
    }
    for (PacketBuffer* buffer : spares_) {
        FreeBuffer(buffer);
    }
}

void PacketQueue::Push(const std::uint8_t* bytes, std::int32_t length) {
    if (bytes == nullptr || length < 1) {
        return;
    }
    std::unique_lock<std::mutex> guard(lock_);
    PacketBuffer* buffer = nullptr;
    if (!spares_.empty() && spares_.back()->capacity >= length) {
        buffer = spares_.back();
        spares_.pop_back();
    } else {
        // Allocation happens outside the lock; the copy of a packet is short enough to stay inside.
        guard.unlock();
        buffer = NewBuffer(length);
        if (buffer == nullptr) {
            return;
        }
        guard.lock();
    }
    std::memcpy(buffer->data, bytes, static_cast<std::size_t>(length));
    buffer->length = length;
    buffer->taken.store(0, std::memory_order_relaxed);
    try {
        buffers_.push_back(buffer);
    } catch (const std::bad_alloc&) {
        guard.unlock();
        FreeBuffer(buffer);
    }
}

PacketBuffer* PacketQueue::TakeLocked() {
    for (PacketBuffer* candidate : buffers_) {
        if (candidate->taken.load(std::memory_order_relaxed) < 1) {
            candidate->taken.fetch_add(1, std::memory_order_relaxed);
            return candidate;
        }
    }
    return nullptr;
}

int PacketQueue::Take(PacketBuffer*& buffer) {
    buffer = nullptr;
    for (int checks = 1;; ++checks) {
        {
            // A queue found not empty is searched within the same hold of the lock.
            std::lock_guard<std::mutex> guard(lock_);
            if (!buffers_.empty()) {
                buffer = TakeLocked();
                return buffer != nullptr ? 1 : 0;
            }
        }
        sleeper_(kPollInterval);
        if (checks == kPollsBeforeGivingUp) {
            return 0;  // without a last look: the caller checks its running flag first
        }
    }
}

void PacketQueue::Release(PacketBuffer* buffer) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        const auto it = std::find(buffers_.begin(), buffers_.end(), buffer);
        if (it == buffers_.end()) {
            return;
        }
        buffers_.erase(it);
        if (spares_.size() < kSpareBuffers && buffer->capacity <= kLargestSpareBytes) {
            try {
                spares_.push_back(buffer);
                return;
            } catch (const std::bad_alloc&) {
                // not kept: freed below
            }
        }
    }
    FreeBuffer(buffer);
}

std::size_t PacketQueue::Size() const {
    std::lock_guard<std::mutex> guard(lock_);
    return buffers_.size();
}
