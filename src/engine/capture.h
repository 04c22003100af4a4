#pragma once

// The OS seam for packet capture on one adapter. Windows: a raw IPv4 socket bound to the adapter's
// address and switched to receive-all mode. Linux: a libpcap handle on the interface whose link-layer
// header is removed, so both deliver bare IPv4 packets.

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace engine {

// Windows opens the socket library (version 2.1) once per engine; Linux needs nothing. 0 or the error.
[[nodiscard]] std::uint32_t StartNetworkLibrary();
void StopNetworkLibrary();

class Capture {
  public:
    // Bytes a receive may deliver: the largest IPv4 packet.
    static constexpr std::size_t kReceiveBufferBytes = 65536;
    static constexpr std::uint32_t kReceiveTimeoutMs = 1000;

    Capture();
    ~Capture();  // closes
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    // Opens the capture (InitNetwork): 0 on success; -1 when no handle could be created or receive-all
    // mode could not be set; the OS error when binding to the adapter failed. Failures are logged.
    // `port` and `address` form the bind address on Windows; Linux captures the named interface.
    [[nodiscard]] int Open(std::u16string_view adapterName, std::uint16_t port, std::uint32_t address);

    // Waits up to kReceiveTimeoutMs for one IPv4 packet and copies it into `buffer` (cut to its size):
    // the number of bytes, or 0 / -1 for a time-out or an error (LastError() tells).
    int Receive(std::span<std::uint8_t> buffer);
    // The same wait, then every packet that is ready, as many as fit, one after another in `buffer`;
    // `lengths` gets their lengths in order. The bytes used, or 0 / -1 as Receive. A raw socket
    // delivers one packet a call; a capture that the kernel fills in blocks hands over what it holds.
    int ReceiveBatch(std::span<std::uint8_t> buffer, std::vector<std::int32_t>& lengths);

    // Packets the system dropped for this capture since it opened, as the receiving thread last read
    // it (about once a second); any thread may ask. Always 0 on Windows: a raw socket counts none.
    std::uint64_t Dropped() const;

    void Close();
    bool IsOpen() const;
    // The OS error of the last failed call.
    std::uint32_t LastError() const { return lastError_; }

    struct Impl;  // the OS handle, defined by capture_win / capture_linux

  private:
    std::unique_ptr<Impl> impl_;
    std::uint32_t lastError_ = 0;
};

// The per-adapter capture set-up under its usual name.
[[nodiscard]] inline int InitNetwork(Capture& capture, std::u16string_view adapterName, std::uint16_t port,
                                     std::uint32_t address) {
    return capture.Open(adapterName, port, address);
}

}  // namespace engine
