#include <windows.h>

#include <cstring>

#include "installer/system/install_log.h"

namespace installer {

std::string SystemReason(uint32_t code) {
    if (code == 0) return "no reason given";
    char text[512] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                  text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == ' ' ||
                          text[length - 1] == '.')) {
        --length;
    }
    if (length == 0) return "error " + std::to_string(code);
    return std::string(text, length) + " (error " + std::to_string(code) + ")";
}

uint32_t LastSystemError() {
    return GetLastError();
}

}  // namespace installer
