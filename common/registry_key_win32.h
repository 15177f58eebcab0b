// Owner of one open registry key (Win32 build only).
//
// Keys are opened for the length of one operation and closed by the owner on
// every path. Every open asks for KEY_ALL_ACCESS, so an account that may not
// write a key cannot read it through these helpers either.
//
// Shared by the installer's records, the settings tool and the GUI test
// driver; the last two may open with less access, and the value helpers are
// the plain Win32 calls on the held key, answering with their Win32 status.
#ifndef COMMON_REGISTRY_KEY_WIN32_H
#define COMMON_REGISTRY_KEY_WIN32_H

#include <windows.h>

namespace korvo {

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() { Close(); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Creates the key (non-volatile, no class, default security) or opens it
    // when it exists. False when the key path is null or the call fails.
    // `options` may ask for REG_OPTION_VOLATILE; `disposition`, when given,
    // tells whether the key was created or opened.
    bool Create(HKEY root, const char* keyPath, DWORD options = REG_OPTION_NON_VOLATILE,
                DWORD* disposition = nullptr) {
        Close();
        if (keyPath == nullptr) return Fail(ERROR_INVALID_PARAMETER);
        HKEY key = nullptr;
        DWORD created = 0;
        status_ =
            RegCreateKeyExA(root, keyPath, 0, nullptr, options, KEY_ALL_ACCESS, nullptr, &key, &created);
        if (status_ != ERROR_SUCCESS) return false;
        key_ = key;
        if (disposition != nullptr) *disposition = created;
        return true;
    }

    // Opens an existing key. False when the key path is null or the key
    // cannot be opened (missing, or no full access). `access` may ask for
    // less than full access.
    bool Open(HKEY root, const char* keyPath, REGSAM access = KEY_ALL_ACCESS) {
        Close();
        if (keyPath == nullptr) return Fail(ERROR_INVALID_PARAMETER);
        HKEY key = nullptr;
        status_ = RegOpenKeyExA(root, keyPath, 0, access, &key);
        if (status_ != ERROR_SUCCESS) return false;
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

    // The Win32 status of the last Create or Open.
    LONG Status() const { return status_; }

    // RegQueryValueExA on the held key: `*size` is the buffer's size on the
    // way in and the value's on the way out; a null `data` asks for the size.
    LONG QueryValue(const char* name, DWORD* type, void* data, DWORD* size) const {
        return RegQueryValueExA(key_, name, nullptr, type, static_cast<BYTE*>(data), size);
    }

    // RegSetValueExA on the held key.
    LONG SetValue(const char* name, DWORD type, const void* data, DWORD size) const {
        return RegSetValueExA(key_, name, 0, type, static_cast<const BYTE*>(data), size);
    }

    // Deletes one value, or a sub key that has no sub keys of its own.
    LONG DeleteValue(const char* name) const { return RegDeleteValueA(key_, name); }
    LONG DeleteSubKey(const char* name) const { return RegDeleteKeyA(key_, name); }

private:
    bool Fail(LONG status) {
        status_ = status;
        return false;
    }

    HKEY key_ = nullptr;
    LONG status_ = ERROR_SUCCESS;
};

}  // namespace korvo

#endif  // COMMON_REGISTRY_KEY_WIN32_H
