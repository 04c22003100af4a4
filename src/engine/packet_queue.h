#pragma once

// The hand-over from the capture threads to the decoder: every captured packet is copied once into its
// own buffer and queued; the decoder takes the oldest one and releases it when counted. The queue never
// drops packets itself and has no size limit. Released buffers are kept for later packets (up to
// kSpareBytes of them), so that a steady stream allocates nothing per packet. Both sides may move a
// batch of packets per hold of the lock: a capture hands over all it received at once, and the decoder
// takes and releases several buffers at a time.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <vector>

namespace engine {

struct PacketBuffer {
    std::uint8_t* data = nullptr;  // one captured IPv4 packet, starting with its header
    std::int32_t length = 0;       // at least 1
    std::atomic<std::int32_t> taken{0};
    std::int32_t capacity = 0;  // bytes allocated at data

    std::span<const std::uint8_t> Bytes() const { return {data, static_cast<std::size_t>(length)}; }
};

class PacketQueue {
  public:
    using Sleeper = std::function<void(std::chrono::milliseconds)>;

    static constexpr std::chrono::milliseconds kPollInterval{50};
    static constexpr int kPollsBeforeGivingUp = 10;
    // Released buffers kept for reuse (their blocks' bytes in all), and the largest one kept: the
    // backlog that builds while the decoder sleeps on an empty queue is met with spares, but a burst's
    // worth is not held for ever, nor a rare large packet's block.
    static constexpr std::size_t kSpareBytes = 8 * 1024 * 1024;
    static constexpr std::int32_t kLargestSpareBytes = 2048;

    PacketQueue();
    // For tests: how Take sleeps between checks of an empty queue.
    explicit PacketQueue(Sleeper sleeper);
    // Frees the buffers still queued.
    ~PacketQueue();
    PacketQueue(const PacketQueue&) = delete;
    PacketQueue& operator=(const PacketQueue&) = delete;

    // Copies the bytes (into a released buffer when one is big enough); nothing happens for missing
    // bytes or a length below 1, and a packet whose copy cannot be allocated is dropped.
    void Push(const std::uint8_t* bytes, std::int32_t length);
    // Push for packets laid one after another from `bytes`, lengths[i] bytes each, queued in that order
    // with one hold of the lock; lengths below 1 are skipped.
    void PushBatch(const std::uint8_t* bytes, std::span<const std::int32_t> lengths);

    // The oldest buffer not yet taken, marked taken: 1, or 0 when there is none. An empty queue is
    // checked again every 50 ms; after the 10th sleep Take gives up (about 500 ms in all) so the caller
    // can look at its running flag.
    int Take(PacketBuffer*& buffer);
    // Take for up to buffers.size() buffers, oldest first, with one hold of the lock: how many were
    // taken (0 under the same conditions as Take).
    std::size_t TakeBatch(std::span<PacketBuffer*> buffers);

    // Removes the buffer from the queue and frees it or keeps it for reuse; a buffer the queue does not
    // hold is left alone.
    void Release(PacketBuffer* buffer);
    // Release for several buffers with one hold of the lock.
    void ReleaseBatch(std::span<PacketBuffer* const> buffers);

    std::size_t Size() const;

  private:
    // The queued buffers, oldest first, in a ring that grows as needed (and shrinks once drained
    // after a large backlog): no allocation per packet.
    class Ring {
      public:
        std::size_t Size() const { return count_; }
        bool Empty() const { return count_ == 0; }
        PacketBuffer*& operator[](std::size_t i) { return slots_[(head_ + i) & (slots_.size() - 1)]; }
        void PushBack(PacketBuffer* buffer);  // may throw std::bad_alloc, leaving the ring unchanged
        // Removes the element at i, keeping the order of the rest.
        void Erase(std::size_t i);
        std::vector<PacketBuffer*> TakeAll();

      private:
        std::vector<PacketBuffer*> slots_;  // a power of two in size, or empty
        std::size_t head_ = 0;
        std::size_t count_ = 0;
    };

    // Queue lock held: marks up to out.size() untaken buffers, oldest first, and returns how many.
    std::size_t TakeLocked(std::span<PacketBuffer*> out);
    // Queue lock held: removes the buffer if it is queued and keeps it as a spare or frees it.
    void ReleaseLocked(PacketBuffer* buffer);
    // Waits as Take does for a queue that is not empty, then takes up to out.size() buffers.
    std::size_t TakeWaiting(std::span<PacketBuffer*> out);

    mutable std::mutex lock_;
    Ring buffers_;
    std::vector<PacketBuffer*> spares_;
    std::size_t spareBytes_ = 0;
    Sleeper sleeper_;
};

}  // namespace engine
