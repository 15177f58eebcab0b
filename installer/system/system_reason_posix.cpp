#include <cerrno>
#include <cstring>

#include "installer/system/install_log.h"

namespace installer {

std::string SystemReason(uint32_t code) {
    if (code == 0) return "no reason given";
    return std::strerror(static_cast<int>(code));
}

uint32_t LastSystemError() {
    return static_cast<uint32_t>(errno);
}

}  // namespace installer
