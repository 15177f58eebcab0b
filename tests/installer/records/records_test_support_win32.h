// Helpers for the registry, shortcut and uninstaller tests: the registry seen
// from outside through Wine's reg.exe, shell links read back through
// IShellLinkA, and a game described to the installer as its script would,
// named after the running test so that tests sharing the prefix never meet.
#ifndef TESTS_INSTALLER_RECORDS_RECORDS_TEST_SUPPORT_WIN32_H
#define TESTS_INSTALLER_RECORDS_RECORDS_TEST_SUPPORT_WIN32_H

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <string>

#include "installer/engine/install_script.h"
#include "installer/engine/installation.h"
#include "installer/records/uninstall_record_win32.h"

namespace records_test {

inline std::string TestName() {
    return ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

// Runs `reg.exe query "HKLM\<keyPath>"` and returns its exit code (0 when the
// key exists) with what it printed in `output`.
inline int RegQuery(const std::string& keyPath, std::string* output) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return -1;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = writeEnd;
    PROCESS_INFORMATION process = {};
    std::string line = "reg.exe query \"HKEY_LOCAL_MACHINE\\" + keyPath + "\"";
    const BOOL started =
        CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    char chunk[1024];
    DWORD got = 0;
    while (started && ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0)
        output->append(chunk, got);
    CloseHandle(readEnd);
    if (!started) return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return static_cast<int>(code);
}

inline bool ValueExists(const std::string& keyPath, const char* value) {
    return SHGetValueA(HKEY_LOCAL_MACHINE, keyPath.c_str(), value, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

inline bool KeyExists(const std::string& keyPath) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// Stores a value of any type, as another program would.
inline bool SetRawValue(const std::string& keyPath, const char* value, DWORD type, const void* data,
                        DWORD size) {
    return SHSetValueA(HKEY_LOCAL_MACHINE, keyPath.c_str(), value, type, data, size) == ERROR_SUCCESS;
}

inline void DeleteKeyTree(const std::string& keyPath) {
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath.c_str());
}

// A shell folder of the prefix, ending with a backslash, found independently
// of the code under test.
inline std::string SpecialFolder(int csidl) {
    char path[MAX_PATH] = {};
    return SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE) ? std::string(path) + "\\" : std::string();
}

inline bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline bool MakeFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

// Removes a folder with everything in it; a missing folder is fine.
inline void RemoveTree(const std::string& folder) {
    std::string from = folder + std::string(1, '\0');  // the list ends with two zeros
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationA(&operation);
}

// What a shell link file says; `target` is "<unreadable>" when it cannot be loaded.
struct LinkProperties {
    std::string target = "<unreadable>", description, workingFolder, arguments, iconFile;
    int iconIndex = -1;
};

inline LinkProperties ReadLink(const std::string& linkPath) {
    LinkProperties read;
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    WCHAR widePath[MAX_PATH];
    char text[5][1024] = {};
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath, MAX_PATH) != 0 &&
        SUCCEEDED(file->Load(widePath, STGM_READ))) {
        link->GetPath(text[0], 1024, nullptr, SLGP_RAWPATH);
        link->GetDescription(text[1], 1024);
        link->GetWorkingDirectory(text[2], 1024);
        link->GetArguments(text[3], 1024);
        link->GetIconLocation(text[4], 1024, &read.iconIndex);
        read = {text[0], text[1], text[2], text[3], text[4], read.iconIndex};
    }
    if (file != nullptr) file->Release();
    if (link != nullptr) link->Release();
    return read;
}

// COM as the installer's start-up provides it, clean settings and lists, and
// a destination folder root_\Games\Korvo\ (not made yet) with the game key,
// uninstall record, desktop link and shortcut folder named after the test.
class GameInstall : public ::testing::Test {
protected:
    void SetUp() override {
        using namespace installer;
        const std::string name = TestName();
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        root_ = std::string(temp) + "korvo-records-" + name;
        destination_ = root_ + "\\Games\\Korvo\\";
        programs_ = SpecialFolder(CSIDL_PROGRAMS);
        desktop_ = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
        studio_ = "Korvo Tests " + name;
        shortcutFolder_ = studio_ + "\\Korvo\\";
        gameKey_ = "Software\\Korvo Tests\\" + name;
        record_ = std::string(kUninstallKeyPath) + "\\Korvo " + name;
        desktopLink_ = name + ".lnk";
        TearDown();
        ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr) &&
                    CreateDirectoryA((root_ + "\\Games").c_str(), nullptr));

        const std::pair<Setting, std::string> values[] = {{Setting::RegPath, gameKey_},
                                                          {Setting::RegIdirKey, "InstallDir"},
                                                          {Setting::RegVersionKey, "Version"},
                                                          {Setting::Version, "1.0"},
                                                          {Setting::UninstallItemName, "Korvo"},
                                                          {Setting::UninstallFolderName, "Korvo " + name},
                                                          {Setting::DesktopShortcutName, desktopLink_},
                                                          {Setting::ShortcutFolder, shortcutFolder_}};
        for (const auto& value : values) installation_.settings.Set(value.first, value.second.c_str());
        ASSERT_TRUE(installation_.folders.SetDestination(destination_.c_str()));
    }

    void TearDown() override {
        RemoveTree(root_);
        RemoveTree(programs_ + studio_);
        DeleteFileA((programs_ + studio_ + "Korvo.lnk").c_str());  // a last level without its backslash
        DeleteFileA((desktop_ + desktopLink_).c_str());
        DeleteKeyTree(gameKey_);
        DeleteKeyTree(record_);
        installation_.lists.Clear();
        installation_.settings.Clear();
    }

    // Feeds one install script line to the installation's lists and settings.
    void Script(const std::string& line) { installer::ApplyScriptLine(line.c_str(), installation_.Target()); }

    // Makes the file of every add_file entry, with the folders it lies in.
    void LayOutFiles() {
        CreateDirectoryA(destination_.c_str(), nullptr);
        for (const auto& entry : installation_.lists.addFile) {
            const std::string name = entry->secondName;
            for (size_t at = name.find('\\'); at != std::string::npos; at = name.find('\\', at + 1))
                CreateDirectoryA((destination_ + name.substr(0, at)).c_str(), nullptr);
            ASSERT_TRUE(MakeFile(destination_ + name)) << name;
        }
    }

    struct Com {
        Com() { CoInitialize(nullptr); }
        ~Com() { CoUninitialize(); }
    } com_;
    // The installation the code under test is handed.
    installer::Installation installation_;
    std::string root_, destination_, programs_, desktop_, studio_, shortcutFolder_, gameKey_, record_,
        desktopLink_;
};

}  // namespace records_test

#endif  // TESTS_INSTALLER_RECORDS_RECORDS_TEST_SUPPORT_WIN32_H
