#include "setup/setup_store_win32.h"

#include <windows.h>

namespace setup {
namespace {

// Closes its registry key on every path.
class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() {
        if (key_) RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

}  // namespace

size_t ReadStoredSetup(SetupRecordBytes* bytes) {
    RegistryKey key;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kSetupRegistryKey, key.out()) != ERROR_SUCCESS) return 0;
    DWORD size = static_cast<DWORD>(bytes->size());
    // A longer value does not fit the buffer and fails with ERROR_MORE_DATA.
    if (RegQueryValueExA(key.get(), kSetupRegistryValue, nullptr, nullptr, bytes->data(), &size) !=
        ERROR_SUCCESS)
        return 0;
    return size <= bytes->size() ? size : 0;
}

bool WriteStoredSetup(const SetupRecordBytes& bytes) {
    RegistryKey key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSetupRegistryKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        key.out(), nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExA(key.get(), kSetupRegistryValue, 0, REG_BINARY, bytes.data(),
                          static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
}

}  // namespace setup
