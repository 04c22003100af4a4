// kvt_e2e_traffic: the traffic of the end-to-end tests, with exact payload counts. One process is one
// role, so that the monitor's per-process figures can be held against what the process itself moved.
//
//   kvt_e2e_traffic client tcp|udp send|recv ADDR PORT [BYTES] [options]
//   kvt_e2e_traffic serve  tcp|udp send|recv PORT [BYTES] [options]
//   kvt_e2e_traffic hold PORT [ADDR] [--seconds S]
//
// A client first makes the monitor see its port (TCP: the connection; UDP: a 1-byte "h" datagram),
// waits --warmup seconds (default 2.5: the monitor learns a new port within 500 ms and ignores a port it
// missed for 2 s), then sends its BYTES or asks for the server's with a 1-byte "g". A UDP sender ends
// with an empty datagram. BYTES 0 sends until --seconds are up or SIGTERM. When done the process prints
// "sent=N received=M" (payload bytes, everything it sent or received), then lingers --linger seconds
// with its socket open. "hold" keeps a UDP port bound (and sends a 1-byte datagram to ADDR:PORT every
// second, so that the port is seen in use). Every run ends after --seconds (default 60).

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
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

struct Options {
    bool client = false;
    bool tcp = false;
    bool send = false;
    std::string address;
    std::uint16_t port = 0;
    std::uint64_t bytes = 0;
    double rate = 0;  // bytes a second, 0: as fast as it goes
    std::size_t size = 1400;
    double warmup = 2.5;
    double linger = 0;
    double seconds = 60;
};

struct Counts {
    std::uint64_t sent = 0;
    std::uint64_t received = 0;
};

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "kvt_e2e_traffic: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

[[noreturn]] void Usage(const std::string& what) {
    std::fprintf(stderr, "kvt_e2e_traffic: %s\n", what.c_str());
    std::exit(2);
}

void SleepFor(double seconds) {
    const auto until = Clock::now() + std::chrono::duration<double>(seconds);
    while (!stopRequested && Clock::now() < until) {
        std::this_thread::sleep_for(
            std::min<std::chrono::duration<double>>(until - Clock::now(), std::chrono::milliseconds(50)));
    }
}

sockaddr_in Address(const std::string& host, std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    if (host.empty()) {
        a.sin_addr.s_addr = htonl(INADDR_ANY);
    } else if (inet_pton(AF_INET, host.c_str(), &a.sin_addr) != 1) {
        Usage("not an IPv4 address: " + host);
    }
    return a;
}

int Socket(bool tcp) {
    const int fd = socket(AF_INET, tcp ? SOCK_STREAM : SOCK_DGRAM, 0);
    if (fd < 0) {
        Fail("socket");
    }
    // Large buffers keep a paced UDP stream from being dropped at the socket after the capture saw it.
    const int buffer = 8 << 20;
    if (setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &buffer, sizeof buffer) != 0) {
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    }
    const int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    return fd;
}

// Waits until fd is readable; false when the time is up or a stop was asked for.
bool Readable(int fd, Clock::time_point deadline) {
    while (!stopRequested) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return false;
        }
        pollfd p{fd, POLLIN, 0};
        const int r = poll(&p, 1, static_cast<int>(std::min<long long>(left, 200)));
        if (r > 0) {
            return true;
        }
        if (r < 0 && errno != EINTR) {
            Fail("poll");
        }
    }
    return false;
}

