#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "base/worker_thread.h"
#include "ipc/pipe_endpoint.h"
#include "ipc/pipe_read_callback.h"

namespace ipc {

// The server end of a message pipe, as the plugin side holds it. Windows: a named pipe instance in
// message mode. Linux: a listening SOCK_SEQPACKET socket at the file that PipeSocketLocation names, in a
// directory only its owner can enter; one server per name (a second Create fails with error 231). While
// a client is connected the server stops listening, so a further client is refused as busy, and the
// socket file is removed when the server disconnects.
class CNamedPipeSvcBase {
  public:
    CNamedPipeSvcBase();
    virtual ~CNamedPipeSvcBase();
    CNamedPipeSvcBase(const CNamedPipeSvcBase&) = delete;
    CNamedPipeSvcBase& operator=(const CNamedPipeSvcBase&) = delete;

    // 1 when the pipe exists; 0 with "CreateNamedPipe failed". On Linux maxInstances above 1, the buffer
    // sizes and the default time-out have no effect.
    [[nodiscard]] virtual std::uint32_t Create(std::u16string_view pipeName, std::uint32_t maxInstances,
                                               std::uint32_t outBufferSize, std::uint32_t inBufferSize,
                                               std::uint32_t defaultTimeout) = 0;
    // Drops the client and closes the pipe; 0 with "ConnectNamedPipe failed" when the disconnect fails
    // (the pipe is closed either way).
    virtual std::uint32_t Disconnect();
    virtual std::uint32_t Read(void* buffer, std::uint32_t size, std::uint32_t* bytesRead,
                               void* overlapped) = 0;
    // Writes one whole message; 0 with the error in the endpoint (no client yet: 536 or 233).
    virtual std::uint32_t Write(const void* data, std::uint32_t size, std::uint32_t* bytesWritten) = 0;

    const PipeEndpoint& Endpoint() const { return *endpoint_; }

  protected:
    std::shared_ptr<PipeEndpoint> endpoint_;
};

// A blocking server: a connect thread waits for the client; Read and Write block.
class CNamedPipeSvcBlockMode : public CNamedPipeSvcBase {
  public:
    CNamedPipeSvcBlockMode();
    ~CNamedPipeSvcBlockMode() override;

    [[nodiscard]] std::uint32_t Create(std::u16string_view pipeName, std::uint32_t maxInstances,
                                       std::uint32_t outBufferSize, std::uint32_t inBufferSize,
                                       std::uint32_t defaultTimeout) override;
    // Also ends a connect thread that still waits for a client. On Windows it cannot interrupt a Read
    // that another thread is blocked in.
    std::uint32_t Disconnect() override;
    // Waits for the client to connect, then for one message. A message longer than size fails with
    // error 234 after filling the buffer; on Windows the rest stays readable, on Linux it is lost.
    // overlapped is handed to ReadFile on Windows and ignored on Linux.
    std::uint32_t Read(void* buffer, std::uint32_t size, std::uint32_t* bytesRead, void* overlapped) override;
    std::uint32_t Write(const void* data, std::uint32_t size, std::uint32_t* bytesWritten) override;

    struct Shared;  // defined by the _win / _linux variant

  private:
    std::shared_ptr<Shared> shared_;
    std::unique_ptr<base::WorkerThread> connectThread_;
};

// An overlapped server with a reader thread that waits for a client, hands each message to the callback
// and, when the client goes, asks the callback's GetBrokenPipePolicy what to do. Writes come from any
// thread, one at a time. Destruction stops the reader, disconnects and waits at most
// kPipeReaderStopWaitMs for the reader.
class CNamedPipeSvcCallBackMode : public CNamedPipeSvcBase {
  public:
    CNamedPipeSvcCallBackMode();
    ~CNamedPipeSvcCallBackMode() override;

    [[nodiscard]] std::uint32_t Create(std::u16string_view pipeName, std::uint32_t maxInstances,
                                       std::uint32_t outBufferSize, std::uint32_t inBufferSize,
                                       std::uint32_t defaultTimeout) override;
    // Reading happens on the reader thread: this starts it and ignores its arguments.
    std::uint32_t Read(void* buffer, std::uint32_t size, std::uint32_t* bytesRead, void* overlapped) override;
    // Starts the reader thread; without a callback it ends at once. 0 when it cannot be started.
    [[nodiscard]] std::uint32_t StartReading();
    std::uint32_t Write(const void* data, std::uint32_t size, std::uint32_t* bytesWritten) override;

    // The callback is not owned; it must outlive the reader.
    void SetCallback(IPipeReadCallBack* callback, std::uintptr_t context);

    struct Shared;  // defined by the _win / _linux variant

  private:
    std::shared_ptr<Shared> shared_;
    base::WorkerThread reader_;
};

}  // namespace ipc
