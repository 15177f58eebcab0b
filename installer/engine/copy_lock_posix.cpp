#include "installer/engine/copy_lock.h"

#include <mutex>

namespace installer {

// Outside Windows the copy lock is a recursive mutex, like the critical
// section it stands for.
struct CopyLock::Impl {
    std::recursive_mutex mutex;
};

CopyLock& CopyLock::Instance() {
    static CopyLock lock;
    return lock;
}

CopyLock::CopyLock() : impl_(std::make_unique<Impl>()) {}

CopyLock::~CopyLock() = default;

void CopyLock::Lock() {
    impl_->mutex.lock();
}

void CopyLock::Unlock() {
    impl_->mutex.unlock();
}

bool CopyLock::TryLock() {
    return impl_->mutex.try_lock();
}

namespace {
[[maybe_unused]] CopyLock& g_copyLock = CopyLock::Instance();
}  // namespace

}  // namespace installer