// Sends `bytes` (0: until the deadline or a stop) at the options' pace, as TCP stream writes or UDP
// datagrams of the options' size.
void SendPaced(int fd, const Options& o, std::uint64_t bytes, Clock::time_point deadline, Counts& counts) {
    std::vector<char> chunk(o.tcp ? 64 * 1024 : o.size, 'd');
    const auto start = Clock::now();
    std::uint64_t done = 0;
    while (!stopRequested && Clock::now() < deadline && (bytes == 0 || done < bytes)) {
        const std::size_t n =
            bytes == 0 ? chunk.size()
                       : static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), bytes - done));
        const ssize_t w = send(fd, chunk.data(), n, MSG_NOSIGNAL);
        if (w < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (!o.tcp && (errno == ENOBUFS || errno == EAGAIN || errno == ECONNREFUSED)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            Fail("send");
        }
        done += static_cast<std::uint64_t>(w);
        counts.sent += static_cast<std::uint64_t>(w);
        if (o.rate > 0) {
            const auto due = start + std::chrono::duration_cast<Clock::duration>(
                                         std::chrono::duration<double>(static_cast<double>(done) / o.rate));
            if (due > Clock::now()) {
                std::this_thread::sleep_until(due);
            }
        }
    }
}

// Receives until the stream ends (TCP) or an empty datagram comes (UDP), or the deadline.
void ReceiveAll(int fd, bool tcp, Clock::time_point deadline, Counts& counts) {
    std::vector<char> buffer(256 * 1024);
    while (Readable(fd, deadline)) {
        const ssize_t r = recv(fd, buffer.data(), buffer.size(), 0);
        if (r < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (!tcp && errno == ECONNREFUSED) {
                continue;
            }
            Fail("recv");
        }
        if (r == 0) {
            return;
        }
        counts.received += static_cast<std::uint64_t>(r);
    }
}

void SendByte(int fd, char byte, Counts& counts) {
    if (send(fd, &byte, 1, MSG_NOSIGNAL) != 1) {
        Fail("send");
    }
    ++counts.sent;
}

Counts RunClient(const Options& o, Clock::time_point deadline) {
    Counts counts;
    const int fd = Socket(o.tcp);
    const sockaddr_in peer = Address(o.address, o.port);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
        Fail("connect to " + o.address + ":" + std::to_string(o.port));
    }
    if (!o.tcp) {
        SendByte(fd, 'h', counts);
    }
    SleepFor(o.warmup);
    if (o.send) {
        SendPaced(fd, o, o.bytes, deadline, counts);
        if (o.tcp) {
            // The server closes once it has read everything.
            shutdown(fd, SHUT_WR);
            ReceiveAll(fd, true, deadline, counts);
        } else {
            send(fd, "", 0, MSG_NOSIGNAL);
        }
    } else {
        SendByte(fd, 'g', counts);
        ReceiveAll(fd, o.tcp, deadline, counts);
    }
    std::printf("sent=%llu received=%llu\n", static_cast<unsigned long long>(counts.sent),
                static_cast<unsigned long long>(counts.received));
    std::fflush(stdout);
    SleepFor(o.linger);
    close(fd);
    return counts;
}

Counts RunServer(const Options& o, Clock::time_point deadline) {
    Counts counts;
    const int listener = Socket(o.tcp);
    const sockaddr_in local = Address("", o.port);
    if (bind(listener, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        Fail("bind to port " + std::to_string(o.port));
    }
    int fd = listener;
    if (o.tcp) {
        if (listen(listener, 1) != 0) {
            Fail("listen");
        }
        std::printf("listening\n");
        std::fflush(stdout);
        if (!Readable(listener, deadline)) {
            Usage("no client came");
        }
        fd = accept(listener, nullptr, nullptr);
        if (fd < 0) {
            Fail("accept");
        }
    } else {
        std::printf("listening\n");
        std::fflush(stdout);
    }
    if (o.send) {
        // Wait for the client's "g" (a UDP client's "h" comes first and only counts).
        char byte = 0;
        sockaddr_in client{};
        socklen_t length = sizeof client;
        while (byte != 'g') {
            if (!Readable(fd, deadline)) {
                Usage("no request came");
            }
            const ssize_t r = recvfrom(fd, &byte, 1, 0, reinterpret_cast<sockaddr*>(&client), &length);
            if (r <= 0) {
                Fail("recv");
            }
            counts.received += static_cast<std::uint64_t>(r);
        }
        if (!o.tcp && connect(fd, reinterpret_cast<const sockaddr*>(&client), length) != 0) {
            Fail("connect back");
        }
        SendPaced(fd, o, o.bytes, deadline, counts);
        if (!o.tcp) {
            send(fd, "", 0, MSG_NOSIGNAL);
        }
    } else {
        ReceiveAll(fd, o.tcp, deadline, counts);
    }
    std::printf("sent=%llu received=%llu\n", static_cast<unsigned long long>(counts.sent),
                static_cast<unsigned long long>(counts.received));
    std::fflush(stdout);
    close(fd);
    return counts;
}

void RunHold(const Options& o) {
    const int fd = Socket(false);
    const sockaddr_in local = Address("", o.port);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        Fail("bind to port " + std::to_string(o.port));
    }
    std::printf("holding\n");
    std::fflush(stdout);
    const auto until = Clock::now() + std::chrono::duration<double>(o.seconds);
    while (!stopRequested && Clock::now() < until) {
        if (!o.address.empty()) {
            const sockaddr_in peer = Address(o.address, o.port);
            sendto(fd, "k", 1, 0, reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
        }
        SleepFor(1);
    }
    close(fd);
}

double Number(const char* text, const std::string& what) {
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || value < 0) {
        Usage(what + " needs a number, not '" + text + "'");
    }
    return value;
}

