// Shell links through the shell's link object (IShellLinkA, IPersistFile).
#include "installer/records/shortcuts_win32.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "common/com_ptr_win32.h"
#include "common/path_builder.h"
#include "installer/engine/settings_table.h"
#include "installer/records/shortcuts_folders_win32.h"
#include "installer/system/install_log.h"

namespace installer {

using korvo::PathBuilder;

namespace {

// IPersistFile::Save takes a UTF-16 path of at most MAX_PATH characters.
constexpr int kLinkPathChars = MAX_PATH;

bool UsableName(const char* name) {
    return name != nullptr && name[0] != '\0';
}

// The system's code behind a failed COM call: the Win32 error it wraps, or
// the HRESULT itself, which the system's texts also know.
uint32_t ErrorCode(HRESULT result) {
    return HRESULT_FACILITY(result) == FACILITY_WIN32 ? HRESULT_CODE(result) : static_cast<uint32_t>(result);
}

// Writes the link file; S_OK or the failed call's result.
HRESULT SaveShellLink(const char* linkPath, const char* target, const char* description,
                      const char* workingFolder, const char* iconFile, int iconIndex, const char* arguments) {
    WCHAR widePath[kLinkPathChars];
    if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, kLinkPathChars) == 0)
        return HRESULT_FROM_WIN32(GetLastError());

    korvo::ComPtr<IShellLinkA> link;
    HRESULT result =
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.Receive());
    if (FAILED(result) || !link) return FAILED(result) ? result : E_NOINTERFACE;
    result = link->SetPath(target);
    if (FAILED(result)) return result;
    if (description != nullptr) link->SetDescription(description);
    if (workingFolder != nullptr) link->SetWorkingDirectory(workingFolder);
    if (iconFile != nullptr) link->SetIconLocation(iconFile, iconIndex);
    if (arguments != nullptr) link->SetArguments(arguments);

    korvo::ComPtr<IPersistFile> file;
    result = link->QueryInterface(IID_IPersistFile, file.Receive());
    if (FAILED(result) || !file) return FAILED(result) ? result : E_NOINTERFACE;
    return file->Save(widePath, TRUE);
}

}  // namespace

bool CreateShellLink(const char* linkPath, const char* target, const char* description,
                     const char* workingFolder, const char* iconFile, int iconIndex, const char* arguments) {
    if (!UsableName(linkPath) || target == nullptr) return false;
    const HRESULT result =
        SaveShellLink(linkPath, target, description, workingFolder, iconFile, iconIndex, arguments);
    if (FAILED(result)) {
        LogLine(LogKind::Failure, "cannot make link %s -> %s: %s", linkPath, target,
                SystemReason(ErrorCode(result)).c_str());
        return false;
    }
    LogLine(LogKind::Link, "made link %s -> %s", linkPath, target);
    return true;
}

bool CreateDesktopShortcut(const SettingsTable& settings, const char* target, const char* description,
                           const char* workingFolder, const char* iconFile, int iconIndex,
                           const char* arguments) {
    const char* name = settings.Text(Setting::DesktopShortcutName);
    if (!UsableName(name)) return false;
    PathBuilder link;
    if (!GetDesktopFolder(link)) return false;
    link.Append(name);
    if (!link.ok()) return false;
    return CreateShellLink(link.c_str(), target, description, workingFolder, iconFile, iconIndex, arguments);
}

bool CreateProgramsShortcut(const SettingsTable& settings, const char* linkName, const char* target,
                            const char* description, const char* workingFolder, const char* iconFile,
                            int iconIndex, const char* arguments) {
    if (!UsableName(linkName)) return false;
    PathBuilder link;
    if (!GetProgramsFolder(link)) return false;
    if (!AppendShortcutFolder(link, settings.Text(Setting::ShortcutFolder), true)) return false;
    link.Append(linkName);
    if (!link.ok()) return false;
    return CreateShellLink(link.c_str(), target, description, workingFolder, iconFile, iconIndex, arguments);
}

}  // namespace installer
