#include "tests/e2e/driver/registry_win32.h"

#include "common/registry_key_win32.h"

namespace e2e {
namespace {

using korvo::RegistryKey;

// Bounds what a scenario may read back; the values tested are small.
constexpr DWORD kMaxValueBytes = 1 << 20;

LONG DeleteTree(HKEY parent, const std::string& subKey) {
    {
        RegistryKey key;
        if (!key.Open(parent, subKey.c_str())) return key.Status();
        char child[256];
        for (;;) {
            DWORD length = sizeof child;
            if (RegEnumKeyExA(key.get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            if (DeleteTree(key.get(), child) != ERROR_SUCCESS) break;
        }
    }
    return RegDeleteKeyA(parent, subKey.c_str());
}

// Appends the values of `key` and its sub keys, named after `prefix`.
bool ListValues(HKEY key, const std::string& prefix, std::vector<RegistryEntry>* values) {
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD nameLength = sizeof name;
        DWORD type = 0;
        DWORD size = 0;
        LONG rc = RegEnumValueA(key, i, name, &nameLength, nullptr, &type, nullptr, &size);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS || size > kMaxValueBytes) return false;
        RegistryEntry entry;
        entry.name = prefix + (nameLength == 0 ? "(default)" : std::string(name, nameLength));
        entry.type = type;
        entry.data.assign(size, 0);
        nameLength = sizeof name;
        rc = RegEnumValueA(key, i, name, &nameLength, nullptr, &type, entry.data.data(), &size);
        if (rc != ERROR_SUCCESS) return false;
        entry.data.resize(size);
        values->push_back(std::move(entry));
    }
    for (DWORD i = 0;; ++i) {
        char child[256];
        DWORD length = sizeof child;
        const LONG rc = RegEnumKeyExA(key, i, child, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        RegistryKey sub;
        if (rc != ERROR_SUCCESS || !sub.Open(key, child, KEY_READ)) return false;
        if (!ListValues(sub.get(), prefix + child + "\\", values)) return false;
    }
    return true;
}

}  // namespace

bool ParseRegistryKey(const std::string& path, HKEY* root, std::string* subKey) {
    size_t slash = path.find('\\');
    if (slash == std::string::npos || slash + 1 == path.size()) return false;
    std::string name = path.substr(0, slash);
    if (name == "HKLM" || name == "HKEY_LOCAL_MACHINE") {
        *root = HKEY_LOCAL_MACHINE;
    } else if (name == "HKCU" || name == "HKEY_CURRENT_USER") {
        *root = HKEY_CURRENT_USER;
    } else if (name == "HKCR" || name == "HKEY_CLASSES_ROOT") {
        *root = HKEY_CLASSES_ROOT;
    } else {
        return false;
    }
    *subKey = path.substr(slash + 1);
    return true;
}

bool ReadRegistryValue(const std::string& path, const std::string& name, DWORD* type,
                       std::vector<unsigned char>* data) {
    HKEY root;
    std::string sub;
    if (!ParseRegistryKey(path, &root, &sub)) return false;
    RegistryKey key;
    if (!key.Open(root, sub.c_str(), KEY_READ)) return false;
    DWORD size = 0;
    if (key.QueryValue(name.c_str(), type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (size > kMaxValueBytes) return false;
    data->assign(size, 0);
    if (size == 0) return true;
    if (key.QueryValue(name.c_str(), type, data->data(), &size) != ERROR_SUCCESS) return false;
    data->resize(size);
    return true;
}

bool WriteRegistryValue(const std::string& path, const std::string& name, DWORD type,
                        const std::vector<unsigned char>& data) {
    HKEY root;
    std::string sub;
    if (!ParseRegistryKey(path, &root, &sub)) return false;
    RegistryKey key;
    if (!key.Create(root, sub.c_str())) return false;
    return key.SetValue(name.c_str(), type, data.data(), static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

bool DeleteRegistryValue(const std::string& path, const std::string& name) {
    HKEY root;
    std::string sub;
    if (!ParseRegistryKey(path, &root, &sub)) return false;
    RegistryKey key;
    if (!key.Open(root, sub.c_str())) return key.Status() == ERROR_FILE_NOT_FOUND;
    const LONG rc = key.DeleteValue(name.c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool CreateVolatileRegistryKey(const std::string& path) {
    HKEY root;
    std::string sub;
    if (!ParseRegistryKey(path, &root, &sub)) return false;
    RegistryKey key;
    DWORD disposition = 0;
    if (!key.Create(root, sub.c_str(), REG_OPTION_VOLATILE, &disposition)) return false;
    return disposition == REG_CREATED_NEW_KEY;
}

bool DeleteRegistryKey(const std::string& path) {
    HKEY root;
    std::string sub;
    if (!ParseRegistryKey(path, &root, &sub)) return false;
    LONG rc = DeleteTree(root, sub);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool RegistryKeyExists(const std::string& path) {
    HKEY root;
    std::string sub;
    RegistryKey key;
    return ParseRegistryKey(path, &root, &sub) && key.Open(root, sub.c_str(), KEY_READ);
}

bool ListRegistryValues(const std::string& path, std::vector<RegistryEntry>* values) {
    HKEY root;
    std::string sub;
    if (!ParseRegistryKey(path, &root, &sub)) return false;
    RegistryKey key;
    return key.Open(root, sub.c_str(), KEY_READ) && ListValues(key.get(), "", values);
}

}  // namespace e2e
