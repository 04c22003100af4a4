#include <fcntl.h>
#include <linux/perf_event.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/scoped_handle_linux.h"
#include "engine/proc_read_linux.h"
#include "engine/socket_close_events.h"
#include "engine/socket_close_parse.h"

namespace engine {

static_assert(perf::kHeaderSize == sizeof(perf_event_header));
static_assert(perf::kRecordLost == PERF_RECORD_LOST && perf::kRecordSample == PERF_RECORD_SAMPLE);

namespace {

constexpr char kTracing[] = "/sys/kernel/tracing";
constexpr char kTracingEvents[] = "/sys/kernel/tracing/events";
constexpr char kSetStateId[] = "/sys/kernel/tracing/events/sock/inet_sock_set_state/id";
constexpr char kSetStateFormat[] = "/sys/kernel/tracing/events/sock/inet_sock_set_state/format";
constexpr char kOnlineCpus[] = "/sys/devices/system/cpu/online";
// Data pages per CPU, a power of two as perf requires: room for some hundreds of closes between polls.
constexpr std::size_t kRingPages = 8;
// Lets the kernel drop the changes that are not closes before they take room in the rings; the
// parser checks again, so a kernel that refuses the filter only costs room.
constexpr char kCloseFilter[] =
    "family == 2 && protocol == 6 && (newstate == 4 || newstate == 9 || newstate == 7)";

std::uint32_t Errno() {
    return static_cast<std::uint32_t>(errno);
}

struct Unmap {
    std::size_t size = 0;
    void operator()(void* p) const { munmap(p, size); }
};

// One CPU's event and its ring: a metadata page, then the data pages.
struct CpuRing {
    base::ScopedFd fd;
    std::unique_ptr<void, Unmap> map;
};

// A fresh boot may leave the tracing file system unmounted; the tracepoint's id and format are only
// found there. The mount stays, where other tracing tools expect it.
std::uint32_t MountTracingIfMissing() {
    struct stat st;
    if (stat(kTracingEvents, &st) == 0) {
        return 0;
    }
    return mount("nodev", kTracing, "tracefs", 0, nullptr) == 0 ? 0 : Errno();
}

class LinuxSocketCloseEvents final : public ISocketCloseEvents {
  public:
    LinuxSocketCloseEvents()
        : wake_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), wakeError_(wake_.Get() < 0 ? Errno() : 0) {}
    ~LinuxSocketCloseEvents() override { Stop(); }

    std::uint32_t Start() override {
        Stop();
        lost_.store(0, std::memory_order_relaxed);
        if (wakeError_ != 0) {
            return wakeError_;
        }
        std::uint32_t result = MountTracingIfMissing();
        if (result != 0) {
            return result;
        }
        std::string idText, formatText, cpuText;
        if ((result = ReadProcFile(AT_FDCWD, kSetStateId, idText)) != 0 ||
            (result = ReadProcFile(AT_FDCWD, kSetStateFormat, formatText)) != 0 ||
            (result = ReadProcFile(AT_FDCWD, kOnlineCpus, cpuText)) != 0) {
            return result;
        }
        const auto id = ParseTraceId(idText);
        const auto layout = SetStateLayoutFrom(formatText);
        const auto cpus = ParseCpuList(cpuText);
        if (!id || !layout || !cpus) {
            return EPROTO;  // a layout this reader does not know
        }
        layout_ = *layout;
        pageSize_ = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        // CPUs that come online later are not watched; their closes are left to the tables.
        for (const std::uint32_t cpu : *cpus) {
            if ((result = OpenRing(*id, cpu)) != 0) {
                Stop();
                return result;
            }
        }
        for (const CpuRing& ring : rings_) {
            if (ioctl(ring.fd.Get(), PERF_EVENT_IOC_ENABLE, 0) != 0) {
                result = Errno();
                Stop();
                return result;
            }
        }
        return 0;
    }

    std::uint32_t Poll(std::uint32_t timeoutMs, std::vector<SocketCloseEvent>& events) override {
        events.clear();
        if (rings_.empty()) {
            return EBADF;
        }
        DrainRings(events);
        if (!events.empty()) {
            return 0;
        }
        std::vector<pollfd> fds;
        fds.reserve(rings_.size() + 1);
        fds.push_back({wake_.Get(), POLLIN, 0});
        for (const CpuRing& ring : rings_) {
            fds.push_back({ring.fd.Get(), POLLIN, 0});
        }
        const int timeout = static_cast<int>(std::min<std::uint32_t>(timeoutMs, 0x7FFFFFFF));
        if (poll(fds.data(), fds.size(), timeout) < 0) {
            return errno == EINTR ? 0 : Errno();
        }
        if (fds[0].revents & POLLIN) {
            std::uint64_t count;
            (void)!read(wake_.Get(), &count, sizeof count);
        }
        DrainRings(events);
        return 0;
    }

