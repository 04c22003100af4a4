#include "engine/packet_queue.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <thread>

namespace {

void FreeBuffer(PacketBuffer* buffer) {
    delete[] buffer->data;
    delete buffer;
}

}  // namespace

PacketQueue::PacketQueue()
    : PacketQueue([](std::chrono::milliseconds d) { std::this_thread::sleep_for(d); }) {}

PacketQueue::PacketQueue(Sleeper sleeper) : sleeper_(std::move(sleeper)) {}

PacketQueue::~PacketQueue() {
    for (PacketBuffer* buffer : buffers_) {
        FreeBuffer(buffer);
    }
}

void PacketQueue::Push(const std::uint8_t* bytes, std::int32_t length) {
    if (bytes == nullptr || length < 1) {
        return;
    }
    std::unique_ptr<PacketBuffer> buffer(new (std::nothrow) PacketBuffer);
    if (!buffer) {
        return;
    }
    buffer->data = new (std::nothrow) std::uint8_t[static_cast<std::size_t>(length)];
    if (buffer->data == nullptr) {
        return;
    }
    std::memcpy(buffer->data, bytes, static_cast<std::size_t>(length));
    buffer->length = length;
    try {
        std::lock_guard<std::mutex> guard(lock_);
        buffers_.push_back(buffer.get());
    } catch (const std::bad_alloc&) {
        delete[] buffer->data;
        return;
    }
    buffer.release();
}

bool PacketQueue::IsEmpty() const {
    std::lock_guard<std::mutex> guard(lock_);
    return buffers_.empty();
}

int PacketQueue::Take(PacketBuffer*& buffer) {
    buffer = nullptr;
    for (int checks = 1; IsEmpty(); ++checks) {
        sleeper_(kPollInterval);
        if (checks == kPollsBeforeGivingUp) {
            return 0;  // without a last look: the caller checks its running flag first
        }
    }
    std::lock_guard<std::mutex> guard(lock_);
    for (PacketBuffer* candidate : buffers_) {
        if (candidate->taken.load(std::memory_order_relaxed) < 1) {
            candidate->taken.fetch_add(1, std::memory_order_relaxed);
            buffer = candidate;
            return 1;
        }
    }
    return 0;
}

void PacketQueue::Release(PacketBuffer* buffer) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        const auto it = std::find(buffers_.begin(), buffers_.end(), buffer);
        if (it == buffers_.end()) {
            return;
        }
        buffers_.erase(it);
    }
    FreeBuffer(buffer);
}

std::size_t PacketQueue::Size() const {
    std::lock_guard<std::mutex> guard(lock_);
    return buffers_.size();
}
