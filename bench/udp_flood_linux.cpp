// kvt_udp_flood: small UDP datagrams at a fixed packet rate, or as fast as sendmmsg goes, with exact
// counts of what was sent; and the sink that keeps the far end's port bound.
//
//   kvt_udp_flood send ADDR PORT [--size B] [--rate PPS] [--count N] [--seconds S] [--batch K]
//                                [--warmup S]
//   kvt_udp_flood sink PORT [--seconds S]
//
// "send" first sends one 1-byte probe datagram (the port's first packet: a monitor learns the new port
// from it), waits --warmup seconds (default 0), then sends datagrams of --size bytes (default 64) until
// --count of them (default 1 000 000), --seconds (default 30, the warm-up included) or SIGINT/SIGTERM,
// whichever comes first; --rate 0 (the default) sends as fast as it can, in batches of --batch (default
// 64). It prints one line: "first_us=T datagrams=D bytes=B seconds=S": T is the wall-clock time of the
// probe in microseconds, D and B the datagrams and payload bytes sent after the warm-up (the probe not
// included), S the time they took. "sink" binds the port and holds it without reading (the kernel drops
// what the socket cannot hold, and no ICMP error goes back) for --seconds (default 60).

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

volatile sig_atomic_t stopRequested = 0;

void OnSignal(int) {
    stopRequested = 1;
}

struct Options {
    bool send = false;
    std::string address;
    std::uint16_t port = 0;
    std::size_t size = 64;
    double rate = 0;
    std::uint64_t count = 1000000;
    double seconds = 30;
    unsigned batch = 64;
    double warmup = 0;
};

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "kvt_udp_flood: %s: %s\n", what, std::strerror(errno));
    std::exit(1);
}

[[noreturn]] void Usage(const std::string& what) {
    std::fprintf(stderr,
                 "kvt_udp_flood: %s\nusage: kvt_udp_flood send ADDR PORT [--size B] [--rate PPS] "
                 "[--count N] [--seconds S] [--batch K] [--warmup S]\n       kvt_udp_flood sink PORT "
                 "[--seconds S]\n",
                 what.c_str());
    std::exit(2);
}

double Number(const char* text, double low, double high, const char* what) {
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text, &end);
    if (errno != 0 || end == text || *end != '\0' || value < low || value > high) {
        Usage(std::string("bad ") + what + ": " + text);
    }
    return value;
}

Options Parse(int argc, char** argv) {
    Options o;
    if (argc < 3) {
        Usage("missing arguments");
    }
    const std::string mode = argv[1];
    int at = 2;
    if (mode == "send") {
        if (argc < 4) {
            Usage("send needs ADDR PORT");
        }
        o.send = true;
        o.address = argv[at++];
    } else if (mode != "sink") {
        Usage("unknown mode " + mode);
    } else {
        o.seconds = 60;
    }
    o.port = static_cast<std::uint16_t>(Number(argv[at++], 1, 65535, "port"));
    for (; at < argc; ++at) {
        const std::string name = argv[at];
        if (at + 1 >= argc) {
            Usage("missing value of " + name);
        }
        const char* value = argv[++at];
        if (name == "--size") {
            o.size = static_cast<std::size_t>(Number(value, 1, 65507, "size"));
        } else if (name == "--rate") {
            o.rate = Number(value, 0, 1e8, "rate");
        } else if (name == "--count") {
            o.count = static_cast<std::uint64_t>(Number(value, 1, 1e12, "count"));
        } else if (name == "--seconds") {
            o.seconds = Number(value, 0.1, 86400, "seconds");
        } else if (name == "--batch") {
            o.batch = static_cast<unsigned>(Number(value, 1, 1024, "batch"));
        } else if (name == "--warmup") {
            o.warmup = Number(value, 0, 3600, "warmup");
        } else {
            Usage("unknown option " + name);
        }
    }
    return o;
}

std::int64_t WallMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

int Sink(const Options& o) {
    const int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (s < 0) {
        Fail("socket");
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(o.port);
    if (bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        Fail("bind");
    }
    std::printf("listening\n");
    std::fflush(stdout);
    const auto until = Clock::now() + std::chrono::duration<double>(o.seconds);
    while (stopRequested == 0 && Clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    close(s);
    return 0;
}

int Send(const Options& o) {
    const int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (s < 0) {
        Fail("socket");
    }
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(o.port);
    if (inet_pton(AF_INET, o.address.c_str(), &peer.sin_addr) != 1) {
        Usage("bad address " + o.address);
    }
    if (connect(s, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
        Fail("connect");
    }
    // Every datagram of a batch points at the same payload: only the counts matter.
    std::vector<std::uint8_t> payload(o.size, 'x');
    iovec io{payload.data(), payload.size()};
    std::vector<mmsghdr> batch(o.batch);
    for (mmsghdr& m : batch) {
        m = mmsghdr{};
        m.msg_hdr.msg_iov = &io;
        m.msg_hdr.msg_iovlen = 1;
    }

    const auto begin = Clock::now();
    const auto until = begin + std::chrono::duration<double>(o.seconds);
    std::int64_t firstUs = -1;
    const std::uint8_t probe = 'h';
    while (firstUs < 0 && stopRequested == 0 && Clock::now() < until) {
        if (send(s, &probe, 1, 0) == 1) {
            firstUs = WallMicroseconds();
        } else if (errno != EINTR && errno != ENOBUFS && errno != EAGAIN && errno != ECONNREFUSED) {
            Fail("send");
        }
    }
    const auto warm = Clock::now() + std::chrono::duration<double>(o.warmup);
    while (stopRequested == 0 && Clock::now() < std::min(warm, until)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    const auto start = Clock::now();
    std::uint64_t sent = 0;
    while (stopRequested == 0 && sent < o.count) {
        const auto now = Clock::now();
        if (now >= until) {
            break;
        }
        unsigned want = static_cast<unsigned>(std::min<std::uint64_t>(o.batch, o.count - sent));
        if (o.rate > 0) {
            // Paced: the datagrams due by now, at most one batch; sleep when none is due.
            const double elapsed = std::chrono::duration<double>(now - start).count();
            const auto due = static_cast<std::uint64_t>(elapsed * o.rate) + 1;
            if (due <= sent) {
                const double wait = static_cast<double>(sent + 1) / o.rate - elapsed;
                std::this_thread::sleep_for(std::chrono::duration<double>(std::min(wait, 0.01)));
                continue;
            }
            want = static_cast<unsigned>(std::min<std::uint64_t>(want, due - sent));
        }
        const int done = sendmmsg(s, batch.data(), want, 0);
        if (done < 0) {
            if (errno == EINTR || errno == ENOBUFS || errno == EAGAIN || errno == ECONNREFUSED) {
                continue;
            }
            Fail("sendmmsg");
        }
        sent += static_cast<std::uint64_t>(done);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    close(s);
    std::printf("first_us=%lld datagrams=%llu bytes=%llu seconds=%.3f\n", static_cast<long long>(firstUs),
                static_cast<unsigned long long>(sent), static_cast<unsigned long long>(sent * o.size), seconds);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const Options o = Parse(argc, argv);
    struct sigaction action{};
    action.sa_handler = OnSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    return o.send ? Send(o) : Sink(o);
}
