#include <pcap/pcap.h>
#include <poll.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <thread>

#include "base/scoped_handle_linux.h"
#include "base/text.h"
#include "base/traffic_log.h"
#include "engine/capture.h"
#include "engine/link_layer.h"

namespace engine {

namespace {

// The decoder reads at most 64 bytes of an IPv4 packet for its fixed layouts (an L2TP upload's inner
// ports), and the longest PPTP GRE header puts the inner ports at bytes 57..60; the link header adds at
// most 22 bytes (Ethernet with two VLAN tags). 256 leaves room for GRE and IP options while keeping the
// kernel ring's frames small.
constexpr int kSnapshotBytes = 256;
constexpr int kKernelBufferBytes = 4 * 1024 * 1024;
constexpr int kBlockTimeoutMs = 10;

// libpcap reports most failures by status rather than errno: a failed Open leaves its error in errno, as
// the Windows socket calls leave theirs, for the caller that reports it with the OS error number.
std::uint32_t KeptAsOsError(std::uint32_t error) {
    errno = static_cast<int>(error);
    return error;
}

// An errno-style code for a failed activation.
std::uint32_t ActivationError(int status) {
    switch (status) {
        case PCAP_ERROR_PERM_DENIED:
            return EPERM;
        case PCAP_ERROR_NO_SUCH_DEVICE:
            return ENODEV;
        case PCAP_ERROR_IFACE_NOT_UP:
            return ENETDOWN;
        default:
            return errno != 0 ? static_cast<std::uint32_t>(errno) : EIO;
    }
}

}  // namespace

struct Capture::Impl {
    base::ScopedPcap handle;
    int linkType = -1;
    int descriptor = -1;  // polled for the receive time-out
    std::string device;
    // libpcap's drop count, read by the receiving thread (the handle is not to be shared) and published
    // for other threads: after an idle receive, and every kStatsEvery receives on a busy capture.
    static constexpr unsigned kStatsEvery = 256;
    unsigned receivesSinceStats = 0;
    std::atomic<std::uint64_t> dropped{0};

