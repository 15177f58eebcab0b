#include "installer/services/process_services.h"

#include <windows.h>
#include <objbase.h>

namespace installer {

// The copy lock is a critical section, created with the services and deleted
// after COM is stopped.
struct ProcessServices::Lock {
    Lock() { InitializeCriticalSection(&section); }
    ~Lock() { DeleteCriticalSection(&section); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    CRITICAL_SECTION section;
};

ProcessServices& ProcessServices::Instance() {
    // Constructed on first use and destroyed at exit, after everything that
    // was constructed later.
    static ProcessServices services;
    return services;
}

ProcessServices::ProcessServices() {
    // S_FALSE (COM already started on this thread) still needs its balancing
    // uninitialise; a failure (another apartment type) must not get one.
    const HRESULT result = CoInitialize(nullptr);
    comStarted_ = SUCCEEDED(result);
    lock_ = std::make_unique<Lock>();
}

ProcessServices::~ProcessServices() {
    if (comStarted_) CoUninitialize();
    lock_.reset();
}

void ProcessServices::LockCopy() {
    EnterCriticalSection(&lock_->section);
}

void ProcessServices::UnlockCopy() {
    LeaveCriticalSection(&lock_->section);
}

bool ProcessServices::TryLockCopy() {
    return TryEnterCriticalSection(&lock_->section) != FALSE;
}

namespace {
// Starts the services during static initialisation, before the application.
[[maybe_unused]] ProcessServices& g_processServices = ProcessServices::Instance();
}  // namespace

}  // namespace installer
