// A small program that RunProgram starts in the tests: it writes its command
// line, its current folder and the variable KORVO_MARKER_NOTE to the file
// that the variable KORVO_MARKER names, first under a temporary name and
// then renamed, so the file appears only when it is complete.
#include <windows.h>

#include <string>

int main() {
    char marker[MAX_PATH] = {};
    const DWORD markerLength = GetEnvironmentVariableA("KORVO_MARKER", marker, sizeof marker);
    if (markerLength == 0 || markerLength >= sizeof marker) return 2;

    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof folder, folder);
    char note[256] = {};
    GetEnvironmentVariableA("KORVO_MARKER_NOTE", note, sizeof note);

    const std::string text = std::string(GetCommandLineA()) + "\n" + folder + "\n" + note + "\n";
    const std::string temporary = std::string(marker) + ".part";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 3;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != text.size()) return 4;
    return MoveFileA(temporary.c_str(), marker) ? 0 : 5;
}
