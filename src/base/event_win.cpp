#include "base/event_win.h"

#include <vector>

#include "base/scoped_handle_win.h"
#include "base/wide_win.h"

namespace base {

struct Event::Impl {
    ScopedKernelHandle handle;
};

HANDLE EventAccess::Native(const Event& event) {
    return event.impl_ ? event.impl_->handle.Get() : nullptr;
}

Event::Event(EventReset reset, bool initiallySignalled, std::u16string_view name) : name_(name) {
    ScopedKernelHandle h(CreateEventW(nullptr, reset == EventReset::kManual ? TRUE : FALSE,
                                      initiallySignalled ? TRUE : FALSE,
                                      name_.empty() ? nullptr : Wide(name_)));
    if (!h) {
        lastError_ = GetLastError();
        return;
    }
    impl_ = std::make_shared<Impl>();
    impl_->handle = std::move(h);
}

Event::~Event() = default;

bool Event::IsValid() const { return impl_ != nullptr; }

bool Event::Set() {
    return impl_ && SetEvent(impl_->handle.Get()) != FALSE;
}

bool Event::Reset() {
    return impl_ && ResetEvent(impl_->handle.Get()) != FALSE;
}

bool Event::Wait(std::uint32_t timeoutMs) {
    return impl_ && WaitForSingleObject(impl_->handle.Get(), timeoutMs) == WAIT_OBJECT_0;
}

int Event::WaitAny(std::span<Event* const> events, std::uint32_t timeoutMs) {
    if (events.empty() || events.size() > MAXIMUM_WAIT_OBJECTS) {
        return kFailed;
    }
    std::vector<HANDLE> handles;
    handles.reserve(events.size());
    for (Event* e : events) {
        if (e == nullptr || !e->IsValid()) {
            return kFailed;
        }
        handles.push_back(e->impl_->handle.Get());
    }
    const DWORD rc = WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, timeoutMs);
    if (rc == WAIT_TIMEOUT) {
        return kTimedOut;
    }
    if (rc >= WAIT_OBJECT_0 && rc < WAIT_OBJECT_0 + handles.size()) {
        return static_cast<int>(rc - WAIT_OBJECT_0);
    }
    return kFailed;
}

}  // namespace base
