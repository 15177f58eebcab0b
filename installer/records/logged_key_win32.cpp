#include "installer/records/logged_key_win32.h"

#include <cstdio>
#include <cstring>

#include "installer/system/install_log.h"

namespace installer {

namespace {

const char* TypeName(DWORD type) {
    switch (type) {
        case REG_SZ:
            return "REG_SZ";
        case REG_EXPAND_SZ:
            return "REG_EXPAND_SZ";
        case REG_BINARY:
            return "REG_BINARY";
        case REG_DWORD:
            return "REG_DWORD";
        case REG_MULTI_SZ:
            return "REG_MULTI_SZ";
        case REG_NONE:
            return "REG_NONE";
    }
    return "REG_?";
}

bool Missing(LONG status) {
    return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND;
}

}  // namespace

std::string RegistryRootName(HKEY root) {
    if (root == HKEY_LOCAL_MACHINE) return "HKLM";
    if (root == HKEY_CURRENT_USER) return "HKCU";
    if (root == HKEY_CLASSES_ROOT) return "HKCR";
    if (root == HKEY_USERS) return "HKU";
    char text[32];
    std::snprintf(text, sizeof text, "HKEY(%p)", static_cast<void*>(root));
    return text;
}

std::string RegistryDataText(DWORD type, const void* data, DWORD size) {
    const char* bytes = static_cast<const char*>(data);
    if (type == REG_DWORD && size == sizeof(DWORD) && bytes != nullptr) {
        DWORD number = 0;
        std::memcpy(&number, bytes, sizeof number);
        return std::to_string(number);
    }
    // A text: one zero, at its end (string types may be stored without it).
    const bool stringType = type == REG_SZ || type == REG_EXPAND_SZ;
    if ((stringType || type == REG_BINARY) && bytes != nullptr && size > 0) {
        const DWORD length = bytes[size - 1] == '\0' ? size - 1 : size;
        if ((stringType || length < size) && std::memchr(bytes, '\0', length) == nullptr)
            return "\"" + std::string(bytes, length) + "\"";
    }
    if (stringType && size == 0) return "\"\"";
    return std::to_string(size) + " bytes";
}

bool LoggedKey::Create(HKEY root, const std::string& keyPath) {
    path_ = RegistryRootName(root) + "\\" + keyPath;
    if (key_.Create(root, keyPath.c_str())) return true;
    LogLine(LogKind::Failure, "cannot create key %s: %s", path_.c_str(),
            SystemReason(static_cast<uint32_t>(key_.Status())).c_str());
    return false;
}

bool LoggedKey::Open(HKEY root, const std::string& keyPath) {
    path_ = RegistryRootName(root) + "\\" + keyPath;
    if (key_.Open(root, keyPath.c_str())) return true;
    if (!Missing(key_.Status())) {
        LogLine(LogKind::Failure, "cannot open key %s: %s", path_.c_str(),
                SystemReason(static_cast<uint32_t>(key_.Status())).c_str());
    }
    return false;
}

std::string LoggedKey::Name(const char* name) const {
    return path_ + "\\" + (name == nullptr || name[0] == '\0' ? "(default)" : name);
}

LONG LoggedKey::SetValue(const char* name, DWORD type, const void* data, DWORD size) const {
    const LONG status = key_.SetValue(name, type, data, size);
    const std::string value =
        Name(name) + " = " + RegistryDataText(type, data, size) + " (" + TypeName(type) + ")";
    if (status == ERROR_SUCCESS) {
        LogLine(LogKind::Registry, "set %s", value.c_str());
    } else {
        LogLine(LogKind::Failure, "cannot set %s: %s", value.c_str(),
                SystemReason(static_cast<uint32_t>(status)).c_str());
    }
    return status;
}

LONG LoggedKey::SetText(const char* name, const char* text) const {
    return SetValue(name, REG_SZ, text, static_cast<DWORD>(std::strlen(text) + 1));
}

LONG LoggedKey::SetNumber(const char* name, DWORD number) const {
    return SetValue(name, REG_DWORD, &number, sizeof number);
}

LONG LoggedKey::DeleteValue(const char* name) const {
    const LONG status = key_.DeleteValue(name);
    if (status == ERROR_SUCCESS) {
        LogLine(LogKind::Registry, "deleted %s", Name(name).c_str());
    } else if (!Missing(status)) {
        LogLine(LogKind::Failure, "cannot delete %s: %s", Name(name).c_str(),
                SystemReason(static_cast<uint32_t>(status)).c_str());
    }
    return status;
}

LONG LoggedKey::DeleteSubKey(const char* name) const {
    const LONG status = key_.DeleteSubKey(name);
    if (status == ERROR_SUCCESS) {
        LogLine(LogKind::Registry, "removed key %s", Name(name).c_str());
    } else if (!Missing(status)) {
        LogLine(LogKind::Failure, "cannot remove key %s: %s", Name(name).c_str(),
                SystemReason(static_cast<uint32_t>(status)).c_str());
    }
    return status;
}

}  // namespace installer
