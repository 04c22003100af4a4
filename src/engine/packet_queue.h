#pragma once

// The hand-over from the capture threads to the decoder: every captured packet is copied once into its
// own buffer and queued; the decoder takes the oldest one and releases it when counted. The queue never
// drops packets itself and has no size limit.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <span>

struct PacketBuffer {
    std::uint8_t* data = nullptr;  // one captured IPv4 packet, starting with its header
    std::int32_t length = 0;       // at least 1
    std::atomic<std::int32_t> taken{0};

    std::span<const std::uint8_t> Bytes() const { return {data, static_cast<std::size_t>(length)}; }
};

class PacketQueue {
  public:
    using Sleeper = std::function<void(std::chrono::milliseconds)>;

    static constexpr std::chrono::milliseconds kPollInterval{50};
    static constexpr int kPollsBeforeGivingUp = 10;

    PacketQueue();
    // For tests: how Take sleeps between checks of an empty queue.
    explicit PacketQueue(Sleeper sleeper);
    // Frees the buffers still queued.
    ~PacketQueue();
    PacketQueue(const PacketQueue&) = delete;
    PacketQueue& operator=(const PacketQueue&) = delete;

    // Copies the bytes; nothing happens for missing bytes or a length below 1, and a packet whose copy
    // cannot be allocated is dropped.
    void Push(const std::uint8_t* bytes, std::int32_t length);

    // The oldest buffer not yet taken, marked taken: 1, or 0 when there is none. An empty queue is
    // checked again every 50 ms; after the 10th sleep Take gives up (about 500 ms in all) so the caller
    // can look at its running flag.
    int Take(PacketBuffer*& buffer);

    // Removes the buffer from the queue and frees it; a buffer the queue does not hold is left alone.
    void Release(PacketBuffer* buffer);

    std::size_t Size() const;

  private:
    bool IsEmpty() const;

    mutable std::mutex lock_;
    std::deque<PacketBuffer*> buffers_;
    Sleeper sleeper_;
};
