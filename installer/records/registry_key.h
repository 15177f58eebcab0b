// Owner of one open registry key (Win32 build only).
//
// Keys are opened for the length of one operation and closed by the owner on
// every path. Every open asks for KEY_ALL_ACCESS, so an account that may not
// write a key cannot read it through these helpers either.
#ifndef INSTALLER_RECORDS_REGISTRY_KEY_H
#define INSTALLER_RECORDS_REGISTRY_KEY_H

#include <windows.h>

namespace installer {

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() { Close(); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Creates the key (non-volatile, no class, default security) or opens it
    // when it exists. False when the key path is null or the call fails.
    bool Create(HKEY root, const char* keyPath) {
        Close();
        if (keyPath == nullptr) return false;
        HKEY key = nullptr;
        DWORD disposition = 0;
        if (RegCreateKeyExA(root, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                            &disposition) != ERROR_SUCCESS)
            return false;
        key_ = key;
        return true;
    }

    // Opens an existing key. False when the key path is null or the key
    // cannot be opened (missing, or no full access).
    bool Open(HKEY root, const char* keyPath) {
        Close();
        if (keyPath == nullptr) return false;
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, keyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return false;
        key_ = key;
        return true;
    }

    void Close() {
        if (key_ != nullptr) {
            RegCloseKey(key_);
            key_ = nullptr;
        }
    }

    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

}  // namespace installer

#endif  // INSTALLER_RECORDS_REGISTRY_KEY_H
