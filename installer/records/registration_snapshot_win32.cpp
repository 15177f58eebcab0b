#include "installer/records/registration_snapshot_win32.h"

#include "common/path_builder.h"
#include "common/registry_key_win32.h"
#include "installer/engine/install_script.h"
#include "installer/engine/settings_table.h"
#include "installer/records/logged_key_win32.h"
#include "installer/records/shortcuts_folders_win32.h"
#include "installer/records/uninstall_record_win32.h"
#include "installer/system/install_log.h"

namespace installer {

using korvo::PathBuilder;
using korvo::RegistryKey;

namespace {

// A link is a few kilobytes; anything larger is not one of ours to keep.
constexpr DWORD kMaxLinkSize = 1 << 20;

bool KeyExists(const std::string& keyPath) {
    RegistryKey key;
    return key.Open(HKEY_LOCAL_MACHINE, keyPath.c_str());
}

bool ReadWholeFile(const std::string& path, std::vector<char>* bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const DWORD size = GetFileSize(file, nullptr);
    bool ok = size != INVALID_FILE_SIZE && size <= kMaxLinkSize;
    if (ok) {
        bytes->resize(size);
        DWORD got = 0;
        ok = size == 0 || (ReadFile(file, bytes->data(), size, &got, nullptr) && got == size);
    }
    CloseHandle(file);
    return ok;
}

// Puts a link back as it was; logged.
bool WriteWholeFile(const std::string& path, const std::vector<char>& bytes) {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = file != INVALID_HANDLE_VALUE;
    if (ok) {
        DWORD written = 0;
        ok = bytes.empty() ||
             (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size());
        ok = CloseHandle(file) && ok;
    }
    if (ok) {
        LogLine(LogKind::Link, "restored link %s", path.c_str());
    } else {
        LogLine(LogKind::Failure, "cannot restore link %s: %s", path.c_str(),
                SystemReason(GetLastError()).c_str());
    }
    return ok;
}

// Removes a link that was not there before; logged when one was removed.
bool DeleteIfPresent(const std::string& path) {
    if (DeleteFileA(path.c_str())) {
        LogLine(LogKind::Link, "removed link %s", path.c_str());
        return true;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
    LogLine(LogKind::Failure, "cannot remove link %s: %s", path.c_str(), SystemReason(error).c_str());
    return false;
}

}  // namespace

void RegistrationSnapshot::Take(const Installation& installation) {
    const SettingsTable& settings = installation.settings;
    *this = RegistrationSnapshot();
    taken_ = true;

    const std::string gameKey = settings.Text(Setting::RegPath);
    values_.push_back({gameKey, settings.Text(Setting::RegIdirKey)});
    values_.push_back({gameKey, settings.Text(Setting::RegVersionKey)});
    const char* record = settings.Text(Setting::UninstallFolderName);
    if (record[0] != '\0') {
        recordName_ = record;
        recordKeyPath_ = std::string(kUninstallKeyPath) + "\\" + record;
        recordPresent_ = KeyExists(recordKeyPath_);
        for (const char* name : kUninstallRecordValues) values_.push_back({recordKeyPath_, name});
    }
    for (Value& value : values_) {
        RegistryKey key;
        DWORD size = 0;
        if (!key.Open(HKEY_LOCAL_MACHINE, value.keyPath.c_str()) ||
            RegQueryValueExA(key.get(), value.name.c_str(), nullptr, &value.type, nullptr, &size) !=
                ERROR_SUCCESS) {
            continue;
        }
        value.data.resize(size);
        value.present =
            RegQueryValueExA(key.get(), value.name.c_str(), nullptr, &value.type,
                             value.data.empty() ? nullptr : value.data.data(), &size) == ERROR_SUCCESS;
        value.data.resize(size);
    }

    PathBuilder programs;
    const char* levels = settings.Text(Setting::ShortcutFolder);
    if (!GetProgramsFolder(programs)) return;
    PathBuilder folder(programs);
    if (!AppendShortcutFolder(folder, levels, false)) return;
    const size_t levelsLength = ShortcutFolderLength(levels);
    if (levelsLength > 0) {
        PathBuilder holder(programs);
        holder.Append(levels, levelsLength);
        const DWORD attributes = GetFileAttributesA(holder.c_str());
        if (holder.ok() && attributes == INVALID_FILE_ATTRIBUTES)
            linkFolder_ = holder.StripTrailingBackslashes().c_str();
    }
    for (const auto& entry : installation.lists.addShortcut) {
        PathBuilder path(folder);
        path.Append(entry->firstName);
        if (!path.ok() || entry->firstName[0] == '\0') continue;
        Link link;
        link.path = path.c_str();
        link.present = ReadWholeFile(link.path, &link.bytes);
        links_.push_back(std::move(link));
    }
}

bool RegistrationSnapshot::Restore() const {
    if (!taken_) return false;
    LogLine(LogKind::Rollback, "putting back the registration that was there before");
    bool all = true;
    for (const Value& value : values_) {
        LoggedKey key;
        if (value.present) {
            all =
                key.Create(HKEY_LOCAL_MACHINE, value.keyPath) &&
                key.SetValue(value.name.c_str(), value.type, value.data.empty() ? nullptr : value.data.data(),
                             static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS &&
                all;
        } else if (key.Open(HKEY_LOCAL_MACHINE, value.keyPath)) {
            const LONG status = key.DeleteValue(value.name.c_str());
            all = (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) && all;
        }
    }
    // A record that did not exist goes again, key and all.
    if (!recordKeyPath_.empty() && !recordPresent_) {
        DeleteUninstallRecordNamed(recordName_.c_str());
        all = !KeyExists(recordKeyPath_) && all;
    }
    for (const Link& link : links_) {
        all = (link.present ? WriteWholeFile(link.path, link.bytes) : DeleteIfPresent(link.path)) && all;
    }
    if (!linkFolder_.empty() && RemoveDirectoryA(linkFolder_.c_str()))
        LogLine(LogKind::Link, "removed folder %s", linkFolder_.c_str());
    return all;
}

}  // namespace installer
