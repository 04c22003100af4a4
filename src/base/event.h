#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace base {

enum class EventReset { kManual, kAutomatic };

// A manual- or automatic-reset event. Events created with the same non-empty name share one state: a
// named kernel event on Windows, a process-wide registry on Linux (no other process can see it there).
// An automatic-reset event lets exactly one waiter through per Set().
class Event {
public:
    static constexpr std::uint32_t kInfinite = 0xFFFFFFFF;
    static constexpr int kTimedOut = -1;
    static constexpr int kFailed = -2;

    Event(EventReset reset, bool initiallySignalled, std::u16string_view name = {});
    ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    // False when the OS refused the event; LastError() then holds its error code.
    bool IsValid() const;
    std::uint32_t LastError() const { return lastError_; }
    const std::u16string& Name() const { return name_; }

    bool Set();
    bool Reset();
    // True when the event was signalled within timeoutMs (kInfinite waits for ever).
    bool Wait(std::uint32_t timeoutMs);

    // Waits until any of the events is signalled and returns the index of the lowest signalled one
    // (an automatic-reset event is reset by being chosen), kTimedOut, or kFailed for an invalid event.
    static int WaitAny(std::span<Event* const> events, std::uint32_t timeoutMs);

    struct Impl;  // the OS state, defined by the event_win/event_linux variant

private:
    friend struct EventAccess;  // the OS layer's view of the native object
    std::shared_ptr<Impl> impl_;
    std::u16string name_;
    std::uint32_t lastError_ = 0;
};

}  // namespace base
