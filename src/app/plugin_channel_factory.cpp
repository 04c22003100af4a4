#include "app/plugin_channel_factory.h"

#include "ipc/comm_if.h"

namespace app {

engine::PluginChannelFactory MakePluginChannelFactory(ipc::IMonitorRequests& requests) {
    return [&requests](std::u16string_view pipeName) -> std::unique_ptr<engine::IPluginChannel> {
        auto channel = std::make_unique<ipc::CCommIF>(requests);
        if (channel->Init(pipeName) == 0) {
            return nullptr;
        }
        return channel;
    };
}

}  // namespace app
