#pragma once

#include <windows.h>

#include "base/event.h"

namespace base {

// The Windows layer needs the kernel handle, e.g. for an OVERLAPPED structure.
struct EventAccess {
    static HANDLE Native(const Event& event);
};

}  // namespace base
