#pragma once

// Overlapped pipe I/O shared by the Windows client and servers.

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>

#include "base/event.h"
#include "ipc/pipe_endpoint_win.h"
#include "ipc/pipe_read_callback.h"

namespace ipc {

// One overlapped connect or read at a time, completing on one event, into the fixed receive buffer. A
// message longer than the buffer (ERROR_MORE_DATA, which Wine may also report at once) is read to its
// end and dropped, so the next message starts clean.
class PipeOverlappedIo {
  public:
    enum class Step { kConnected, kMessage, kPending, kFailed };

    explicit PipeOverlappedIo(HANDLE event) : event_(event) {}
    PipeOverlappedIo(const PipeOverlappedIo&) = delete;
    PipeOverlappedIo& operator=(const PipeOverlappedIo&) = delete;

    // ConnectNamedPipe: kConnected, kPending or kFailed.
    Step Connect(HANDLE pipe);
    // ReadFile of the next message: kMessage, kPending or kFailed.
    Step Read(HANDLE pipe);
    // Collects the operation in flight without waiting (pipe may be null once closed).
    Step Finish(HANDLE pipe);
    // Cancels the operation in flight and waits a little for it to land. False when it has not landed:
    // the OS may still write into this object, which must then be kept.
    bool Cancel(HANDLE pipe);

    bool InFlight() const { return inFlight_; }
    const std::uint8_t* Data() const { return buffer_.data(); }
    std::uint32_t Size() const { return size_; }
    DWORD Error() const { return error_; }

  private:
    enum class Op { kNone, kConnect, kRead };
    // Interprets a read's outcome; false when the next read must follow at once.
    bool Settle(BOOL ok, DWORD bytes, DWORD error, Step& step);
    Step Failed(DWORD error);

    const HANDLE event_;
    OVERLAPPED overlapped_{};
    Op op_ = Op::kNone;
    bool inFlight_ = false;
    bool dropping_ = false;
    DWORD size_ = 0;
    DWORD error_ = 0;
    std::array<std::uint8_t, kPipeReceiveBufferSize> buffer_{};
};

// The reader thread of a client or of a callback server. A client reads at once and stays idle after
// a failure; a server first waits for its client and, when the client goes (ERROR_BROKEN_PIPE), does
// what the callback's broken-pipe policy says. Ends on the stop event or a failed wait.
struct PipeReaderSetup {
    std::shared_ptr<PipeEndpoint> endpoint;
    base::Event* stop;
    base::Event* read;
    const PipeCallbackSlot* callback;
    bool server;
};
void RunPipeReader(const PipeReaderSetup& setup);

// One overlapped WriteFile of the whole message on event, waited for at most timeoutMs (a close of the
// pipe cancels it). A write still pending then is cancelled and, unless it completed meanwhile, ends
// with 258. 0 or the error.
std::uint32_t WriteWholeMessage(HANDLE pipe, HANDLE event, const void* data, std::uint32_t size,
                                std::uint32_t& written, DWORD timeoutMs = INFINITE);

// WriteWholeMessage on the endpoint's pipe, as both callback-mode ends write: 1, or 0 with the error
// recorded in the endpoint. *bytesWritten (when given) receives the count either way.
std::uint32_t WriteEndpointMessage(PipeEndpoint& endpoint, HANDLE event, const void* data, std::uint32_t size,
                                   std::uint32_t* bytesWritten, DWORD timeoutMs = INFINITE);

// DisconnectNamedPipe and close; 0 with "ConnectNamedPipe failed" when the disconnect fails.
std::uint32_t DisconnectServerEndpoint(PipeEndpoint& endpoint);

}  // namespace ipc
