#include <chrono>
#include <mutex>

#include "base/event_win.h"
#include "base/scoped_handle_win.h"
#include "base/wide_win.h"
#include "ipc/named_pipe_client.h"
#include "ipc/pipe_io_win.h"

namespace ipc {

struct CNamedPipeClientCallBackMode::Shared {
    base::Event stop{base::EventReset::kManual, false};
    base::Event read{base::EventReset::kManual, true};
    base::Event write{base::EventReset::kManual, true};
    PipeCallbackSlot callback;
    PipeWriteTurn writeMutex;
};

namespace {

// Takes the handle out of the endpoint. A write or read still in flight is cancelled; the handle itself
// closes as soon as no call holds it any more.
std::shared_ptr<PipeEndpoint::Native> TakeHandle(PipeEndpoint& endpoint) {
    auto native = endpoint.Detach();
    if (native) {
        CancelIoEx(native->handle.Get(), nullptr);
    }
    return native;
}

}  // namespace

CNamedPipeClientCallBackMode::CNamedPipeClientCallBackMode()
    : endpoint_(std::make_shared<PipeEndpoint>()), shared_(std::make_shared<Shared>()) {}

CNamedPipeClientCallBackMode::~CNamedPipeClientCallBackMode() {
    shared_->stop.Set();
    TakeHandle(*endpoint_);
    if (reader_.IsStarted()) {
        reader_.JoinOrAbandon(kPipeReaderStopWaitMs);
    }
}

std::uint32_t CNamedPipeClientCallBackMode::Open(std::u16string_view pipeName) {
    TakeHandle(*endpoint_);
    const std::u16string name(pipeName);
    base::ScopedFileHandle pipe(CreateFileW(base::Wide(name), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
    if (!pipe && GetLastError() != ERROR_PIPE_BUSY) {
        endpoint_->Fail(kPipeTextCreateFileFailed, GetLastError());
        return 0;
    }
    // A busy pipe gets here without a handle, and the read-mode step is where it fails.
    DWORD mode = PIPE_READMODE_MESSAGE;
    if (!SetNamedPipeHandleState(pipe.Get(), &mode, nullptr, nullptr)) {
        const DWORD error = GetLastError();
        pipe.Reset();
        endpoint_->Fail(kPipeTextSetNamedPipeStateFailed, error);
        return 0;
    }
    endpoint_->Attach(std::make_shared<PipeEndpoint::Native>(std::move(pipe)), pipeName);
    return 1;
}

std::uint32_t CNamedPipeClientCallBackMode::Close() {
    auto native = TakeHandle(*endpoint_);
    // DisconnectNamedPipe belongs to the server end; on a client it fails, and that is recorded.
    if (!DisconnectNamedPipe(NativePipe(native))) {
        endpoint_->Fail(kPipeTextConnectNamedPipeFailed, GetLastError());
        return 0;
    }
    return 1;
}

std::uint32_t CNamedPipeClientCallBackMode::StartReading() {
    auto endpoint = endpoint_;
    auto shared = shared_;
    return StartPipeReaderThread(
        *endpoint_, {&shared_->stop, &shared_->read, &shared_->write}, reader_, [endpoint, shared] {
            RunPipeReader({endpoint, &shared->stop, &shared->read, &shared->callback, false});
        });
}

std::uint32_t CNamedPipeClientCallBackMode::Write(const void* data, std::uint32_t byteCount,
                                                  std::uint32_t* bytesWritten) {
    std::lock_guard<PipeWriteTurn> lock(shared_->writeMutex);
    return WriteEndpointMessage(*endpoint_, base::EventAccess::Native(shared_->write), data, byteCount,
                                bytesWritten);
}

std::uint32_t CNamedPipeClientCallBackMode::WriteWithin(const void* data, std::uint32_t byteCount,
                                                        std::uint32_t* bytesWritten,
                                                        std::uint32_t timeoutMs) {
    return WriteInTurn(shared_->writeMutex, *endpoint_, bytesWritten, timeoutMs, [&](int msLeft) {
        std::uint32_t written = 0;
        const std::uint32_t error =
            WriteWholeMessage(NativePipe(endpoint_->Handle()), base::EventAccess::Native(shared_->write),
                              data, byteCount, written, static_cast<DWORD>(msLeft));
        if (bytesWritten != nullptr) {
            *bytesWritten = written;
        }
        if (error != 0) {
            endpoint_->SetLastError(error);
        }
        return error;
    });
}

void CNamedPipeClientCallBackMode::SetCallback(IPipeReadCallBack* callback, std::uintptr_t context) {
    shared_->callback.Set(callback, context);
}

}  // namespace ipc
