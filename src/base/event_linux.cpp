#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <vector>

#include "base/event.h"

namespace base {

// Every event shares one mutex and one condition variable: a waiter on several events needs a single
// place to sleep, and the program has only a handful of events.
namespace {
std::mutex& StateMutex() {
    static std::mutex m;
    return m;
}
std::condition_variable& StateChanged() {
    static std::condition_variable cv;
    return cv;
}
}  // namespace

struct Event::Impl {
    EventReset reset;
    bool signalled;
};

namespace {
// Named events live as long as someone holds them, like kernel objects.
std::map<std::u16string, std::weak_ptr<Event::Impl>>& Registry() {
    static std::map<std::u16string, std::weak_ptr<Event::Impl>> registry;
    return registry;
}
}  // namespace

Event::Event(EventReset reset, bool initiallySignalled, std::u16string_view name) : name_(name) {
    std::lock_guard<std::mutex> lock(StateMutex());
    if (!name_.empty()) {
        auto& slot = Registry()[name_];
        impl_ = slot.lock();
        if (impl_) {
            return;  // an existing event keeps its own reset mode and state, as CreateEvent does
        }
        impl_ = std::make_shared<Impl>(Impl{reset, initiallySignalled});
        slot = impl_;
        return;
    }
    impl_ = std::make_shared<Impl>(Impl{reset, initiallySignalled});
}

Event::~Event() {
    std::lock_guard<std::mutex> lock(StateMutex());
    if (!name_.empty()) {
        impl_.reset();
        auto it = Registry().find(name_);
        if (it != Registry().end() && it->second.expired()) {
            Registry().erase(it);
        }
    }
}

bool Event::IsValid() const {
    return impl_ != nullptr;
}

bool Event::Set() {
    {
        std::lock_guard<std::mutex> lock(StateMutex());
        impl_->signalled = true;
    }
    StateChanged().notify_all();
    return true;
}

bool Event::Reset() {
    std::lock_guard<std::mutex> lock(StateMutex());
    impl_->signalled = false;
    return true;
}

bool Event::Wait(std::uint32_t timeoutMs) {
    Event* self = this;
    return WaitAny(std::span<Event* const>(&self, 1), timeoutMs) == 0;
}

int Event::WaitAny(std::span<Event* const> events, std::uint32_t timeoutMs) {
    for (Event* e : events) {
        if (e == nullptr || !e->IsValid()) {
            return kFailed;
        }
    }
    // Called with the state mutex held: the lowest signalled index, resetting an automatic event.
    auto takeSignalled = [&]() -> int {
        for (std::size_t i = 0; i < events.size(); ++i) {
            Impl& state = *events[i]->impl_;
            if (state.signalled) {
                if (state.reset == EventReset::kAutomatic) {
                    state.signalled = false;
                }
                return static_cast<int>(i);
            }
        }
        return kTimedOut;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock<std::mutex> lock(StateMutex());
    for (;;) {
        if (const int index = takeSignalled(); index != kTimedOut) {
            return index;
        }
        if (timeoutMs == kInfinite) {
            StateChanged().wait(lock);
        } else if (StateChanged().wait_until(lock, deadline) == std::cv_status::timeout) {
            // One last look: a Set() may have landed together with the time-out.
            return takeSignalled();
        }
    }
}

}  // namespace base
