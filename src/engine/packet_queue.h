#pragma once

// The hand-over from the capture threads to the decoder: every captured packet is copied once into its
// own buffer and queued; the decoder takes the oldest one and releases it when counted. The queue never
// drops packets itself and has no size limit. Released buffers are kept for later packets (up to
// kSpareBuffers of them), so that a steady stream allocates nothing per packet.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <vector>

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
    // Released buffers kept for reuse, and the largest one kept: a backlog's worth of buffers is not
    // held for ever, nor a rare large packet's block.
    static constexpr std::size_t kSpareBuffers = 4096;
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

    // The oldest buffer not yet taken, marked taken: 1, or 0 when there is none. An empty queue is
    // checked again every 50 ms; after the 10th sleep Take gives up (about 500 ms in all) so the caller
    // can look at its running flag.
    int Take(PacketBuffer*& buffer);

    // Removes the buffer from the queue and frees it or keeps it for reuse; a buffer the queue does not
    // hold is left alone.
    void Release(PacketBuffer* buffer);

    std::size_t Size() const;

  private:
    // The oldest buffer not taken yet, marked taken, or null. Queue lock held.
    PacketBuffer* TakeLocked();

    mutable std::mutex lock_;
    std::deque<PacketBuffer*> buffers_;
    std::vector<PacketBuffer*> spares_;
    Sleeper sleeper_;
};
