#pragma once

// The metrics endpoint: an HTTP server on its own threads that answers GET /metrics with the
// exposition text of a fresh snapshot, and 404 to anything else. Requests are capped in size, the
// threads serving connections are few and idle connections are closed soon, so a misbehaving client
// cannot make the monitor hold more than a handful of sockets.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace metrics {

struct ListenAddress {
    std::string host;  // an IPv4 address
    std::uint16_t port = 0;
    friend bool operator==(const ListenAddress&, const ListenAddress&) = default;
};

// "127.0.0.1:9464", or a bare port for loopback ("9464"); nothing for anything else (port 0 included).
std::optional<ListenAddress> ParseListenAddress(std::u16string_view text);

class MetricsServer {
  public:
    static constexpr std::size_t kMaxRequestBytes = 4096;
    static constexpr int kServingThreads = 2;

    // `exposition` builds the body of one answer; it runs on a serving thread.
    explicit MetricsServer(std::function<std::string()> exposition);
    ~MetricsServer();  // stops
    MetricsServer(const MetricsServer&) = delete;
    MetricsServer& operator=(const MetricsServer&) = delete;

    // Binds and starts serving; false (and logged) when the address cannot be bound.
    bool Start(const ListenAddress& address);
    // The port bound (useful when started on port 0 by tests); 0 when not serving.
    std::uint16_t Port() const;
    void Stop();

    struct Impl;

  private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace metrics
