// The game's REG_BINARY text values on top of the Win32 registry.
#include "installer/records/registry_values_win32.h"

#include <cstring>

#include "common/registry_key_win32.h"
#include "installer/records/logged_key_win32.h"

namespace installer {

using korvo::RegistryKey;

namespace {

// A key path of "" would address the root key itself.
bool UsableKeyPath(const char* keyPath) {
    return keyPath != nullptr && keyPath[0] != '\0';
}

}  // namespace

bool WriteRegistryValue(HKEY root, const char* keyPath, const char* valueName, const char* text) {
    if (text == nullptr || valueName == nullptr || !UsableKeyPath(keyPath)) return false;
    LoggedKey key;
    if (!key.Create(root, keyPath)) return false;
    return key.SetValue(valueName, REG_BINARY, text, static_cast<DWORD>(std::strlen(text) + 1)) ==
           ERROR_SUCCESS;
}

int32_t QueryRegistryValueSize(HKEY root, const char* keyPath, const char* valueName) {
    if (valueName == nullptr || !UsableKeyPath(keyPath)) return -1;
    RegistryKey key;
    if (!key.Open(root, keyPath)) return -1;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return -1;
    if (type != REG_BINARY || size > static_cast<DWORD>(INT32_MAX)) return -1;
    return static_cast<int32_t>(size);
}

bool ReadRegistryValue(HKEY root, const char* keyPath, const char* valueName, char* buffer,
                       uint32_t bufferSize) {
    if (buffer == nullptr || bufferSize == 0 || valueName == nullptr || !UsableKeyPath(keyPath)) return false;
    RegistryKey key;
    if (!key.Open(root, keyPath)) return false;
    DWORD type = 0;
    DWORD size = bufferSize;
    if (RegQueryValueExA(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS)
        return false;
    if (type != REG_BINARY || size == 0 || size > bufferSize) return false;
    if (buffer[size - 1] == '\0') return true;
    // Written by someone else without the zero: callers treat the buffer as a
    // text, so terminate it, or refuse when the data fills it completely.
    if (bufferSize - size < 1) return false;
    buffer[size] = '\0';
    return true;
}

bool DeleteRegistryValue(HKEY root, const char* keyPath, const char* valueName) {
    if (valueName == nullptr || !UsableKeyPath(keyPath)) return false;
    LoggedKey key;
    if (!key.Open(root, keyPath)) return false;
    const LONG result = key.DeleteValue(valueName);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

}  // namespace installer
