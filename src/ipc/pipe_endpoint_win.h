#pragma once

#include <windows.h>

#include "ipc/pipe_endpoint.h"

struct PipeEndpoint::Native {
    explicit Native(HANDLE pipe) : handle(pipe) {}
    ~Native() { CloseHandle(handle); }
    Native(const Native&) = delete;
    Native& operator=(const Native&) = delete;

    const HANDLE handle;
};

// The handle of an endpoint's native, or null: for calls that take a possibly closed pipe.
inline HANDLE NativePipe(const std::shared_ptr<PipeEndpoint::Native>& native) {
    return native ? native->handle : nullptr;
}
