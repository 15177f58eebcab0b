#include "installer/system/process_services.h"

namespace installer {

// Outside Windows there is no COM to start.
ProcessServices& ProcessServices::Instance() {
    static ProcessServices services;
    return services;
}

ProcessServices::ProcessServices() = default;

ProcessServices::~ProcessServices() = default;

}  // namespace installer
