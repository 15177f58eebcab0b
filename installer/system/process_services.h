// Process-wide services of the installer, started once before the
// application runs and stopped once at process exit: COM for the main thread
// (a single-threaded apartment, needed by the shell link and folder
// services).
//
// Start-up happens during static initialisation of this module, before
// main; any earlier use from another module's static initialiser starts the
// services on the spot. COM is uninitialised at process exit.
#ifndef INSTALLER_SYSTEM_PROCESS_SERVICES_H
#define INSTALLER_SYSTEM_PROCESS_SERVICES_H

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

private:
    ProcessServices();
    ~ProcessServices();

    bool comStarted_ = false;
};

}  // namespace installer

#endif  // INSTALLER_SYSTEM_PROCESS_SERVICES_H
