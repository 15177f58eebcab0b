#include "installer/system/process_services.h"

#include <windows.h>
#include <objbase.h>

namespace installer {

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
}

ProcessServices::~ProcessServices() {
    if (comStarted_) CoUninitialize();
}

namespace {
// Starts the services during static initialisation, before the application.
[[maybe_unused]] ProcessServices& g_processServices = ProcessServices::Instance();
}  // namespace

}  // namespace installer
