#pragma once

#include <utility>

namespace base {

// Owns one OS handle and closes it when it goes out of scope. The traits name the handle type, the
// value that means "no handle" and the call that closes one:
//
//   struct Traits {
//       using Handle = ...;
//       static constexpr Handle Invalid() noexcept;  // constexpr where the type allows
//       static void Close(Handle handle) noexcept;  // never given Invalid()
//   };
//
// The traits of OS handles live in scoped_handle_win.h and scoped_handle_linux.h; their Close keeps the
// thread's last error (GetLastError, errno), so that the cleanup on a failure path never masks the
// failure's own error. Move-only. Not synchronised: a handle used by several threads needs a lock or a
// shared owner around it.
template <typename Traits>
class ScopedHandle {
  public:
    using Handle = typename Traits::Handle;

    constexpr ScopedHandle() noexcept : handle_(Traits::Invalid()) {}
    constexpr explicit ScopedHandle(Handle handle) noexcept : handle_(handle) {}
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ~ScopedHandle() { Reset(); }

    Handle Get() const noexcept { return handle_; }
    bool IsValid() const noexcept { return handle_ != Traits::Invalid(); }
    explicit operator bool() const noexcept { return IsValid(); }

    // Hands the handle over: the caller closes it from now on, and this owner is empty.
    [[nodiscard]] Handle Release() noexcept { return std::exchange(handle_, Traits::Invalid()); }

    // Holds `handle` from now on and closes the one held before (not when it is `handle` itself). The new
    // value is in place before the close, so a close that wakes another thread never shows it the old one.
    void Reset(Handle handle = Traits::Invalid()) noexcept {
        const Handle old = std::exchange(handle_, handle);
        if (old != Traits::Invalid() && old != handle) {
            Traits::Close(old);
        }
    }

  private:
    Handle handle_;
};

}  // namespace base
