#include "tests/e2e/driver/registry_win32.h"

namespace e2e {
namespace {

// Closes a registry key when it goes out of scope.
class KeyOwner {
public:
    KeyOwner() = default;
    ~KeyOwner() {
        if (key_) RegCloseKey(key_);
    }
    KeyOwner(const KeyOwner&) = delete;
    KeyOwner& operator=(const KeyOwner&) = delete;
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// Bounds what a scenario may read back; the values tested are small.
constexpr DWORD kMaxValueBytes = 1 << 20;

LONG DeleteTree(HKEY parent, const std::string& subKey) {
    {
        KeyOwner key;
        LONG rc = RegOpenKeyExA(parent, subKey.c_str(), 0, KEY_ALL_ACCESS, key.out());
        if (rc != ERROR_SUCCESS) return rc;
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
    KeyOwner key;
    if (RegOpenKeyExA(root, sub.c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS) return false;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    if (size > kMaxValueBytes) return false;
    data->assign(size, 0);
    if (size == 0) return true;
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, type, data->data(), &size) != ERROR_SUCCESS)
        return false;
    data->resize(size);
    return true;
}

bool WriteRegistryValue(const std::string& path, const std::string& name, DWORD type,
                        const std::vector<unsigned char>& data) {
    HKEY root;
    std::string sub;
    if (!ParseRegistryKey(path, &root, &sub)) return false;
    KeyOwner key;
    if (RegCreateKeyExA(root, sub.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.out(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    return RegSetValueExA(key.get(), name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size())) ==
           ERROR_SUCCESS;
}

bool DeleteRegistryValue(const std::string& path, const std::string& name) {
    HKEY root;
    std::string sub;
    if (!ParseRegistryKey(path, &root, &sub)) return false;
    KeyOwner key;
    LONG rc = RegOpenKeyExA(root, sub.c_str(), 0, KEY_ALL_ACCESS, key.out());
    if (rc == ERROR_FILE_NOT_FOUND) return true;
    if (rc != ERROR_SUCCESS) return false;
    rc = RegDeleteValueA(key.get(), name.c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool CreateVolatileRegistryKey(const std::string& path) {
    HKEY root;
    std::string sub;
    if (!ParseRegistryKey(path, &root, &sub)) return false;
    KeyOwner key;
    DWORD disposition = 0;
    if (RegCreateKeyExA(root, sub.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        key.out(), &disposition) != ERROR_SUCCESS)
        return false;
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
