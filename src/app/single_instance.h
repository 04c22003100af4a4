#pragma once

// One monitor per machine: a named lock that the first instance holds until it ends (or until its exit
// has been requested, so that a new instance may start while this one finishes). Windows: a named
// mutex; Linux: an exclusive file lock beside the pipe sockets.

#include <memory>
#include <string_view>

namespace app {

inline constexpr std::u16string_view kSingleInstanceName = u"zelvan_kvtsvc_";

class SingleInstance {
  public:
    SingleInstance();
    ~SingleInstance();  // releases
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another instance holds the name, or the lock cannot be made.
    bool Acquire(std::u16string_view name);
    // Safe from any thread, once or more.
    void Release();

    struct Impl;

  private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace app
