#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/process_records.h"

namespace engine {

// Local port number -> the ConnectionRecord that owns it, whatever its protocol: a TCP and a UDP
// socket on the same number share one entry and the first one entered wins. The pointers do not own
// their records. One slot per port number keeps the per-packet look-up a single load, and the ports
// come out in order. Guarded by a lock of its own, always taken after the engine lock; the table
// changes the index only while it holds the engine lock as well, so a reader holding the engine lock
// may look up without the index's lock.
class PortIndex {
public:
    PortIndex();
    PortIndex(const PortIndex&) = delete;
    PortIndex& operator=(const PortIndex&) = delete;

    ConnectionRecord* Find(std::uint16_t port) const;
    // The same look-up for a caller that holds the engine lock (which every writer holds too): the
    // decoder's per-packet look-up takes no second lock.
    ConnectionRecord* FindHoldingEngineLock(std::uint16_t port) const { return (*slots_)[port]; }
    // False (and nothing changed) when the port is already entered.
    bool Insert(std::uint16_t port, ConnectionRecord* record);
    void Erase(std::uint16_t port);
    // Removes the port only while it still points at `record`.
    void EraseIfOwnedBy(std::uint16_t port, const ConnectionRecord* record);
    // Every port entered, in ascending order.
    std::vector<std::uint16_t> SnapshotPorts() const;
    std::size_t Size() const;
    void Clear();

private:
    mutable std::mutex lock_;
    std::unique_ptr<std::array<ConnectionRecord*, 65536>> slots_;
    std::size_t size_ = 0;
};

}  // namespace engine
