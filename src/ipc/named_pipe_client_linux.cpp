#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <mutex>

#include "ipc/named_pipe_client.h"
#include "ipc/pipe_endpoint_linux.h"
#include "ipc/pipe_socket_linux.h"

namespace ipc {

// poll waits on descriptors, so the stop event is an eventfd here; the socket needs no read or write
// event.
struct CNamedPipeClientCallBackMode::Shared {
    StopSignal stop;
    PipeCallbackSlot callback;
    PipeWriteTurn writeMutex;
};

namespace {

// Closes without the disconnect step: used by destruction and before a new Open.
void CloseSocket(PipeEndpoint& endpoint) {
    if (auto handle = endpoint.Detach()) {
        handle->Shutdown();
    }
}

// 0 or the error, recorded in the endpoint.
std::uint32_t SendOnEndpoint(PipeEndpoint& endpoint, const void* data, std::uint32_t byteCount,
                             std::uint32_t* bytesWritten, int timeoutMs) {
    std::uint32_t sent = 0;
    std::uint32_t error = kPipeErrorInvalidHandle;
    if (auto handle = endpoint.Handle()) {
        error = SendMessage(handle->Connection()->Get(), data, byteCount, sent, timeoutMs);
    }
    if (bytesWritten != nullptr) {
        *bytesWritten = sent;
    }
    if (error != 0) {
        endpoint.SetLastError(error);
    }
    return error;
}

void ClientReaderProc(const std::shared_ptr<PipeEndpoint>& endpoint,
                      const std::shared_ptr<CNamedPipeClientCallBackMode::Shared>& shared) {
    std::array<std::uint8_t, kPipeReceiveBufferSize> buffer;
    std::shared_ptr<base::ScopedFd> socket;
    if (auto handle = endpoint->Handle()) {
        socket = handle->Connection();
    }
    for (;;) {
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
        for (;;) {
            const Received r = ReceiveMessage(socket->Get(), buffer);
            if (r.status == ReceiveStatus::kMessage) {
                if (r.size > 0) {
                    shared->callback.Deliver(buffer.data(), r.size);
                }
                continue;
            }
            if (r.status == ReceiveStatus::kTruncated) {
                continue;  // longer than the receive buffer: dropped whole
            }
            if (r.status != ReceiveStatus::kNothing) {
                // The server has gone (or the socket failed): stay idle until stopped. Letting go of the
                // socket lets a close really close it.
                endpoint->SetLastError(r.error);
                socket.reset();
            }
            break;
        }
    }
}

}  // namespace

CNamedPipeClientCallBackMode::CNamedPipeClientCallBackMode()
    : endpoint_(std::make_shared<PipeEndpoint>()), shared_(std::make_shared<Shared>()) {}

CNamedPipeClientCallBackMode::~CNamedPipeClientCallBackMode() {
    shared_->stop.Set();
    CloseSocket(*endpoint_);
    if (reader_.IsStarted()) {
        reader_.JoinOrAbandon(kPipeReaderStopWaitMs);
    }
}

std::uint32_t CNamedPipeClientCallBackMode::Open(std::u16string_view pipeName) {
    CloseSocket(*endpoint_);
    PipeSocketLocation location;
    if (!LocatePipeSocketForThisUser(pipeName, location)) {
        endpoint_->Fail(kPipeTextCreateFileFailed, kPipeErrorFileNotFound);
        return 0;
    }
    // A directory that others could enter may hold somebody else's socket: never talk to it.
    std::uint32_t error = EnsurePipeDirectory(location.directory, ::geteuid(), false);
    base::ScopedFd socket;
    if (error == 0) {
        error = ConnectToPipeSocket(location.path, socket);
    }
    // As on Windows, a busy pipe passes the open step and fails at the read-mode step.
    if (error == kPipeErrorPipeBusy) {
        endpoint_->Fail(kPipeTextSetNamedPipeStateFailed, kPipeErrorPipeBusy);
        return 0;
    }
    if (error != 0) {
        endpoint_->Fail(kPipeTextCreateFileFailed, error);
        return 0;
    }
    // A server that refuses a client may also take it and close it at once.
    if (PipePeerHasClosed(socket.Get())) {
        endpoint_->Fail(kPipeTextSetNamedPipeStateFailed, kPipeErrorPipeBusy);
        return 0;
    }
    endpoint_->Attach(std::make_shared<PipeEndpoint::Native>(std::move(socket)), pipeName);
    return 1;
}

std::uint32_t CNamedPipeClientCallBackMode::Close() {
    const bool wasOpen = endpoint_->IsOpen();
    CloseSocket(*endpoint_);
    endpoint_->Fail(kPipeTextConnectNamedPipeFailed,
                    wasOpen ? kPipeErrorInvalidFunction : kPipeErrorInvalidHandle);
    return 0;
}

std::uint32_t CNamedPipeClientCallBackMode::StartReading() {
    auto endpoint = endpoint_;
    auto shared = shared_;
    return StartPipeReaderThread(*endpoint_, {&shared_->stop}, reader_,
                                 [endpoint, shared] { ClientReaderProc(endpoint, shared); });
}

std::uint32_t CNamedPipeClientCallBackMode::Write(const void* data, std::uint32_t byteCount,
                                                  std::uint32_t* bytesWritten) {
    std::lock_guard<PipeWriteTurn> lock(shared_->writeMutex);
    return SendOnEndpoint(*endpoint_, data, byteCount, bytesWritten, kPipeWriteForever) == 0 ? 1 : 0;
}

std::uint32_t CNamedPipeClientCallBackMode::WriteWithin(const void* data, std::uint32_t byteCount,
                                                        std::uint32_t* bytesWritten,
                                                        std::uint32_t timeoutMs) {
    return WriteInTurn(shared_->writeMutex, *endpoint_, bytesWritten, timeoutMs, [&](int msLeft) {
        return SendOnEndpoint(*endpoint_, data, byteCount, bytesWritten, msLeft);
    });
}

void CNamedPipeClientCallBackMode::SetCallback(IPipeReadCallBack* callback, std::uintptr_t context) {
    shared_->callback.Set(callback, context);
}

}  // namespace ipc
