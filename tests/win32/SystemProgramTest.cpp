#include <windows.h>
#include <objbase.h>

#include <string>

#include <gtest/gtest.h>

#include "system.h"
#include "system_process.h"
#include "system_test_support.h"

using namespace system_test;

namespace {

// Waits for the marker program's file to appear (it is renamed into place
// whole). The bound only keeps a broken start from hanging the test.
std::string WaitForMarker(const std::string& marker) {
    for (int i = 0; i < 1500 && !Exists(marker); ++i) Sleep(20);
    return ReadWholeFile(marker);
}

// Splits the marker text into its three lines.
struct MarkerText {
    explicit MarkerText(const std::string& text) {
        size_t first = text.find('\n');
        size_t second = first == std::string::npos ? first : text.find('\n', first + 1);
        if (second == std::string::npos) return;
        commandLine = text.substr(0, first);
        folder = text.substr(first + 1, second - first - 1);
        note = text.substr(second + 1);
        if (!note.empty() && note.back() == '\n') note.pop_back();
        complete = true;
    }
    bool complete = false;
    std::string commandLine;
    std::string folder;
    std::string note;
};

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace

TEST(RunProgram, starts_the_program_with_the_command_line_folder_and_environment_of_the_installer) {
    const std::string program = BesideTestProgram("system_marker.exe");
    ASSERT_TRUE(Exists(program)) << program;
    ScratchFolder scratch(SystemTempPath());
    ASSERT_TRUE(scratch.ok());
    const std::string marker = scratch.path() + "\\marker.txt";
    ScopedEnvironment markerPath("KORVO_MARKER", marker.c_str());
    ScopedEnvironment note("KORVO_MARKER_NOTE", "from the installer");

    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(scratch.path().c_str()));
    const std::string commandLine = "\"" + program + "\" -s";
    const bool started = RunProgram(program.c_str(), commandLine.c_str());
    SetCurrentDirectoryA(previous);
    ASSERT_TRUE(started);

    const MarkerText text(WaitForMarker(marker));
    ASSERT_TRUE(text.complete) << "the program left no marker";
    EXPECT_EQ(text.commandLine, commandLine);
    EXPECT_EQ(lstrcmpiA(text.folder.c_str(), scratch.path().c_str()), 0) << text.folder;
    EXPECT_EQ(text.note, "from the installer");
}

TEST(RunProgram, without_a_command_line_the_program_still_starts) {
    const std::string program = BesideTestProgram("system_marker.exe");
    ScratchFolder scratch(SystemTempPath());
    ASSERT_TRUE(scratch.ok());
    const std::string marker = scratch.path() + "\\marker.txt";
    ScopedEnvironment markerPath("KORVO_MARKER", marker.c_str());

    ASSERT_TRUE(RunProgram(program.c_str(), nullptr));
    const MarkerText text(WaitForMarker(marker));
    ASSERT_TRUE(text.complete);
    EXPECT_NE(text.commandLine.find("system_marker"), std::string::npos) << text.commandLine;
}

TEST(RunProgram, a_program_that_cannot_start_gives_false) {
    ScratchFolder scratch(SystemTempPath());
    ASSERT_TRUE(scratch.ok());
    const std::string missing = scratch.path() + "\\EAX3\\setup.exe";
    EXPECT_FALSE(RunProgram(missing.c_str(), (missing + " -s").c_str()));
    EXPECT_FALSE(RunProgram(nullptr, "setup.exe -s"));
    EXPECT_FALSE(RunProgram("", nullptr));

    // A file that is no program at all.
    const std::string text = scratch.path() + "\\readme.exe";
    HANDLE file = CreateFileA(text.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "not a program", 13, &written, nullptr);
    CloseHandle(file);
    EXPECT_FALSE(RunProgram(text.c_str(), nullptr));
}

TEST(GetWindowsVersion, tells_each_windows_family_apart) {
    if (!RunningUnderWine()) GTEST_SKIP() << "needs Wine to pretend other Windows versions";
    const std::string probe = BesideTestProgram("system_version_probe.exe");
    ASSERT_TRUE(Exists(probe)) << probe;
    ScratchFolder scratch(SystemTempPath());
    ASSERT_TRUE(scratch.ok());

    struct Case {
        const char* wineVersion;
        DWORD expected;
    };
    const Case cases[] = {{"win95", kWindows95},  {"win98", kWindows98OrMe}, {"winme", kWindows98OrMe},
                          {"nt40", kWindowsOtherNt}, {"win2k", kWindows2000}, {"winxp", kWindowsOtherNt},
                          {"win7", kWindowsOtherNt}};
    for (const Case& c : cases) {
        // Wine picks the version for a program by its file name.
        const std::string name = std::string("korvo_version_") + c.wineVersion + ".exe";
        const std::string copy = scratch.path() + "\\" + name;
        ASSERT_TRUE(CopyFileA(probe.c_str(), copy.c_str(), FALSE)) << copy;
        const std::string key = "Software\\Wine\\AppDefaults\\" + name;
        HKEY settings = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                  &settings, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(settings, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(c.wineVersion),
                       static_cast<DWORD>(strlen(c.wineVersion) + 1));
        RegCloseKey(settings);

        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        std::string line = "\"" + copy + "\"";
        const BOOL started = CreateProcessA(copy.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                            &startup, &process);
        DWORD code = 99;
        if (started) {
            if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
                GetExitCodeProcess(process.hProcess, &code);
            }
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
        RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
        ASSERT_TRUE(started) << name;
        EXPECT_EQ(code, c.expected) << c.wineVersion;
    }
}

TEST(ProcessServices, com_is_started_for_the_main_thread_before_main) {
    EXPECT_TRUE(ProcessServices::Instance().ComStarted());
    // A second start on the same thread finds the apartment already there.
    const HRESULT again = CoInitialize(nullptr);
    EXPECT_EQ(again, S_FALSE);
    if (SUCCEEDED(again)) CoUninitialize();
}
