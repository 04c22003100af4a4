#include "engine/packet_queue.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <thread>

namespace engine {

namespace {

// A buffer and its block are one allocation: the block follows the header.
void FreeBuffer(PacketBuffer* buffer) {
    buffer->~PacketBuffer();
    ::operator delete(static_cast<void*>(buffer));
}

// Blocks are sized in steps so that a spare fits most later packets of similar size.
std::int32_t CapacityFor(std::int32_t length) {
    constexpr std::int32_t kStep = 256;
    return length > std::numeric_limits<std::int32_t>::max() - kStep ? length
                                                                     : (length + kStep - 1) / kStep * kStep;
}

PacketBuffer* NewBuffer(std::int32_t length) {
    const std::int32_t capacity = CapacityFor(length);
    void* raw = ::operator new(sizeof(PacketBuffer) + static_cast<std::size_t>(capacity), std::nothrow);
    if (raw == nullptr) {
        return nullptr;
    }
    auto* buffer = new (raw) PacketBuffer;
    buffer->data = reinterpret_cast<std::uint8_t*>(buffer + 1);
    buffer->capacity = capacity;
    return buffer;
}

// A ring this large is given back once the queue has drained.
constexpr std::size_t kRingSlotsKept = 64 * 1024;
constexpr std::size_t kRingFirstSlots = 256;

// The buffers of one batch between the two holds of the lock in PushBatch.
thread_local std::vector<PacketBuffer*> tStaged;

}  // namespace

void PacketQueue::Ring::PushBack(PacketBuffer* buffer) {
    if (count_ == slots_.size()) {
        std::vector<PacketBuffer*> grown(std::max(kRingFirstSlots, slots_.size() * 2));
        for (std::size_t i = 0; i < count_; ++i) {
            grown[i] = (*this)[i];
        }
        slots_.swap(grown);
        head_ = 0;
    }
    (*this)[count_] = buffer;
    ++count_;
}

void PacketQueue::Ring::Erase(std::size_t i) {
    if (i == 0) {
        head_ = (head_ + 1) & (slots_.size() - 1);
    } else {
        for (std::size_t j = i; j + 1 < count_; ++j) {
            (*this)[j] = (*this)[j + 1];
        }
    }
    --count_;
    if (count_ == 0) {
        head_ = 0;
        if (slots_.size() > kRingSlotsKept) {
            std::vector<PacketBuffer*>().swap(slots_);
        }
    }
}

std::vector<PacketBuffer*> PacketQueue::Ring::TakeAll() {
    std::vector<PacketBuffer*> all;
    for (std::size_t i = 0; i < count_; ++i) {
        all.push_back((*this)[i]);
    }
    count_ = 0;
    head_ = 0;
    return all;
}

PacketQueue::PacketQueue()
    : PacketQueue([](std::chrono::milliseconds d) { std::this_thread::sleep_for(d); }) {}

PacketQueue::PacketQueue(Sleeper sleeper) : sleeper_(std::move(sleeper)) {
    spares_.reserve(4096);
}

PacketQueue::~PacketQueue() {
    for (PacketBuffer* buffer : buffers_.TakeAll()) {
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
    // One packet (a raw socket's receive): into a spare and queued with one hold of the lock, the copy
    // being short enough to stay inside it; a new block is allocated outside.
    std::unique_lock<std::mutex> guard(lock_);
    PacketBuffer* buffer = nullptr;
    if (!spares_.empty() && spares_.back()->capacity >= length) {
        buffer = spares_.back();
        spares_.pop_back();
        spareBytes_ -= static_cast<std::size_t>(buffer->capacity);
    } else {
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
        buffers_.PushBack(buffer);
    } catch (const std::bad_alloc&) {
        guard.unlock();
        FreeBuffer(buffer);
    }
}

void PacketQueue::PushBatch(const std::uint8_t* bytes, std::span<const std::int32_t> lengths) {
    if (bytes == nullptr || lengths.empty()) {
        return;
    }
    if (lengths.size() == 1) {
        Push(bytes, lengths[0]);
        return;
    }
    std::vector<PacketBuffer*>& staged = tStaged;
    staged.assign(lengths.size(), nullptr);
    {
        // Spares first, in one hold; allocation and copying happen outside the lock.
        std::lock_guard<std::mutex> guard(lock_);
        for (std::size_t i = 0; i < lengths.size() && !spares_.empty(); ++i) {
            if (lengths[i] >= 1 && spares_.back()->capacity >= lengths[i]) {
                staged[i] = spares_.back();
                spares_.pop_back();
                spareBytes_ -= static_cast<std::size_t>(staged[i]->capacity);
            }
        }
    }
    const std::uint8_t* at = bytes;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        const std::int32_t length = lengths[i];
        if (length < 1) {
            continue;
        }
        if (staged[i] == nullptr) {
            staged[i] = NewBuffer(length);  // null: the packet is dropped
        }
        if (PacketBuffer* buffer = staged[i]) {
            std::memcpy(buffer->data, at, static_cast<std::size_t>(length));
            buffer->length = length;
            buffer->taken.store(0, std::memory_order_relaxed);
        }
        at += length;
    }
    std::size_t queued = 0;
    {
        std::lock_guard<std::mutex> guard(lock_);
        try {
            for (; queued < staged.size(); ++queued) {
                if (staged[queued] != nullptr) {
                    buffers_.PushBack(staged[queued]);
                }
            }
        } catch (const std::bad_alloc&) {
            // the rest is freed below
        }
    }
    for (std::size_t i = queued; i < staged.size(); ++i) {
        if (staged[i] != nullptr) {
            FreeBuffer(staged[i]);
        }
    }
    staged.clear();
}

std::size_t PacketQueue::TakeLocked(std::span<PacketBuffer*> out) {
    std::size_t taken = 0;
    for (std::size_t i = 0; i < buffers_.Size() && taken < out.size(); ++i) {
        PacketBuffer* candidate = buffers_[i];
        if (candidate->taken.load(std::memory_order_relaxed) < 1) {
            candidate->taken.fetch_add(1, std::memory_order_relaxed);
            out[taken++] = candidate;
        }
    }
    return taken;
}

std::size_t PacketQueue::TakeWaiting(std::span<PacketBuffer*> out) {
    if (out.empty()) {
        return 0;
    }
    for (int checks = 1;; ++checks) {
        {
            // A queue found not empty is searched within the same hold of the lock.
            std::lock_guard<std::mutex> guard(lock_);
            if (!buffers_.Empty()) {
                return TakeLocked(out);
            }
        }
        sleeper_(kPollInterval);
        if (checks == kPollsBeforeGivingUp) {
            return 0;  // without a last look: the caller checks its running flag first
        }
    }
}

int PacketQueue::Take(PacketBuffer*& buffer) {
    buffer = nullptr;
    return TakeWaiting(std::span<PacketBuffer*>(&buffer, 1)) == 1 ? 1 : 0;
}

std::size_t PacketQueue::TakeBatch(std::span<PacketBuffer*> buffers) {
    return TakeWaiting(buffers);
}

void PacketQueue::ReleaseLocked(PacketBuffer* buffer) {
    // The decoder releases in the order it took, so the buffer is nearly always the oldest.
    std::size_t at = 0;
    while (at < buffers_.Size() && buffers_[at] != buffer) {
        ++at;
    }
    if (at == buffers_.Size()) {
        return;
    }
    buffers_.Erase(at);
    const auto bytes = static_cast<std::size_t>(buffer->capacity);
    if (buffer->capacity <= kLargestSpareBytes && spareBytes_ + bytes <= kSpareBytes) {
        try {
            spares_.push_back(buffer);
            spareBytes_ += bytes;
            return;
        } catch (const std::bad_alloc&) {
            // not kept: freed below
        }
    }
    FreeBuffer(buffer);
}

void PacketQueue::Release(PacketBuffer* buffer) {
    ReleaseBatch(std::span<PacketBuffer* const>(&buffer, 1));
}

void PacketQueue::ReleaseBatch(std::span<PacketBuffer* const> buffers) {
    std::lock_guard<std::mutex> guard(lock_);
    for (PacketBuffer* buffer : buffers) {
        if (buffer != nullptr) {
            ReleaseLocked(buffer);
        }
    }
}

std::size_t PacketQueue::Size() const {
    std::lock_guard<std::mutex> guard(lock_);
    return buffers_.Size();
}

}  // namespace engine
