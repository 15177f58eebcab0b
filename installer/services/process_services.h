// Process-wide services of the installer, started once before the
// application runs and stopped once at process exit: COM for the main thread
// (a single-threaded apartment, needed by the shell link and folder
// services) and the copy lock that guards the copy worker's running flag.
//
// Start-up happens during static initialisation of this module, before
// main; any earlier use from another module's static initialiser starts the
// services on the spot, so the lock is never used uncreated. Stop-up runs at
// process exit in the reverse order: COM is uninitialised, then the lock is
// deleted, so every copy worker must have ended before the process exits.
#ifndef INSTALLER_SERVICES_PROCESS_SERVICES_H
#define INSTALLER_SERVICES_PROCESS_SERVICES_H

#include <memory>

namespace installer {

class ProcessServices {
public:
    // The one instance; starts the services on first use.
    static ProcessServices& Instance();

    ProcessServices(const ProcessServices&) = delete;
    ProcessServices& operator=(const ProcessServices&) = delete;

    // Whether COM was initialised for the thread that started the services
    // (always false outside Windows). Only a successful start is balanced by
    // an uninitialise at exit.
    bool ComStarted() const { return comStarted_; }

    // The copy lock: recursive, so the thread that holds it may take it again
    // (each LockCopy needs its UnlockCopy). TryLockCopy takes it only when no
    // other thread holds it and tells whether it did.
    void LockCopy();
    void UnlockCopy();
    bool TryLockCopy();

private:
    ProcessServices();
    ~ProcessServices();

    struct Lock;  // the platform's lock object
    std::unique_ptr<Lock> lock_;
    bool comStarted_ = false;
};

// Holds the copy lock for the length of a scope.
class CopyLockGuard {
public:
    CopyLockGuard() { ProcessServices::Instance().LockCopy(); }
    ~CopyLockGuard() { ProcessServices::Instance().UnlockCopy(); }
    CopyLockGuard(const CopyLockGuard&) = delete;
    CopyLockGuard& operator=(const CopyLockGuard&) = delete;
};

}  // namespace installer

#endif  // INSTALLER_SERVICES_PROCESS_SERVICES_H
