#include "setup/setup_store_win32.h"

#include <windows.h>

#include "common/registry_key_win32.h"

namespace setup {

using korvo::RegistryKey;

size_t ReadStoredSetup(SetupRecordBytes* bytes) {
    RegistryKey key;
    // The access RegOpenKeyA asks for: whatever the account may have, so an
    // account that may only read the key still reads the record.
    if (!key.Open(HKEY_LOCAL_MACHINE, kSetupRegistryKey, MAXIMUM_ALLOWED)) return 0;
    DWORD size = static_cast<DWORD>(bytes->size());
    // A longer value does not fit the buffer and fails with ERROR_MORE_DATA.
    if (key.QueryValue(kSetupRegistryValue, nullptr, bytes->data(), &size) != ERROR_SUCCESS) return 0;
    return size <= bytes->size() ? size : 0;
}

bool WriteStoredSetup(const SetupRecordBytes& bytes) {
    RegistryKey key;
    if (!key.Create(HKEY_LOCAL_MACHINE, kSetupRegistryKey)) return false;
    return key.SetValue(kSetupRegistryValue, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size())) ==
           ERROR_SUCCESS;
}

}  // namespace setup
