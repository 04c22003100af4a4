#include "ipc/pipe_io_win.h"

#include "base/event_win.h"

namespace ipc {

PipeOverlappedIo::Step PipeOverlappedIo::Failed(DWORD error) {
    inFlight_ = false;
    error_ = error;
    return Step::kFailed;
}

PipeOverlappedIo::Step PipeOverlappedIo::Connect(HANDLE pipe) {
    overlapped_ = OVERLAPPED{};
    overlapped_.hEvent = event_;
    op_ = Op::kConnect;
    if (ConnectNamedPipe(pipe, &overlapped_)) {
        inFlight_ = false;
        return Step::kConnected;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_IO_PENDING) {
        inFlight_ = true;
        return Step::kPending;
    }
    // A client that came between the create and this call is connected already.
    if (error == ERROR_PIPE_CONNECTED) {
        inFlight_ = false;
        return Step::kConnected;
    }
    return Failed(error);
}

PipeOverlappedIo::Step PipeOverlappedIo::Read(HANDLE pipe) {
    for (;;) {
        overlapped_ = OVERLAPPED{};
        overlapped_.hEvent = event_;
        op_ = Op::kRead;
        size_ = 0;
        DWORD bytes = 0;
        const BOOL ok =
            ReadFile(pipe, buffer_.data(), static_cast<DWORD>(buffer_.size()), &bytes, &overlapped_);
        Step step;
        if (Settle(ok, bytes, ok ? 0 : GetLastError(), step)) {
            return step;
        }
    }
}

bool PipeOverlappedIo::Settle(BOOL ok, DWORD bytes, DWORD error, Step& step) {
    if (!ok && (error == ERROR_IO_PENDING || error == ERROR_IO_INCOMPLETE)) {
        inFlight_ = true;
        step = Step::kPending;
        return true;
    }
    inFlight_ = false;
    if (!ok && error == ERROR_MORE_DATA) {
        dropping_ = true;
        return false;
    }
    if (!ok) {
        step = Failed(error);
        return true;
    }
    if (dropping_) {
        dropping_ = false;  // the last piece of a message too long to keep
        return false;
    }
    size_ = bytes;
    step = Step::kMessage;
    return true;
}

PipeOverlappedIo::Step PipeOverlappedIo::Finish(HANDLE pipe) {
    DWORD bytes = 0;
    BOOL ok = FALSE;
    DWORD error = ERROR_INVALID_HANDLE;
    if (pipe != nullptr) {
        ok = GetOverlappedResult(pipe, &overlapped_, &bytes, FALSE);
        error = ok ? 0 : GetLastError();
    } else if (!HasOverlappedIoCompleted(&overlapped_)) {
        return Step::kPending;  // closed under us: the cancelled operation has yet to land
    }
    if (op_ == Op::kConnect) {
        if (!ok && (error == ERROR_IO_INCOMPLETE || error == ERROR_IO_PENDING)) {
            return Step::kPending;
        }
        inFlight_ = false;
        return ok ? Step::kConnected : Failed(error);
    }
    Step step;
    if (Settle(ok, bytes, error, step)) {
        return step;
    }
    return Read(pipe);
}

bool PipeOverlappedIo::Cancel(HANDLE pipe) {
    if (!inFlight_) {
        return true;
    }
    if (pipe != nullptr) {
        CancelIoEx(pipe, &overlapped_);
    }
    WaitForSingleObject(event_, kPipeReaderWaitMs);
    if (!HasOverlappedIoCompleted(&overlapped_)) {
        return false;
    }
    inFlight_ = false;
    return true;
}

void RunPipeReader(const PipeReaderSetup& setup) {
    using Step = PipeOverlappedIo::Step;
    PipeEndpoint& endpoint = *setup.endpoint;
    // On the heap, so that an operation the OS has not finished cancelling can keep it (see the end).
    auto io = std::make_unique<PipeOverlappedIo>(base::EventAccess::Native(*setup.read));
    Step step =
        setup.server ? io->Connect(NativePipe(endpoint.Handle())) : io->Read(NativePipe(endpoint.Handle()));
    if (setup.server && step == Step::kFailed) {
        return;
    }
    for (;;) {
        // Everything that completed at once, one message after the other.
        while (step == Step::kConnected || step == Step::kMessage) {
            if (step == Step::kMessage && io->Size() > 0) {
                setup.callback->Deliver(io->Data(), io->Size());
            }
            step = io->Read(NativePipe(endpoint.Handle()));
        }
        if (step == Step::kFailed) {
            endpoint.SetLastError(io->Error());
            // A pipe that its owner has closed has nobody to ask.
            if (setup.server && io->Error() == ERROR_BROKEN_PIPE && endpoint.IsOpen()) {
                const std::uint32_t policy = setup.callback->BrokenPipePolicy();
                if (policy == IPipeReadCallBack::kBrokenPipeAcceptNext) {
                    auto pipe = endpoint.Handle();
                    DisconnectNamedPipe(NativePipe(pipe));
                    step = io->Connect(NativePipe(pipe));
                    if (step == Step::kFailed) {
                        break;
                    }
                    continue;
                }
                if (policy == IPipeReadCallBack::kBrokenPipeStop) {
                    DisconnectServerEndpoint(endpoint);
                    break;
                }
            }
            // Nothing in flight: idle until stopped.
            setup.read->Reset();
            step = Step::kPending;
        }
        base::Event* events[] = {setup.stop, setup.read};
        const int which = base::Event::WaitAny(events, kPipeReaderWaitMs);
        if (which == 0) {
            break;
        }
        if (which == base::Event::kFailed) {
            endpoint.SetLastError(GetLastError());
            break;
        }
        if (which == base::Event::kTimedOut) {
            continue;
        }
        if (!io->InFlight()) {
            setup.read->Reset();
            continue;
        }
        step = io->Finish(NativePipe(endpoint.Handle()));
    }
    if (!io->Cancel(NativePipe(endpoint.Handle()))) {
        static_cast<void>(io.release());  // kept for ever: the OS may still complete into its buffer
    }
}

std::uint32_t WriteWholeMessage(HANDLE pipe, HANDLE event, const void* data, std::uint32_t size,
                                std::uint32_t& written, DWORD timeoutMs) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = event;
    DWORD bytes = 0;
    std::uint32_t error = 0;
    if (!WriteFile(pipe, data, size, &bytes, &overlapped)) {
        error = GetLastError();
        // The message's buffer must stay valid until the write has landed: a write that the bound cuts
        // short is cancelled and its end waited for here.
        if (error == ERROR_IO_PENDING) {
            const bool timedOut =
                timeoutMs != INFINITE && WaitForSingleObject(event, timeoutMs) == WAIT_TIMEOUT;
            if (timedOut) {
                CancelIoEx(pipe, &overlapped);
            }
            error = GetOverlappedResult(pipe, &overlapped, &bytes, TRUE) ? 0 : GetLastError();
            if (timedOut && error == ERROR_OPERATION_ABORTED) {
                error = kPipeErrorWaitTimeout;
            }
        }
    }
    written = bytes;
    return error;
}

