#pragma once

// Sockets on 127.0.0.1 and child processes for the tests of the Linux tables: each is closed (or
// reaped) with its owner.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

#include "base/scoped_handle_linux.h"

namespace engine_test {

class Socket {
  public:
    explicit Socket(int fd = -1) : fd_(fd) {}
    int fd() const { return fd_.Get(); }
    void Close() { fd_.Reset(); }
    // The local port, host byte order; 0 on failure.
    std::uint16_t Port() const {
        sockaddr_in a{};
        socklen_t length = sizeof a;
        return getsockname(fd_.Get(), reinterpret_cast<sockaddr*>(&a), &length) == 0 ? ntohs(a.sin_port) : 0;
    }

  private:
    base::ScopedFd fd_;
};

inline sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    return a;
}

// A socket of `type` bound to a loopback port (or connected to it); an empty one on failure.
inline Socket BoundSocket(int type, std::uint16_t port = 0, bool connectTo = false) {
    Socket s(socket(AF_INET, type | SOCK_CLOEXEC, 0));
    const sockaddr_in a = Loopback(port);
    const auto* address = reinterpret_cast<const sockaddr*>(&a);
    const bool done = s.fd() >= 0 &&
                      (connectTo ? connect(s.fd(), address, sizeof a) : bind(s.fd(), address, sizeof a)) == 0;
    return done ? std::move(s) : Socket();
}

inline Socket Listener() {
    Socket s = BoundSocket(SOCK_STREAM);
    return s.fd() >= 0 && listen(s.fd(), 64) == 0 ? std::move(s) : Socket();
}

inline Socket ConnectTo(std::uint16_t port) {
    return BoundSocket(SOCK_STREAM, port, true);
}

// Sends `bytes` bytes to 127.0.0.1:port; false if they did not all go.
inline bool SendTo(const Socket& from, std::uint16_t port, std::size_t bytes) {
    const std::vector<char> payload(bytes, 'k');
    const sockaddr_in to = Loopback(port);
    return sendto(from.fd(), payload.data(), bytes, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) ==
           static_cast<ssize_t>(bytes);
}

inline Socket Accept(const Socket& listener) {
    return Socket(accept4(listener.fd(), nullptr, nullptr, SOCK_CLOEXEC));
}

// A child that holds what it inherited until its end of a pipe closes, or until it is killed.
class Child {
  public:
    Child() {
        int ends[2] = {-1, -1};
        (void)!pipe(ends);
        const base::ScopedFd readEnd(ends[0]);
        writeEnd_.Reset(ends[1]);
        pid_ = fork();
        if (pid_ == 0) {
            writeEnd_.Reset();
            char byte;
            (void)!read(readEnd.Get(), &byte, 1);
            _exit(0);
        }
    }
    ~Child() { Reap(); }
    std::uint32_t pid() const { return static_cast<std::uint32_t>(pid_); }
    // Lets the child end and waits for it without collecting it: it stays a zombie.
    void EndAsZombie() {
        writeEnd_.Reset();
        siginfo_t info{};
        waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT);
    }
    int Reap() {
        writeEnd_.Reset();
        int status = 0;
        if (pid_ > 0) {
            waitpid(pid_, &status, 0);
            pid_ = -1;
        }
        return status;
    }

  private:
    base::ScopedFd writeEnd_;
    pid_t pid_ = -1;
};

}  // namespace engine_test
