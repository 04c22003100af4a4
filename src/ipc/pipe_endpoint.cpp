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

}  // namespace ipc
