#include "engine/port_index.h"

namespace engine {

PortIndex::PortIndex() : slots_(std::make_unique<std::array<ConnectionRecord*, 65536>>()) {
    slots_->fill(nullptr);
}

ConnectionRecord* PortIndex::Find(std::uint16_t port) const {
    std::lock_guard<std::mutex> hold(lock_);
    return (*slots_)[port];
}

bool PortIndex::Insert(std::uint16_t port, ConnectionRecord* record) {
    std::lock_guard<std::mutex> hold(lock_);
    ConnectionRecord*& slot = (*slots_)[port];
    if (slot != nullptr || record == nullptr) {
        return false;
    }
    slot = record;
    ++size_;
    return true;
}

void PortIndex::Erase(std::uint16_t port) {
    std::lock_guard<std::mutex> hold(lock_);
    ConnectionRecord*& slot = (*slots_)[port];
    if (slot != nullptr) {
        slot = nullptr;
        --size_;
    }
}

void PortIndex::EraseIfOwnedBy(std::uint16_t port, const ConnectionRecord* record) {
    std::lock_guard<std::mutex> hold(lock_);
    ConnectionRecord*& slot = (*slots_)[port];
    if (slot != nullptr && slot == record) {
        slot = nullptr;
        --size_;
    }
}

std::vector<std::uint16_t> PortIndex::SnapshotPorts() const {
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<std::uint16_t> ports;
    ports.reserve(size_);
    for (std::size_t port = 0; port < slots_->size() && ports.size() < size_; ++port) {
        if ((*slots_)[port] != nullptr) {
            ports.push_back(static_cast<std::uint16_t>(port));
        }
    }
    return ports;
}

std::size_t PortIndex::Size() const {
    std::lock_guard<std::mutex> hold(lock_);
    return size_;
}

void PortIndex::Clear() {
    std::lock_guard<std::mutex> hold(lock_);
    slots_->fill(nullptr);
    size_ = 0;
}

}  // namespace engine
