#pragma once

#include <windows.h>

#include "base/scoped_handle_win.h"
#include "ipc/pipe_endpoint.h"

namespace ipc {

struct PipeEndpoint::Native {
    explicit Native(base::ScopedFileHandle pipe) : handle(std::move(pipe)) {}

    const base::ScopedFileHandle handle;
};

// The handle of an endpoint's native, or null: for calls that take a possibly closed pipe.
inline HANDLE NativePipe(const std::shared_ptr<PipeEndpoint::Native>& native) {
    return native ? native->handle.Get() : nullptr;
}

}  // namespace ipc
