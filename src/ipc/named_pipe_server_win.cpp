#include <mutex>
#include <string>

#include "base/event_win.h"
#include "base/scoped_handle_win.h"
#include "base/wide_win.h"
#include "ipc/named_pipe_server.h"
#include "ipc/pipe_io_win.h"

namespace ipc {

namespace {

constexpr DWORD kMessagePipe = PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE;

std::uint32_t CreatePipeInstance(PipeEndpoint& endpoint, std::u16string_view pipeName, DWORD openMode,
                                 std::uint32_t maxInstances, std::uint32_t outBufferSize,
                                 std::uint32_t inBufferSize, std::uint32_t defaultTimeout) {
    const std::u16string name(pipeName);
    base::ScopedFileHandle pipe(CreateNamedPipeW(base::Wide(name), openMode, kMessagePipe, maxInstances,
                                                 outBufferSize, inBufferSize, defaultTimeout, nullptr));
    if (!pipe) {
        endpoint.Fail(kPipeTextCreateNamedPipeFailed, GetLastError());
        return 0;
    }
    endpoint.Attach(std::make_shared<PipeEndpoint::Native>(std::move(pipe)), pipeName);
    return 1;
}

}  // namespace

CNamedPipeSvcBase::CNamedPipeSvcBase() : endpoint_(std::make_shared<PipeEndpoint>()) {}

CNamedPipeSvcBase::~CNamedPipeSvcBase() = default;

std::uint32_t CNamedPipeSvcBase::Disconnect() {
    return DisconnectServerEndpoint(*endpoint_);
}

// ---- CNamedPipeSvcBlockMode ----

struct CNamedPipeSvcBlockMode::Shared {
    base::Event connected{base::EventReset::kManual, false};
    base::Event stopped{base::EventReset::kManual, false};
    std::u16string name;
};

CNamedPipeSvcBlockMode::CNamedPipeSvcBlockMode() : shared_(std::make_shared<Shared>()) {}

CNamedPipeSvcBlockMode::~CNamedPipeSvcBlockMode() {
    if (endpoint_->IsOpen()) {
        Disconnect();
    }
}

std::uint32_t CNamedPipeSvcBlockMode::Create(std::u16string_view pipeName, std::uint32_t maxInstances,
                                             std::uint32_t outBufferSize, std::uint32_t inBufferSize,
                                             std::uint32_t defaultTimeout) {
    if (endpoint_->IsOpen()) {
        Disconnect();
    }
    if (!CreatePipeInstance(*endpoint_, pipeName, PIPE_ACCESS_DUPLEX, maxInstances, outBufferSize,
                            inBufferSize, defaultTimeout)) {
        return 0;
    }
    shared_->name = pipeName;
    shared_->connected.Reset();
    shared_->stopped.Reset();
    connectThread_ = std::make_unique<base::WorkerThread>();
    auto native = endpoint_->Handle();
    auto shared = shared_;
    // The result does not matter: ERROR_PIPE_CONNECTED is a connection too, and a failure leaves Read
    // to report the state of the pipe.
    if (!connectThread_->Start([native, shared] {
            ConnectNamedPipe(native->handle.Get(), nullptr);
            shared->connected.Set();
        })) {
        endpoint_->SetLastError(connectThread_->LastError());
    }
    return 1;
}

std::uint32_t CNamedPipeSvcBlockMode::Disconnect() {
    shared_->stopped.Set();
    if (connectThread_ && connectThread_->IsStarted() && !connectThread_->HasEnded()) {
        // A blocking ConnectNamedPipe ends only when a client comes, and the disconnect below would wait
        // for it: be that client for a moment.
        const base::ScopedFileHandle self(CreateFileW(base::Wide(shared_->name), GENERIC_READ | GENERIC_WRITE,
                                                      0, nullptr, OPEN_EXISTING, 0, nullptr));
        connectThread_->Join(kPipeReaderStopWaitMs);
    }
    connectThread_.reset();
    return CNamedPipeSvcBase::Disconnect();
}

std::uint32_t CNamedPipeSvcBlockMode::Read(void* buffer, std::uint32_t size, std::uint32_t* bytesRead,
                                           void* overlapped) {
    base::Event* events[] = {&shared_->connected, &shared_->stopped};
    if (base::Event::WaitAny(events, base::Event::kInfinite) != 0) {
        endpoint_->SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    DWORD bytes = 0;
    const BOOL ok =
        ReadFile(NativePipe(endpoint_->Handle()), buffer, size, &bytes, static_cast<OVERLAPPED*>(overlapped));
    if (bytesRead != nullptr) {
        *bytesRead = bytes;
    }
    if (!ok) {
        endpoint_->SetLastError(GetLastError());
        return 0;
    }
    return 1;
}

std::uint32_t CNamedPipeSvcBlockMode::Write(const void* data, std::uint32_t size,
                                            std::uint32_t* bytesWritten) {
    DWORD bytes = 0;
    const BOOL ok = WriteFile(NativePipe(endpoint_->Handle()), data, size, &bytes, nullptr);
    if (bytesWritten != nullptr) {
        *bytesWritten = bytes;
    }
    if (!ok) {
        endpoint_->SetLastError(GetLastError());
        return 0;
    }
    return 1;
}

// ---- CNamedPipeSvcCallBackMode ----

struct CNamedPipeSvcCallBackMode::Shared {
    base::Event stop{base::EventReset::kManual, false};
    base::Event read{base::EventReset::kManual, true};
    base::Event write{base::EventReset::kManual, true};
    PipeCallbackSlot callback;
    std::mutex writeMutex;
};

CNamedPipeSvcCallBackMode::CNamedPipeSvcCallBackMode() : shared_(std::make_shared<Shared>()) {}

CNamedPipeSvcCallBackMode::~CNamedPipeSvcCallBackMode() {
    shared_->stop.Set();
    if (endpoint_->IsOpen()) {
        Disconnect();
    }
    if (reader_.IsStarted()) {
        reader_.JoinOrAbandon(kPipeReaderStopWaitMs);
    }
}

std::uint32_t CNamedPipeSvcCallBackMode::Create(std::u16string_view pipeName, std::uint32_t maxInstances,
                                                std::uint32_t outBufferSize, std::uint32_t inBufferSize,
                                                std::uint32_t defaultTimeout) {
    if (endpoint_->IsOpen()) {
        Disconnect();
    }
    return CreatePipeInstance(*endpoint_, pipeName, FILE_FLAG_OVERLAPPED | PIPE_ACCESS_DUPLEX, maxInstances,
                              outBufferSize, inBufferSize, defaultTimeout);
}

std::uint32_t CNamedPipeSvcCallBackMode::Read(void*, std::uint32_t, std::uint32_t*, void*) {
    return StartReading();
}

std::uint32_t CNamedPipeSvcCallBackMode::StartReading() {
    auto endpoint = endpoint_;
    auto shared = shared_;
    return StartPipeReaderThread(
        *endpoint_, {&shared_->stop, &shared_->read, &shared_->write}, reader_, [endpoint, shared] {
            if (shared->callback.IsSet()) {
                RunPipeReader({endpoint, &shared->stop, &shared->read, &shared->callback, true});
            }
        });
}

std::uint32_t CNamedPipeSvcCallBackMode::Write(const void* data, std::uint32_t size,
                                               std::uint32_t* bytesWritten) {
    std::lock_guard<std::mutex> lock(shared_->writeMutex);
    return WriteEndpointMessage(*endpoint_, base::EventAccess::Native(shared_->write), data, size,
                                bytesWritten);
}

void CNamedPipeSvcCallBackMode::SetCallback(IPipeReadCallBack* callback, std::uintptr_t context) {
    shared_->callback.Set(callback, context);
}

}  // namespace ipc
