#include "engine/capture_set.h"

#include <new>

#include "base/text.h"
#include "base/traffic_log.h"
#include "engine/capture_threads.h"

namespace engine {

CaptureSet::CaptureSet(const SnifferLinks& links) : links_(links) {}

CaptureSet::~CaptureSet() {
    for (auto& context : contexts_) {
        if (context->snifferThread.IsStarted()) {
            context->snifferThread.Join(base::WorkerThread::kShutdownWaitMs);
        }
        if (context->decoderThread.IsStarted()) {
            context->decoderThread.Join(base::WorkerThread::kShutdownWaitMs);
        }
        context->capture.Close();
        context.reset();
    }
    contexts_.clear();
}

int CaptureSet::LaunchCaptures(std::span<const std::u16string> adapterNames,
                               std::span<const std::vector<std::uint32_t>> adapterAddressLists) {
    for (std::size_t i = 0; i < adapterNames.size(); ++i) {
        if (i >= adapterAddressLists.size() || adapterAddressLists[i].empty()) {
            continue;
        }
        std::unique_ptr<SnifferContext> owned(new (std::nothrow) SnifferContext(links_, queue_));
        if (!owned) {
            continue;
        }
        SnifferContext* context = owned.get();
        context->adapterName = adapterNames[i];
        context->address = adapterAddressLists[i].front();
        context->port = static_cast<std::uint16_t>(kSnifferBasePort + i);
        context->primary = i == 0 ? 1 : 0;
        contexts_.push_back(std::move(owned));

        const int opened =
            InitNetwork(context->capture, context->adapterName, context->port, context->address);
        if (opened != 0) {
            base::WriteTrafficLogError("InitNetwork failed，error no = %d \n", context->capture.LastError());
            links_.quitEvent.Set();
            return opened;
        }
        if (!context->snifferThread.Start([context] { SnifferThreadProc(*context); })) {
            const std::uint32_t error = context->snifferThread.LastError();
            base::WriteTrafficLogError("CreateThread(SnifferThreadProc) failed，error no = %d \n", error);
            return static_cast<int>(error);
        }
        if (!decoderStarted_) {
            if (!context->decoderThread.Start([context] { DealWithRecvData(*context); })) {
                const std::uint32_t error = context->decoderThread.LastError();
                base::WriteTrafficLogError("CreateThread(DealWithRecvData) failed，error no = %d \n", error);
                return static_cast<int>(error);
            }
            decoderStarted_ = true;
        }
    }
    return 0;
}

}  // namespace engine
