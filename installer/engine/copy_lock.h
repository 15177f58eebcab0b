// The copy lock: guards the copy worker's running flag between the worker
// thread and the window that started it.
//
// It is created during static initialisation of this module, before main;
// any earlier use from another module's static initialiser creates it on the
// spot, so it is never used uncreated. It is deleted at process exit, so
// every copy worker must have ended before the process exits.
#ifndef INSTALLER_ENGINE_COPY_LOCK_H
#define INSTALLER_ENGINE_COPY_LOCK_H

#include <memory>

namespace installer {

class CopyLock {
public:
    // The one lock; created on first use.
    static CopyLock& Instance();

    CopyLock(const CopyLock&) = delete;
    CopyLock& operator=(const CopyLock&) = delete;

    // Recursive, so the thread that holds it may take it again (each Lock
    // needs its Unlock). TryLock takes it only when no other thread holds it
    // and tells whether it did.
    void Lock();
    void Unlock();
    bool TryLock();

private:
    CopyLock();
    ~CopyLock();

    struct Impl;  // the platform's lock object
    std::unique_ptr<Impl> impl_;
};

// Holds the copy lock for the length of a scope.
class CopyLockGuard {
public:
    CopyLockGuard() { CopyLock::Instance().Lock(); }
    ~CopyLockGuard() { CopyLock::Instance().Unlock(); }
    CopyLockGuard(const CopyLockGuard&) = delete;
    CopyLockGuard& operator=(const CopyLockGuard&) = delete;
};

}  // namespace installer

#endif  // INSTALLER_ENGINE_COPY_LOCK_H
