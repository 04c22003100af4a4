#include <windows.h>

#include <memory>

#include "engine/socket_close_events.h"

namespace engine {
namespace {

// Windows names no closing process without a kernel tracing session of its own; the owner tables'
// polling covers it, so this source never starts.
class WinSocketCloseEvents final : public ISocketCloseEvents {
  public:
    std::uint32_t Start() override { return ERROR_NOT_SUPPORTED; }
    std::uint32_t Poll(std::uint32_t, std::vector<SocketCloseEvent>& events) override {
        events.clear();
        return ERROR_NOT_SUPPORTED;
    }
    void Interrupt() override {}
    void Stop() override {}
    std::uint64_t Lost() const override { return 0; }
};

}  // namespace

std::unique_ptr<ISocketCloseEvents> CreateSocketCloseEvents() {
    return std::make_unique<WinSocketCloseEvents>();
}

}  // namespace engine
