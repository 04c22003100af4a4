// The metrics endpoint on Linux: cpp-httplib's server. Headers and request line are capped by the
// library (8 KB each, 414/431 beyond); the body by kMaxRequestBytes (413 beyond).

#include <atomic>
#include <thread>

#include "base/text.h"
#include "base/traffic_log.h"
#include "metrics/metrics_server.h"

#include <httplib.h>

namespace metrics {
namespace {

// At most kServingThreads connections are served at once and kMaxWaiting wait for a thread; beyond
// that the accepting thread serves the connection itself, so it accepts no more until one ends and the
// rest wait in the kernel's listen queue.
class BoundedPool final : public httplib::TaskQueue {
  public:
    static constexpr int kMaxWaiting = 4;

    BoundedPool() : pool_(MetricsServer::kServingThreads) {}

    void enqueue(std::function<void()> serve) override {
        if (waiting_.load() >= kMaxWaiting) {
            serve();
            return;
        }
        ++waiting_;
        pool_.enqueue([this, serve = std::move(serve)] {
            --waiting_;
            serve();
        });
    }
    void shutdown() override { pool_.shutdown(); }

  private:
    httplib::ThreadPool pool_;
    std::atomic<int> waiting_{0};
};

}  // namespace

struct MetricsServer::Impl {
    std::function<std::string()> exposition;
    httplib::Server server;
    std::thread listener;
    std::atomic<std::uint16_t> port{0};
};

MetricsServer::MetricsServer(std::function<std::string()> exposition) : impl_(std::make_unique<Impl>()) {
    impl_->exposition = std::move(exposition);
    httplib::Server& server = impl_->server;
    server.new_task_queue = [] { return new BoundedPool; };
    server.set_payload_max_length(kMaxRequestBytes);
    server.set_keep_alive_timeout(2);
    server.set_read_timeout(2);
    server.set_write_timeout(2);
    server.Get("/metrics", [this](const httplib::Request&, httplib::Response& response) {
        response.set_content(impl_->exposition(), "text/plain; version=0.0.4; charset=utf-8");
    });
}

MetricsServer::~MetricsServer() {
    Stop();
}

bool MetricsServer::Start(const ListenAddress& address) {
    httplib::Server& server = impl_->server;
    const int port = address.port == 0
                         ? server.bind_to_any_port(address.host)
                         : (server.bind_to_port(address.host, address.port) ? address.port : -1);
    if (port <= 0) {
        base::WriteTrafficLog(u"metrics endpoint: cannot listen on " + base::Utf8ToUtf16(address.host) +
                              u":" + base::Utf8ToUtf16(std::to_string(address.port)) + u"\n");
        return false;
    }
    impl_->port = static_cast<std::uint16_t>(port);
    impl_->listener = std::thread([&server] { server.listen_after_bind(); });
    return true;
}

std::uint16_t MetricsServer::Port() const {
    return impl_->port;
}

void MetricsServer::Stop() {
    if (impl_->listener.joinable()) {
        impl_->server.stop();
        impl_->listener.join();
        impl_->port = 0;
    }
}

}  // namespace metrics
