#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <stdexcept>
#include <vector>

#include "base/event.h"
#include "engine/packet_counter.h"

// The port table's stand-in: knows some ports, records every count, signals when it has seen enough.
class RecordingCounter : public engine::IPacketCounter {
  public:
    explicit RecordingCounter(std::set<std::uint16_t> known) : known_(std::move(known)) {}

    bool CountPacket(const engine::PacketCount& count) override {
        std::lock_guard<std::mutex> guard(mutex_);
        if (throwOnPort_ == count.localPort) {
            throw std::runtime_error("counter failure");
        }
        counted_.push_back(count);
        if (!watched_ || watched_(count)) {
            if (++seen_ == expected_) {
                enough_.Set();
            }
        }
        return known_.count(count.localPort) != 0;
    }

    void LetWaitersIn() override { ++stepsAside; }

    void ThrowOnPort(std::uint16_t port) { throwOnPort_ = port; }
    // Signals once n counts (of those `watched` accepts, when given) have arrived.
    void Expect(std::size_t n, std::function<bool(const engine::PacketCount&)> watched = {}) {
        std::lock_guard<std::mutex> guard(mutex_);
        expected_ = n;
        watched_ = std::move(watched);
    }
    bool WaitForExpected(std::uint32_t ms) { return enough_.Wait(ms); }
    std::vector<engine::PacketCount> Counted() {
        std::lock_guard<std::mutex> guard(mutex_);
        return counted_;
    }

    std::atomic<int> stepsAside{0};  // calls between batches

  private:
    std::mutex mutex_;
    std::set<std::uint16_t> known_;
    std::vector<engine::PacketCount> counted_;
    int throwOnPort_ = -1;
    std::size_t expected_ = 0;
    std::size_t seen_ = 0;
    std::function<bool(const engine::PacketCount&)> watched_;
    base::Event enough_{base::EventReset::kManual, false};
};
