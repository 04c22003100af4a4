#include <windows.h>

#include <mutex>

#include "app/single_instance.h"
#include "base/wide_win.h"

namespace app {

struct SingleInstance::Impl {
    std::mutex lock;
    HANDLE mutex = nullptr;
};

SingleInstance::SingleInstance() : impl_(std::make_unique<Impl>()) {}

SingleInstance::~SingleInstance() {
    Release();
}

bool SingleInstance::Acquire(std::u16string_view name) {
    const std::u16string ownedName(name);
    HANDLE mutex = ::CreateMutexW(nullptr, TRUE, base::Wide(ownedName));
    if (mutex == nullptr) {
        return false;
    }
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mutex);
        return false;
    }
    std::lock_guard<std::mutex> guard(impl_->lock);
    impl_->mutex = mutex;
    return true;
}

void SingleInstance::Release() {
    std::lock_guard<std::mutex> guard(impl_->lock);
    if (impl_->mutex != nullptr) {
        ::CloseHandle(impl_->mutex);
        impl_->mutex = nullptr;
    }
}

}  // namespace app
