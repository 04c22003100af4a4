#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "base/worker_thread.h"
#include "ipc/pipe_endpoint.h"
#include "ipc/pipe_read_callback.h"

namespace ipc {

// The client end of a message pipe, as the monitor opens the plugin's pipe: one reader thread hands each
// received message to the callback; writes come from any thread, one at a time.
//
// Windows: a named pipe opened for overlapped I/O in message read mode. Linux: a SOCK_SEQPACKET
// Unix-domain socket at the file that PipeSocketLocation names; a pipe that already has a client is
// refused at the read-mode step, as on Windows.
//
// There is no reconnection: once the server closes its end, reads fail and the reader stays idle until
// the client is destroyed. Destruction signals the reader to stop, closes the pipe and waits at most
// kPipeReaderStopWaitMs for the reader; a reader still inside OnRead then is abandoned, which the shared
// reader state survives.
class CNamedPipeClientCallBackMode {
  public:
    CNamedPipeClientCallBackMode();
    virtual ~CNamedPipeClientCallBackMode();
    CNamedPipeClientCallBackMode(const CNamedPipeClientCallBackMode&) = delete;
    CNamedPipeClientCallBackMode& operator=(const CNamedPipeClientCallBackMode&) = delete;

    // 1 when connected. 0 with "CreateFile failed" (no such pipe: error 2) or "SetNamedPipeState failed"
    // (a busy pipe ends here) in the endpoint.
    [[nodiscard]] virtual std::uint32_t Open(std::u16string_view pipeName);
    // Closes the pipe. A client end cannot be disconnected, so this records "ConnectNamedPipe failed" and
    // returns 0, as the Windows call does; the pipe is closed either way.
    virtual std::uint32_t Close();
    // Starts the reader thread; 0 when it is already running or cannot be started.
    [[nodiscard]] virtual std::uint32_t StartReading();
    // Writes one whole message and returns once it is written (1) or has failed (0, error in the endpoint).
    // Concurrent writes are made one at a time; data must stay valid only during the call.
    virtual std::uint32_t Write(const void* data, std::uint32_t byteCount, std::uint32_t* bytesWritten);
    // Write, but waits at most timeoutMs (0: not at all) for its turn and for room in the pipe. 0 when the
    // pipe took the message, else the error, also recorded in the endpoint: 258 when it was not taken in
    // time (and is not sent at all); a peer that has closed fails as in Write.
    virtual std::uint32_t WriteWithin(const void* data, std::uint32_t byteCount, std::uint32_t* bytesWritten,
                                      std::uint32_t timeoutMs);

    // The callback is not owned; it must outlive the reader.
    void SetCallback(IPipeReadCallBack* callback, std::uintptr_t context);

    const PipeEndpoint& Endpoint() const { return *endpoint_; }

    // The OS state shared with the reader thread, defined by the _win / _linux variant.
    struct Shared;

  private:
    std::shared_ptr<PipeEndpoint> endpoint_;
    std::shared_ptr<Shared> shared_;
    base::WorkerThread reader_;
};

}  // namespace ipc
