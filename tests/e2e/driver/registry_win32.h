// Registry access for scenarios: keys are written "HKLM\Software\...",
// "HKCU\..." (or the long root names). The driver runs in the same Wine
// prefix as the program under test, so it sees and changes the same values.
#ifndef TESTS_E2E_DRIVER_REGISTRY_WIN32_H
#define TESTS_E2E_DRIVER_REGISTRY_WIN32_H

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// Splits "HKLM\sub\key" into a root key and the sub key. False for an
// unknown root or an empty sub key.
bool ParseRegistryKey(const std::string& path, HKEY* root, std::string* subKey);

// Reads a value. False when the key or value does not exist or cannot be read.
bool ReadRegistryValue(const std::string& path, const std::string& name, DWORD* type,
                       std::vector<unsigned char>* data);

// Creates the key when needed and sets the value. False on failure.
bool WriteRegistryValue(const std::string& path, const std::string& name, DWORD type,
                        const std::vector<unsigned char>& data);

// Deletes one value (a missing value or key counts as success). False on
// another failure.
bool DeleteRegistryValue(const std::string& path, const std::string& name);

// Creates a volatile key (REG_OPTION_VOLATILE); false when it fails or the
// key exists already.
bool CreateVolatileRegistryKey(const std::string& path);

// Deletes a key with everything below it (a missing key counts as success).
bool DeleteRegistryKey(const std::string& path);

// Whether the key exists (and can be read).
bool RegistryKeyExists(const std::string& path);

// One value found by ListRegistryValues.
struct RegistryEntry {
    std::string name;  // "sub\key\value" below the listed key; "(default)" for an unnamed value
    DWORD type = 0;
    std::vector<unsigned char> data;
};

// Every value of the key at `path` and of all its sub keys, in the order
// the registry lists them. False when the key is missing or a value cannot
// be read.
bool ListRegistryValues(const std::string& path, std::vector<RegistryEntry>* values);

}  // namespace e2e

#endif  // TESTS_E2E_DRIVER_REGISTRY_WIN32_H
