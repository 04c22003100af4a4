#pragma once

// The engine's captures: one SnifferContext per adapter with a usable IPv4 address, the packet queue they
// fill, and the one decoder thread that empties it.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/packet_queue.h"
#include "engine/sniffer_context.h"

namespace engine {

class CaptureSet {
  public:
    // What the links refer to must outlive the set; the queue its contexts fill is the set's own.
    explicit CaptureSet(const SnifferLinks& links);
    // Waits up to 2000 ms for each context's threads (abandoning one that does not end), closes its
    // capture and deletes it. The running flag must have dropped first.
    ~CaptureSet();
    CaptureSet(const CaptureSet&) = delete;
    CaptureSet& operator=(const CaptureSet&) = delete;

    // For each adapter with addresses: a context bound to its first address on port 9527 + its index,
    // its capture opened and its sniffer thread started; the first one also starts the decoder. 0 when
    // every adapter is set up, else the failure's result (a capture failure also signals the quit
    // event). Contexts set up before a failure keep running.
    [[nodiscard]] int LaunchCaptures(std::span<const std::u16string> adapterNames,
                                     std::span<const std::vector<std::uint32_t>> adapterAddressLists);

    PacketQueue& Queue() { return queue_; }
    const std::vector<std::unique_ptr<SnifferContext>>& Contexts() const { return contexts_; }
    bool DecoderStarted() const { return decoderStarted_; }

  private:
    PacketQueue queue_;
    SnifferLinks links_;
    std::vector<std::unique_ptr<SnifferContext>> contexts_;
    // Only one decoder thread is ever created for the engine.
    bool decoderStarted_ = false;
};

}  // namespace engine
