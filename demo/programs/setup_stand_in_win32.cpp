// Stand-in for the setup programs that the installer starts from the disc
// (the EAX3 driver setup and the DirectX setups). It shows nothing: it
// leaves a marker and ends, so that a run can tell which program was started
// and with what command line.
//
// Marker: HKEY_CURRENT_USER\Software\Korvo demo\Programs started, a REG_SZ
// value named after the program's full path, holding its command line.
#include <windows.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return 1;
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Korvo demo\\Programs started", 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return 1;
    const char* commandLine = GetCommandLineA();
    const LONG result = RegSetValueExA(key, path, 0, REG_SZ, reinterpret_cast<const BYTE*>(commandLine),
                                       static_cast<DWORD>(std::strlen(commandLine) + 1));
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? 0 : 1;
}