std::uint32_t WriteEndpointMessage(PipeEndpoint& endpoint, HANDLE event, const void* data, std::uint32_t size,
                                   std::uint32_t* bytesWritten, DWORD timeoutMs) {
    std::uint32_t written = 0;
    const std::uint32_t error =
        WriteWholeMessage(NativePipe(endpoint.Handle()), event, data, size, written, timeoutMs);
    if (bytesWritten != nullptr) {
        *bytesWritten = written;
    }
    if (error != 0) {
        endpoint.SetLastError(error);
        return 0;
    }
    return 1;
}

std::uint32_t DisconnectServerEndpoint(PipeEndpoint& endpoint) {
    auto native = endpoint.Detach();
    if (!native) {
        endpoint.Fail(kPipeTextConnectNamedPipeFailed, ERROR_INVALID_HANDLE);
        return 0;
    }
    const BOOL ok = DisconnectNamedPipe(native->handle.Get());
    const DWORD error = ok ? 0 : GetLastError();
    // A write still waiting for the client ends now; the handle closes when its last user lets go.
    CancelIoEx(native->handle.Get(), nullptr);
    if (!ok) {
        endpoint.Fail(kPipeTextConnectNamedPipeFailed, error);
        return 0;
    }
    return 1;
}

}  // namespace ipc
