#include "installer/services/process_services.h"

#include <mutex>

namespace installer {

// Outside Windows there is no COM; the copy lock is a recursive mutex, like
// the critical section it stands for.
struct ProcessServices::Lock {
    std::recursive_mutex mutex;
};

ProcessServices& ProcessServices::Instance() {
    static ProcessServices services;
    return services;
}

ProcessServices::ProcessServices() : lock_(std::make_unique<Lock>()) {}

ProcessServices::~ProcessServices() = default;

void ProcessServices::LockCopy() {
    lock_->mutex.lock();
}

void ProcessServices::UnlockCopy() {
    lock_->mutex.unlock();
}

bool ProcessServices::TryLockCopy() {
    return lock_->mutex.try_lock();
}

namespace {
[[maybe_unused]] ProcessServices& g_processServices = ProcessServices::Instance();
}  // namespace

}  // namespace installer
