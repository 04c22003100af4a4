#include "ipc/pipe_endpoint_win.h"

namespace ipc {

static_assert(kPipeErrorInvalidFunction == ERROR_INVALID_FUNCTION);
static_assert(kPipeErrorFileNotFound == ERROR_FILE_NOT_FOUND);
static_assert(kPipeErrorAccessDenied == ERROR_ACCESS_DENIED);
static_assert(kPipeErrorNotEnoughMemory == ERROR_NOT_ENOUGH_MEMORY);
static_assert(kPipeErrorInvalidParameter == ERROR_INVALID_PARAMETER);
static_assert(kPipeErrorInvalidName == ERROR_INVALID_NAME);
static_assert(kPipeErrorFilenameTooLong == ERROR_FILENAME_EXCED_RANGE);
static_assert(kPipeErrorInvalidHandle == ERROR_INVALID_HANDLE);
static_assert(kPipeErrorBrokenPipe == ERROR_BROKEN_PIPE);
static_assert(kPipeErrorPipeBusy == ERROR_PIPE_BUSY);
static_assert(kPipeErrorNoData == ERROR_NO_DATA);
static_assert(kPipeErrorPipeNotConnected == ERROR_PIPE_NOT_CONNECTED);
static_assert(kPipeErrorMoreData == ERROR_MORE_DATA);
static_assert(kPipeErrorPipeConnected == ERROR_PIPE_CONNECTED);
static_assert(kPipeErrorPipeListening == ERROR_PIPE_LISTENING);
static_assert(kPipeErrorOperationAborted == ERROR_OPERATION_ABORTED);
static_assert(kPipeErrorIoIncomplete == ERROR_IO_INCOMPLETE);
static_assert(kPipeErrorIoPending == ERROR_IO_PENDING);

PipeEndpoint::~PipeEndpoint() {
    if (IsOpen()) {
        Flush();
    }
}

std::uint32_t PipeEndpoint::Flush() {
    auto native = Handle();
    if (!native || !FlushFileBuffers(native->handle.Get())) {
        Fail(kPipeTextFlushBuffersFailed, native ? GetLastError() : ERROR_INVALID_HANDLE);
        return 0;
    }
    return 1;
}

}  // namespace ipc
