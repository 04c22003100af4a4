#include <unistd.h>

#include <array>
#include <cerrno>

#include "base/event.h"
#include "ipc/named_pipe_server.h"
#include "ipc/pipe_endpoint_linux.h"
#include "ipc/pipe_socket_linux.h"

namespace ipc {

namespace {

// The server's name, directory, lock and listening socket.
std::uint32_t CreateServerSocket(std::u16string_view pipeName,
                                 std::shared_ptr<PipeEndpoint::Native>& native) {
    PipeSocketLocation location;
    if (!LocatePipeSocketForThisUser(pipeName, location)) {
        return kPipeErrorInvalidName;
    }
    std::uint32_t error = EnsurePipeDirectory(location.directory, ::geteuid(), true);
    base::ScopedFd lock;
    if (error == 0) {
        error = LockPipeName(location.path, lock);
    }
    base::ScopedFd listener;
    if (error == 0) {
        error = ListenAtPipeSocket(location.path, listener);
    }
    if (error == 0) {
        native = std::make_shared<PipeEndpoint::Native>(std::move(listener), std::move(lock), location.path);
    }
    return error;
}

std::uint32_t DisconnectServer(PipeEndpoint& endpoint) {
    auto handle = endpoint.Detach();
    if (!handle) {
        endpoint.Fail(kPipeTextConnectNamedPipeFailed, kPipeErrorInvalidHandle);
        return 0;
    }
    handle->Shutdown();
    return 1;
}

std::uint32_t WriteToClient(PipeEndpoint& endpoint, const void* data, std::uint32_t size,
                            std::uint32_t* bytesWritten) {
    std::uint32_t sent = 0;
    std::uint32_t error = kPipeErrorInvalidHandle;
    if (auto handle = endpoint.Handle()) {
        auto socket = handle->Connection();
        error = socket ? SendMessage(socket->Get(), data, size, sent) : kPipeErrorPipeListening;
    }
    if (bytesWritten != nullptr) {
        *bytesWritten = sent;
    }
    if (error != 0) {
        endpoint.SetLastError(error);
        return 0;
    }
    return 1;
}

}  // namespace

CNamedPipeSvcBase::CNamedPipeSvcBase() : endpoint_(std::make_shared<PipeEndpoint>()) {}

CNamedPipeSvcBase::~CNamedPipeSvcBase() = default;

std::uint32_t CNamedPipeSvcBase::Disconnect() {
    return DisconnectServer(*endpoint_);
}

// ---- CNamedPipeSvcBlockMode ----

struct CNamedPipeSvcBlockMode::Shared {
    StopSignal stop;  // wakes the connect thread and a Read that waits
    base::Event connected{base::EventReset::kManual, false};
    base::Event stopped{base::EventReset::kManual, false};
};

namespace {

void ConnectProc(const std::shared_ptr<PipeEndpoint>& endpoint,
                 const std::shared_ptr<CNamedPipeSvcBlockMode::Shared>& shared) {
    auto native = endpoint->Handle();
    while (native) {
        auto listener = native->Listener();
        if (!listener || WaitReadable(listener->Get(), shared->stop.Fd(), -1) != 1) {
            return;
        }
        if (native->AcceptClient() == 0) {
            shared->connected.Set();
            return;
        }
        // The waiting client gave up before it was taken.
        if (native->ListenAgain() != 0) {
            return;
        }
    }
}

}  // namespace

CNamedPipeSvcBlockMode::CNamedPipeSvcBlockMode() : shared_(std::make_shared<Shared>()) {}

CNamedPipeSvcBlockMode::~CNamedPipeSvcBlockMode() {
    if (endpoint_->IsOpen()) {
        Disconnect();
    }
}

std::uint32_t CNamedPipeSvcBlockMode::Create(std::u16string_view pipeName, std::uint32_t, std::uint32_t,
                                             std::uint32_t, std::uint32_t) {
    if (endpoint_->IsOpen()) {
        Disconnect();
    }
    std::shared_ptr<PipeEndpoint::Native> native;
    const std::uint32_t error =
        shared_->stop.IsValid() ? CreateServerSocket(pipeName, native) : shared_->stop.LastError();
    if (error != 0) {
        endpoint_->Fail(kPipeTextCreateNamedPipeFailed, error);
        return 0;
    }
    shared_->stop.Clear();
    shared_->stopped.Reset();
    shared_->connected.Reset();
    endpoint_->Attach(std::move(native), pipeName);
    connectThread_ = std::make_unique<base::WorkerThread>();
    auto endpoint = endpoint_;
    auto shared = shared_;
    if (!connectThread_->Start([endpoint, shared] { ConnectProc(endpoint, shared); })) {
        endpoint_->SetLastError(connectThread_->LastError());
    }
    return 1;
}

std::uint32_t CNamedPipeSvcBlockMode::Disconnect() {
    shared_->stop.Set();
    shared_->stopped.Set();
    const std::uint32_t result = CNamedPipeSvcBase::Disconnect();
    if (connectThread_ && connectThread_->IsStarted()) {
        connectThread_->Join(kPipeReaderStopWaitMs);
    }
    connectThread_.reset();
    return result;
}

std::uint32_t CNamedPipeSvcBlockMode::Read(void* buffer, std::uint32_t size, std::uint32_t* bytesRead,
                                           void*) {
    if (bytesRead != nullptr) {
        *bytesRead = 0;
    }
    base::Event* events[] = {&shared_->connected, &shared_->stopped};
    auto native = endpoint_->Handle();
    if (!native || base::Event::WaitAny(events, base::Event::kInfinite) != 0) {
        endpoint_->SetLastError(kPipeErrorInvalidHandle);
        return 0;
    }
    auto socket = native->Connection();
    std::uint32_t error = kPipeErrorPipeNotConnected;
    while (socket) {
        const int ready = WaitReadable(socket->Get(), shared_->stop.Fd(), -1);
        if (ready != 1) {
            error = ready == -1 ? kPipeErrorOperationAborted : PipeErrorFromErrno(errno);
            break;
        }
        const Received r = ReceiveMessage(socket->Get(), {static_cast<std::uint8_t*>(buffer), size});
        if (r.status == ReceiveStatus::kNothing) {
            continue;
        }
        if (bytesRead != nullptr) {
            *bytesRead = r.size;
        }
        if (r.status == ReceiveStatus::kMessage) {
            return 1;
        }
        error = r.status == ReceiveStatus::kTruncated ? kPipeErrorMoreData : r.error;
        break;
    }
    endpoint_->SetLastError(error);
    return 0;
}

std::uint32_t CNamedPipeSvcBlockMode::Write(const void* data, std::uint32_t size,
                                            std::uint32_t* bytesWritten) {
    return WriteToClient(*endpoint_, data, size, bytesWritten);
}

// ---- CNamedPipeSvcCallBackMode ----

struct CNamedPipeSvcCallBackMode::Shared {
    StopSignal stop;
    PipeCallbackSlot callback;
    std::mutex writeMutex;
};

namespace {

// Waits for a client, hands its messages to the callback and, once it has gone, does what the callback's
// broken-pipe policy says. Ends on the stop signal, when the pipe cannot listen again, or by policy.
void ServerReaderProc(const std::shared_ptr<PipeEndpoint>& endpoint,
                      const std::shared_ptr<CNamedPipeSvcCallBackMode::Shared>& shared) {
    if (!shared->callback.IsSet()) {
        return;
    }
    std::array<std::uint8_t, kPipeReceiveBufferSize> buffer;
    auto native = endpoint->Handle();  // null while idle
    if (!native) {
        return;
    }
    for (;;) {
        std::shared_ptr<base::ScopedFd> socket;
        bool connecting = false;
        if (native) {
            socket = native->Connection();
            if (!socket) {
                socket = native->Listener();
                connecting = true;
            }
        }
        const int ready = WaitReadable(socket ? socket->Get() : -1, shared->stop.Fd(), kPipeReaderWaitMs);
        if (ready == -1) {
            return;
        }
        if (ready == -2) {
            endpoint->SetLastError(PipeErrorFromErrno(errno));
            return;
        }
        if (ready == 0) {
            continue;
        }
        if (!native) {
            continue;
        }
        if (native->IsShutDown()) {
            native.reset();  // the owner has disconnected: idle, and let the name go
            continue;
        }
        if (connecting) {
            // A client that gave up before it was taken leaves nothing to accept: listen again.
            if (native->AcceptClient() != 0 && native->ListenAgain() != 0) {
                return;
            }
            continue;
        }
        Received r;
        do {
            r = ReceiveMessage(socket->Get(), buffer);
            if (r.status == ReceiveStatus::kMessage && r.size > 0) {
                shared->callback.Deliver(buffer.data(), r.size);
            }
        } while (r.status == ReceiveStatus::kMessage || r.status == ReceiveStatus::kTruncated);
        if (r.status == ReceiveStatus::kNothing) {
            continue;
        }
        endpoint->SetLastError(r.error);
        if (r.status == ReceiveStatus::kClosed && !native->IsShutDown()) {
            const std::uint32_t policy = shared->callback.BrokenPipePolicy();
            if (policy == IPipeReadCallBack::kBrokenPipeAcceptNext) {
                if (native->ListenAgain() != 0) {
                    return;
                }
                continue;
            }
            if (policy == IPipeReadCallBack::kBrokenPipeStop) {
                DisconnectServer(*endpoint);
                return;
            }
        }
        native.reset();  // nothing more will come: idle until stopped
    }
}

}  // namespace

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

std::uint32_t CNamedPipeSvcCallBackMode::Create(std::u16string_view pipeName, std::uint32_t, std::uint32_t,
                                                std::uint32_t, std::uint32_t) {
    if (endpoint_->IsOpen()) {
        Disconnect();
    }
    std::shared_ptr<PipeEndpoint::Native> native;
    const std::uint32_t error = CreateServerSocket(pipeName, native);
    if (error != 0) {
        endpoint_->Fail(kPipeTextCreateNamedPipeFailed, error);
        return 0;
    }
    endpoint_->Attach(std::move(native), pipeName);
    return 1;
}

std::uint32_t CNamedPipeSvcCallBackMode::Read(void*, std::uint32_t, std::uint32_t*, void*) {
    return StartReading();
}

std::uint32_t CNamedPipeSvcCallBackMode::StartReading() {
    auto endpoint = endpoint_;
    auto shared = shared_;
    return StartPipeReaderThread(*endpoint_, {&shared_->stop}, reader_,
                                 [endpoint, shared] { ServerReaderProc(endpoint, shared); });
}

std::uint32_t CNamedPipeSvcCallBackMode::Write(const void* data, std::uint32_t size,
                                               std::uint32_t* bytesWritten) {
    std::lock_guard<std::mutex> lock(shared_->writeMutex);
    return WriteToClient(*endpoint_, data, size, bytesWritten);
}

void CNamedPipeSvcCallBackMode::SetCallback(IPipeReadCallBack* callback, std::uintptr_t context) {
    shared_->callback.Set(callback, context);
}

}  // namespace ipc