    void Interrupt() override {
        const std::uint64_t one = 1;
        (void)!write(wake_.Get(), &one, sizeof one);
    }

    void Stop() override { rings_.clear(); }

    std::uint64_t Lost() const override { return lost_.load(std::memory_order_relaxed); }

  private:
    std::uint32_t OpenRing(std::uint64_t id, std::uint32_t cpu) {
        perf_event_attr attr{};
        attr.type = PERF_TYPE_TRACEPOINT;
        attr.size = sizeof attr;
        attr.config = id;
        attr.sample_period = 1;
        // PERF_SAMPLE_TID's pid is the thread group: the process that closed, whichever thread it was.
        attr.sample_type = PERF_SAMPLE_TID | PERF_SAMPLE_RAW;
        attr.wakeup_events = 1;
        attr.disabled = 1;
        CpuRing ring;
        ring.fd = base::ScopedFd(static_cast<int>(
            syscall(SYS_perf_event_open, &attr, -1, static_cast<int>(cpu), -1, PERF_FLAG_FD_CLOEXEC)));
        if (ring.fd.Get() < 0) {
            return Errno();
        }
        ioctl(ring.fd.Get(), PERF_EVENT_IOC_SET_FILTER, kCloseFilter);
        const std::size_t size = (kRingPages + 1) * pageSize_;
        void* map = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, ring.fd.Get(), 0);
        if (map == MAP_FAILED) {
            return Errno();
        }
        ring.map = std::unique_ptr<void, Unmap>(map, Unmap{size});
        rings_.push_back(std::move(ring));
        return 0;
    }

    void DrainRings(std::vector<SocketCloseEvent>& events) {
        for (CpuRing& ring : rings_) {
            Drain(ring, events);
        }
    }

    // Takes every record the kernel has written and hands the room back.
    void Drain(CpuRing& ring, std::vector<SocketCloseEvent>& events) {
        auto* meta = static_cast<perf_event_mmap_page*>(ring.map.get());
        const auto* data = static_cast<const std::uint8_t*>(ring.map.get()) + pageSize_;
        const std::size_t dataSize = kRingPages * pageSize_;
        const std::uint64_t head = __atomic_load_n(&meta->data_head, __ATOMIC_ACQUIRE);
        std::uint64_t tail = meta->data_tail;
        while (head - tail >= sizeof(perf_event_header)) {
            perf_event_header header;
            CopyOut(data, dataSize, tail, &header, sizeof header);
            if (header.size < sizeof header || header.size > head - tail) {
                tail = head;  // a ring out of step: drop what it holds rather than misread it
                break;
            }
            record_.resize(header.size - sizeof header);
            CopyOut(data, dataSize, tail + sizeof header, record_.data(), record_.size());
            if (header.type == PERF_RECORD_SAMPLE) {
                if (const auto event = ParseCloseSample(record_, layout_)) {
                    events.push_back(*event);
                }
            } else if (header.type == PERF_RECORD_LOST) {
                lost_.fetch_add(ParsePerfLost(record_), std::memory_order_relaxed);
            }
            tail += header.size;
        }
        __atomic_store_n(&meta->data_tail, tail, __ATOMIC_RELEASE);
    }

    // A record may wrap around the end of the ring.
    static void CopyOut(const std::uint8_t* data, std::size_t dataSize, std::uint64_t position, void* out,
                        std::size_t size) {
        const std::size_t offset = static_cast<std::size_t>(position % dataSize);
        const std::size_t first = std::min(size, dataSize - offset);
        std::memcpy(out, data + offset, first);
        std::memcpy(static_cast<std::uint8_t*>(out) + first, data, size - first);
    }

    base::ScopedFd wake_;
    std::uint32_t wakeError_;
    std::vector<CpuRing> rings_;
    SetStateLayout layout_;
    std::size_t pageSize_ = 4096;
    std::vector<std::uint8_t> record_;
    std::atomic<std::uint64_t> lost_{0};
};

}  // namespace

std::unique_ptr<ISocketCloseEvents> CreateSocketCloseEvents() {
    return std::make_unique<LinuxSocketCloseEvents>();
}

}  // namespace engine
