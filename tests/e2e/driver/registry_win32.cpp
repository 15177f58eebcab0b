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

}  // namespace e2e
