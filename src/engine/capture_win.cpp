#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include "base/scoped_handle_win.h"
#include "base/text.h"
#include "base/traffic_log.h"
#include "engine/capture.h"

namespace engine {

namespace {

constexpr WORD kWinsockVersion = 0x0102;  // 2.1
constexpr DWORD kSioRcvAll = 0x98000001;  // SIO_RCVALL
constexpr DWORD kRcvAllOn = 1;
constexpr int kReceiveAllAttempts = 3;
constexpr int kSocketReceiveBufferBytes = 65536;

}  // namespace

struct Capture::Impl {
    base::ScopedSocket socket;
};

std::uint32_t StartNetworkLibrary() {
    WSADATA data;
    return static_cast<std::uint32_t>(WSAStartup(kWinsockVersion, &data));
}

void StopNetworkLibrary() {
    WSACleanup();
}

Capture::Capture() : impl_(std::make_unique<Impl>()) {}

Capture::~Capture() {
    Close();
}

void Capture::Close() {
    impl_->socket.Reset();
}

bool Capture::IsOpen() const {
    return impl_->socket.IsValid();
}

int Capture::Open(std::u16string_view /*adapterName*/, std::uint16_t port, std::uint32_t address) {
    for (int attempt = 1;; ++attempt) {
        // A socket that refused receive-all is closed before the next try.
        Close();
        impl_->socket.Reset(socket(AF_INET, SOCK_RAW, IPPROTO_IP));
        if (!impl_->socket) {
            lastError_ = GetLastError();
            base::WriteTrafficLogError("socket failed，error no = %d \n", lastError_);
            return -1;
        }
        const int receiveBuffer = kSocketReceiveBufferBytes;
        if (setsockopt(impl_->socket.Get(), SOL_SOCKET, SO_RCVBUF,
                       reinterpret_cast<const char*>(&receiveBuffer), sizeof receiveBuffer) != 0) {
            base::WriteTrafficLogError("setsockopt(SO_RCVBUF) failed，error no = %d \n", GetLastError());
        }
        const DWORD timeout = kReceiveTimeoutMs;
        if (setsockopt(impl_->socket.Get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
                       sizeof timeout) != 0) {
            base::WriteTrafficLogError("setsockopt(SO_RCVTIMEO) failed，error no = %d \n", GetLastError());
        }
        sockaddr_in bindAddress{};
        bindAddress.sin_family = AF_INET;
        bindAddress.sin_port = htons(port);
        bindAddress.sin_addr.s_addr = address;
        if (bind(impl_->socket.Get(), reinterpret_cast<const sockaddr*>(&bindAddress), sizeof bindAddress) !=
            0) {
            lastError_ = GetLastError();
            base::WriteTrafficLogError("bind failed，error no = %d \n", lastError_);
            return static_cast<int>(lastError_);
        }
        DWORD on = kRcvAllOn;
        DWORD returned = 0;
        if (WSAIoctl(impl_->socket.Get(), kSioRcvAll, &on, sizeof on, nullptr, 0, &returned, nullptr,
                     nullptr) == 0) {
            return 0;
        }
        lastError_ = GetLastError();
        base::WriteTrafficLogError("WSAIoctl，error no = %d \n", lastError_);
        if (WSAGetLastError() != WSAEOPNOTSUPP || attempt >= kReceiveAllAttempts) {
            return -1;
        }
    }
}

// A raw socket keeps no count of the packets it could not queue.
std::uint64_t Capture::Dropped() const {
    return 0;
}

int Capture::Receive(std::span<std::uint8_t> buffer) {
    const int received =
        recv(impl_->socket.Get(), reinterpret_cast<char*>(buffer.data()), static_cast<int>(buffer.size()), 0);
    if (received == SOCKET_ERROR) {
        lastError_ = static_cast<std::uint32_t>(WSAGetLastError());
        return -1;
    }
    return received;
}

int Capture::ReceiveBatch(std::span<std::uint8_t> buffer, std::vector<std::int32_t>& lengths) {
    lengths.clear();
    const int received = Receive(buffer);
    if (received > 0) {
        lengths.push_back(received);
    }
    return received;
}

}  // namespace engine
