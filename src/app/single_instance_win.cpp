#include <windows.h>

#include <mutex>

#include "app/single_instance.h"
#include "base/scoped_handle_win.h"
#include "base/wide_win.h"

namespace app {

struct SingleInstance::Impl {
    std::mutex lock;
    base::ScopedKernelHandle mutex;
};

SingleInstance::SingleInstance() : impl_(std::make_unique<Impl>()) {}

SingleInstance::~SingleInstance() {
    Release();
}

bool SingleInstance::Acquire(std::u16string_view name) {
    const std::u16string ownedName(name);
    base::ScopedKernelHandle mutex(::CreateMutexW(nullptr, TRUE, base::Wide(ownedName)));
    if (!mutex) {
        return false;
    }
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        return false;
    }
    std::lock_guard<std::mutex> guard(impl_->lock);
    impl_->mutex = std::move(mutex);
    return true;
}

void SingleInstance::Release() {
    std::lock_guard<std::mutex> guard(impl_->lock);
    impl_->mutex.Reset();
}

}  // namespace app