    void RefreshDrops(int received) {
        if (received > 0 && ++receivesSinceStats < kStatsEvery) {
            return;
        }
        receivesSinceStats = 0;
        pcap_stat stats{};
        if (pcap_stats(handle.Get(), &stats) == 0) {
            dropped.store(std::uint64_t{stats.ps_drop} + stats.ps_ifdrop, std::memory_order_relaxed);
        }
    }
};

namespace {
// One receive: up to `most` packets into the buffer (Receive and ReceiveBatch).
int ReceivePackets(Capture::Impl& impl, std::uint32_t& lastError, std::span<std::uint8_t> buffer, int most,
                   std::vector<std::int32_t>& lengths);
}  // namespace

std::uint32_t StartNetworkLibrary() {
    return 0;
}

void StopNetworkLibrary() {}

Capture::Capture() : impl_(std::make_unique<Impl>()) {}

Capture::~Capture() {
    Close();
}

void Capture::Close() {
    if (impl_->handle) {
        // The capture's own loss figures: what the kernel's ring could not hold is lost to the counts.
        pcap_stat stats{};
        if (pcap_stats(impl_->handle.Get(), &stats) == 0) {
            base::WriteTrafficLog(
                base::FormatText(128, "pcap %s: received %u, dropped %u, interface dropped %u\n",
                                 impl_->device.c_str(), stats.ps_recv, stats.ps_drop, stats.ps_ifdrop));
        }
        impl_->handle.Reset();
        impl_->descriptor = -1;
    }
}

bool Capture::IsOpen() const {
    return impl_->handle.IsValid();
}

int Capture::Open(std::u16string_view adapterName, std::uint16_t /*port*/, std::uint32_t /*address*/) {
    Close();
    const std::string device = base::Utf16ToUtf8(adapterName);
    impl_->device = device;
    char errorText[PCAP_ERRBUF_SIZE] = {};
    errno = 0;
    impl_->handle.Reset(pcap_create(device.c_str(), errorText));
    if (!impl_->handle.Get()) {
        lastError_ = KeptAsOsError(errno != 0 ? static_cast<std::uint32_t>(errno) : ENOMEM);
        base::WriteTrafficLogError("socket failed，error no = %d \n", lastError_);
        return -1;
    }
    // Setters fail only on an activated handle; this one is fresh.
    pcap_set_snaplen(impl_->handle.Get(), kSnapshotBytes);
    pcap_set_promisc(impl_->handle.Get(), 0);
    // The kernel hands packets over in blocks, each when full or kBlockTimeoutMs after its first packet:
    // one wake-up per block rather than per packet, for at most that much delay.
    pcap_set_immediate_mode(impl_->handle.Get(), 0);
    pcap_set_timeout(impl_->handle.Get(), kBlockTimeoutMs);
    if (pcap_set_buffer_size(impl_->handle.Get(), kKernelBufferBytes) != 0) {
        base::WriteTrafficLogError("setsockopt(SO_RCVBUF) failed，error no = %d \n", EINVAL);
    }
    const int activated = pcap_activate(impl_->handle.Get());
    if (activated < 0) {
        lastError_ = KeptAsOsError(ActivationError(activated));
        base::WriteTrafficLog(base::FormatText(128, "pcap_activate(%s): %s\n", device.c_str(),
                                               pcap_geterr(impl_->handle.Get())));
        base::WriteTrafficLogError("bind failed，error no = %d \n", lastError_);
        Close();
        return static_cast<int>(lastError_);
    }
    // libpcap's own read time-out does not end a read on a quiet interface: Receive polls the handle's
    // descriptor with its own time-out and reads without blocking.
    impl_->descriptor = pcap_get_selectable_fd(impl_->handle.Get());
    if (impl_->descriptor < 0 || pcap_setnonblock(impl_->handle.Get(), 1, errorText) != 0) {
        lastError_ = KeptAsOsError(EINVAL);
        base::WriteTrafficLogError("setsockopt(SO_RCVTIMEO) failed，error no = %d \n", lastError_);
        Close();
        return -1;
    }
    impl_->linkType = pcap_datalink(impl_->handle.Get());
    bpf_program program;
    if (pcap_compile(impl_->handle.Get(), &program, "ip", 1, PCAP_NETMASK_UNKNOWN) != 0) {
        lastError_ = KeptAsOsError(EINVAL);
        base::WriteTrafficLogError("pcap_compile(ip) failed，error no = %d \n", lastError_);
        Close();
        return -1;
    }
    const int filtered = pcap_setfilter(impl_->handle.Get(), &program);
    pcap_freecode(&program);
    if (filtered != 0) {
        lastError_ = KeptAsOsError(errno != 0 ? static_cast<std::uint32_t>(errno) : EINVAL);
        base::WriteTrafficLogError("pcap_setfilter(ip) failed，error no = %d \n", lastError_);
        Close();
        return -1;
    }
    return 0;
}

namespace {

// Where pcap_dispatch's callback puts the packets of one receive.
struct BatchSink {
    int linkType;
    std::span<std::uint8_t> buffer;
    std::size_t used;
    std::vector<std::int32_t>* lengths;
};

// Copies the IPv4 packet of one frame straight from the kernel's ring into the receive buffer.
void CopyPacket(u_char* user, const pcap_pkthdr* header, const u_char* frame) {
    BatchSink& sink = *reinterpret_cast<BatchSink*>(user);
    // The filter lets only IPv4 through, but a link type this build does not know yields nothing.
    const auto packet = StripLinkLayer(sink.linkType, {frame, header->caplen});
    if (!packet) {
        return;
    }
    // The count asked of pcap_dispatch lets every frame fit; a packet is cut rather than overrun.
    const std::size_t length = std::min(packet->size(), sink.buffer.size() - sink.used);
    if (length == 0) {
        return;
    }
    std::memcpy(sink.buffer.data() + sink.used, packet->data(), length);
    sink.used += length;
    sink.lengths->push_back(static_cast<std::int32_t>(length));
}

}  // namespace

int Capture::Receive(std::span<std::uint8_t> buffer) {
    std::vector<std::int32_t> lengths;
    const int received = ReceivePackets(*impl_, lastError_, buffer, 1, lengths);
    impl_->RefreshDrops(received);
    return received;
}

int Capture::ReceiveBatch(std::span<std::uint8_t> buffer, std::vector<std::int32_t>& lengths) {
    // No frame is longer than the snapshot: this many always fit.
    const int most = std::max<int>(1, static_cast<int>(buffer.size() / kSnapshotBytes));
    const int received = ReceivePackets(*impl_, lastError_, buffer, most, lengths);
    impl_->RefreshDrops(received);
    return received;
}

std::uint64_t Capture::Dropped() const {
    return impl_->dropped.load(std::memory_order_relaxed);
}

namespace {

int ReceivePackets(Capture::Impl& impl, std::uint32_t& lastError, std::span<std::uint8_t> buffer, int most,
                   std::vector<std::int32_t>& lengths) {
    using Clock = std::chrono::steady_clock;
    lengths.clear();
    BatchSink sink{impl.linkType, buffer, 0, &lengths};
    // The clock is read only once the ring is found empty: a busy capture never needs it.
    std::optional<Clock::time_point> deadline;
    const auto due = [&] {
        if (!deadline) {
            deadline = Clock::now() + std::chrono::milliseconds(Capture::kReceiveTimeoutMs);
        }
        return *deadline;
    };
    // A handle whose interface has gone fails every read at once: a failure takes the whole time-out,
    // as a quiet interface does, so that the sniffer's loop does not spin on it.
    const auto failed = [&](int error) {
        lastError = static_cast<std::uint32_t>(error);
        std::this_thread::sleep_until(due());
        return -1;
    };
    while (true) {
        const int status =
            pcap_dispatch(impl.handle.Get(), most, CopyPacket, reinterpret_cast<u_char*>(&sink));
        if (status < 0) {
            return failed(errno != 0 ? errno : EIO);
        }
        if (!lengths.empty()) {
            return static_cast<int>(sink.used);
        }
        if (status > 0) {
            continue;  // frames without an IPv4 packet: more may be ready
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(due() - Clock::now()).count();
        if (left <= 0) {
            return 0;
        }
        pollfd ready{impl.descriptor, POLLIN, 0};
        const int polled = poll(&ready, 1, static_cast<int>(left));
        if (polled < 0 && errno != EINTR) {
            return failed(errno);
        }
        if (polled == 0) {
            return 0;
        }
    }
}

}  // namespace

}  // namespace engine
