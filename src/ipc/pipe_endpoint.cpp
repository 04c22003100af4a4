#include "ipc/pipe_endpoint.h"

namespace ipc {

PipeEndpoint::PipeEndpoint() = default;

std::uint32_t PipeEndpoint::LastError() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastError_;
}

std::u16string PipeEndpoint::Text() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return text_;
}

bool PipeEndpoint::IsOpen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return handle_ != nullptr;
}

void PipeEndpoint::Fail(std::u16string_view text, std::uint32_t error) {
    std::lock_guard<std::mutex> lock(mutex_);
    text_ = text;
    lastError_ = error;
}

void PipeEndpoint::SetLastError(std::uint32_t error) {
    std::lock_guard<std::mutex> lock(mutex_);
    lastError_ = error;
}

void PipeEndpoint::Attach(std::shared_ptr<Native> handle, std::u16string_view pipeName) {
    std::lock_guard<std::mutex> lock(mutex_);
    handle_ = std::move(handle);
    text_ = pipeName;
}

std::shared_ptr<PipeEndpoint::Native> PipeEndpoint::Handle() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return handle_;
}

std::shared_ptr<PipeEndpoint::Native> PipeEndpoint::Detach() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::move(handle_);
}

std::chrono::milliseconds PipeWriteTurnWait(std::uint32_t timeoutMs) {
    return std::chrono::milliseconds(timeoutMs > kPipeWriteTurnMinMs ? timeoutMs : kPipeWriteTurnMinMs);
}

int PipeWriteTimeLeft(std::chrono::steady_clock::time_point start, std::uint32_t timeoutMs) {
    const auto spent =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
            .count();
    return spent >= static_cast<long long>(timeoutMs) ? 0 : static_cast<int>(timeoutMs - spent);
}

std::uint32_t RefusePipeWrite(PipeEndpoint& endpoint, std::uint32_t* bytesWritten) {
    if (bytesWritten != nullptr) {
        *bytesWritten = 0;
    }
    endpoint.SetLastError(kPipeErrorWaitTimeout);
    return kPipeErrorWaitTimeout;
}

}  // namespace ipc
