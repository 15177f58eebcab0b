// Helpers for the registry, shortcut and uninstaller tests: looking at the
// registry from outside through Wine's own reg.exe, reading shell links back,
// and the shell folders of the test prefix.
#ifndef TESTS_WIN32_RECORDS_TEST_SUPPORT_H
#define TESTS_WIN32_RECORDS_TEST_SUPPORT_H

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <string>

namespace records_test {

// COM for the calling thread, as the installer's start-up provides it.
class ComScope {
public:
    ComScope() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComScope()
    {
        if (ok_)
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool ok_;
};

// The running test's name: tests share one prefix and may run side by side,
// so every key, record and folder they make carries it.
inline std::string TestName()
{
    return ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

// Runs `commandLine` and collects what it prints. Returns its exit code, or
// -1 when it could not be started or did not end within a minute.
inline int RunAndCapture(const std::string& commandLine, std::string* output)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return -1;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    const BOOL started =
        CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return -1;
    }
    char chunk[1024];
    DWORD got = 0;
    while (ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0)
        output->append(chunk, got);
    CloseHandle(readEnd);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return static_cast<int>(code);
}

// `reg query "HKLM\<keyPath>" [/v <value>]` through Wine's reg.exe; the exit
// code is 0 when the key (and value) exist.
inline int RegQuery(const std::string& keyPath, const char* value, std::string* output)
{
    std::string command = "reg.exe query \"HKEY_LOCAL_MACHINE\\" + keyPath + "\"";
    if (value != nullptr)
        command += std::string(" /v \"") + value + "\"";
    return RunAndCapture(command, output);
}

inline bool KeyExists(const std::string& keyPath)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

inline bool ValueExists(const std::string& keyPath, const char* value)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    const bool found = RegQueryValueExA(key, value, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return found;
}

// Stores a value of any type directly, as another program would.
inline bool SetRawValue(const std::string& keyPath, const char* value, DWORD type, const void* data, DWORD size)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const bool ok = RegSetValueExA(key, value, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

inline void DeleteKeyTree(const std::string& keyPath) { SHDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath.c_str()); }

// A shell special folder of the prefix, ending with a backslash.
inline std::string SpecialFolder(int csidl)
{
    char path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE))
        return std::string();
    std::string folder = path;
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    return folder;
}

inline bool PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline bool IsFolder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

inline bool MakeFile(const std::string& path, const char* content = "x")
{
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(lstrlenA(content));
    const bool ok = WriteFile(file, content, size, &written, nullptr) && written == size;
    CloseHandle(file);
    return ok;
}

// What a shell link file says, read back through IShellLinkA.
struct LinkProperties {
    bool loaded = false;
    std::string target;
    std::string description;
    std::string workingFolder;
    std::string arguments;
    std::string iconFile;
    int iconIndex = 0;
};

inline LinkProperties ReadLink(const std::string& linkPath)
{
    LinkProperties properties;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return properties;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        WCHAR widePath[MAX_PATH];
        if (MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath, MAX_PATH) != 0 &&
            SUCCEEDED(file->Load(widePath, STGM_READ))) {
            char text[1024];
            properties.loaded = true;
            text[0] = '\0';
            link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
            properties.target = text;
            text[0] = '\0';
            link->GetDescription(text, sizeof text);
            properties.description = text;
            text[0] = '\0';
            link->GetWorkingDirectory(text, sizeof text);
            properties.workingFolder = text;
            text[0] = '\0';
            link->GetArguments(text, sizeof text);
            properties.arguments = text;
            text[0] = '\0';
            link->GetIconLocation(text, sizeof text, &properties.iconIndex);
            properties.iconFile = text;
        }
        file->Release();
    }
    link->Release();
    return properties;
}

}  // namespace records_test

#endif  // TESTS_WIN32_RECORDS_TEST_SUPPORT_H
