#include "installer/engine/copy_lock.h"

#include <windows.h>

namespace installer {

// On Windows the copy lock is a critical section.
struct CopyLock::Impl {
    Impl() { InitializeCriticalSection(&section); }
    ~Impl() { DeleteCriticalSection(&section); }
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
    CRITICAL_SECTION section;
};

CopyLock& CopyLock::Instance() {
    // Constructed on first use and destroyed at exit, after everything that
    // was constructed later.
    static CopyLock lock;
    return lock;
}

CopyLock::CopyLock() : impl_(std::make_unique<Impl>()) {}

CopyLock::~CopyLock() = default;

void CopyLock::Lock() {
    EnterCriticalSection(&impl_->section);
}

void CopyLock::Unlock() {
    LeaveCriticalSection(&impl_->section);
}

bool CopyLock::TryLock() {
    return TryEnterCriticalSection(&impl_->section) != FALSE;
}

namespace {
// Creates the lock during static initialisation, before the application.
[[maybe_unused]] CopyLock& g_copyLock = CopyLock::Instance();
}  // namespace

}  // namespace installer