Options Parse(int argc, char** argv) {
    Options o;
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--", 0) == 0) {
            if (i + 1 >= argc) {
                Usage(a + " needs a value");
            }
            const double v = Number(argv[++i], a);
            if (a == "--rate") {
                o.rate = v;
            } else if (a == "--size") {
                o.size = static_cast<std::size_t>(v);
            } else if (a == "--warmup") {
                o.warmup = v;
            } else if (a == "--linger") {
                o.linger = v;
            } else if (a == "--seconds") {
                o.seconds = v;
            } else {
                Usage("unknown option " + a);
            }
        } else {
            words.push_back(a);
        }
    }
    if ((words.size() == 2 || words.size() == 3) && words[0] == "hold") {
        o.port = static_cast<std::uint16_t>(Number(words[1].c_str(), "PORT"));
        if (words.size() == 3) {
            o.address = words[2];
        }
        return o;
    }
    const std::size_t need = words.size() > 0 && words[0] == "client" ? 5 : 4;
    if (words.size() < need || words.size() > need + 1 || (words[0] != "client" && words[0] != "serve") ||
        (words[1] != "tcp" && words[1] != "udp") || (words[2] != "send" && words[2] != "recv") ||
        o.size == 0 || o.size > 65000) {
        Usage(
            "usage: client tcp|udp send|recv ADDR PORT [BYTES] | serve tcp|udp send|recv PORT [BYTES] | "
            "hold PORT, with --rate B/s --size N --warmup S --linger S --seconds S");
    }
    o.client = words[0] == "client";
    o.tcp = words[1] == "tcp";
    o.send = words[2] == "send";
    if (o.client) {
        o.address = words[3];
    }
    o.port = static_cast<std::uint16_t>(Number(words[need - 1].c_str(), "PORT"));
    if (words.size() > need) {
        o.bytes = static_cast<std::uint64_t>(Number(words[need].c_str(), "BYTES"));
    }
    return o;
}

void OnStop(int) {
    stopRequested = 1;
}

}  // namespace

int main(int argc, char** argv) {
    const Options o = Parse(argc, argv);
    struct sigaction stop {};
    stop.sa_handler = OnStop;
    sigaction(SIGTERM, &stop, nullptr);
    sigaction(SIGINT, &stop, nullptr);
    // A hard bound on every run, whatever blocks.
    alarm(static_cast<unsigned>(o.seconds + o.linger + o.warmup) + 10);
    const auto deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(o.seconds));
    if (argc > 1 && std::string(argv[1]) == "hold") {
        RunHold(o);
    } else if (o.client) {
        RunClient(o, deadline);
    } else {
        RunServer(o, deadline);
    }
    return 0;
}
