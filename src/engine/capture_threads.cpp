#include "engine/capture_threads.h"

#include <algorithm>
#include <array>
#include <vector>

#include "base/os_error.h"
#include "base/text.h"
#include "base/traffic_log.h"
#include "engine/packet_counter.h"
#include "engine/packet_decoder.h"
#include "engine/packet_queue.h"
#include "engine/sniffer_context.h"

namespace engine {

namespace {

// Gives a batch's buffers back to the queue however their handling ends.
class TakenBatch {
  public:
    TakenBatch(PacketQueue& queue, std::span<PacketBuffer* const> buffers)
        : queue_(queue), buffers_(buffers) {}
    ~TakenBatch() { queue_.ReleaseBatch(buffers_); }
    TakenBatch(const TakenBatch&) = delete;
    TakenBatch& operator=(const TakenBatch&) = delete;

  private:
    PacketQueue& queue_;
    std::span<PacketBuffer* const> buffers_;
};

}  // namespace

int SnifferThreadProc(SnifferContext& context) {
    const SnifferLinks& links = context.engine;
    try {
        // One buffer for the thread's life; only the bytes of the previous receive are cleared. A
        // receive may deliver several packets, queued together.
        std::vector<std::uint8_t> buffer(Capture::kReceiveBufferBytes);
        std::vector<std::int32_t> lengths;
        lengths.reserve(256);
        int lastLength = 0;
        while (links.runningFlag.load(std::memory_order_relaxed) == 1) {
            links.snifferEvent.Wait(base::Event::kInfinite);
            std::fill_n(buffer.begin(), std::clamp(lastLength, 0, static_cast<int>(buffer.size())), 0);
            lastLength = context.capture.ReceiveBatch(buffer, lengths);
            if (lastLength > 0) {
                context.queue.PushBatch(buffer.data(), lengths);
            }
        }
    } catch (...) {
        base::WriteTrafficLogError("catch exception in SnifferThreadProc, error no = %d \n",
                                   base::LastOsError());
        links.quitEvent.Set();
        return 0;
    }
    links.monitorState.store(kMonitorCaptureEnded, std::memory_order_relaxed);
    return 0;
}

BatchOutcome DealWithPacketBatch(PacketQueue& queue, std::span<const std::uint32_t> localAddresses,
                                 IPacketCounter& counter) {
    std::array<PacketBuffer*, kDecoderBatch> buffers{};
    const std::size_t taken = queue.TakeBatch(buffers);
    const std::span<PacketBuffer* const> batch(buffers.data(), taken);
    TakenBatch release(queue, batch);
    BatchOutcome outcome;
    outcome.taken = taken;
    for (PacketBuffer* buffer : batch) {
        if (buffer == nullptr || buffer->data == nullptr) {
            continue;
        }
        try {
            const auto count = DecodePacket(buffer->Bytes(), localAddresses);
            if (!count) {
                continue;
            }
            if (counter.CountPacket(*count)) {
                ++outcome.counted;
            } else {
                outcome.portMissing = true;
            }
        } catch (...) {
            base::WriteTrafficLogError("catac execption in DealWithRecvData，error no = %d \n",
                                       base::LastOsError());
        }
    }
    return outcome;
}

int DealWithRecvData(SnifferContext& context) {
    const SnifferLinks& links = context.engine;
    while (links.runningFlag.load(std::memory_order_relaxed) != 0) {
        const BatchOutcome outcome = DealWithPacketBatch(context.queue, links.localAddresses, links.counter);
        if (outcome.portMissing) {
            links.portRefreshRequested.store(1, std::memory_order_relaxed);
        }
        // A backlog keeps the decoder taking the engine lock packet after packet: between batches the
        // threads waiting for it (plugin requests, the statistics tick) go first.
        links.counter.LetWaitersIn();
    }
    return 0;
}

}  // namespace engine
