#include <windows.h>
#include <objbase.h>

#include <cctype>
#include <string>

#include <gtest/gtest.h>

#include "installer/system/process_services.h"
#include "installer/system/system.h"
#include "tests/installer/system/system_test_support_win32.h"
#include "tests/support/wine_fixture_win32.h"

using namespace installer;
using namespace system_test;
using korvo::test::ScratchFolder;

namespace {

// The marker program's three lines: command line, current folder, note. The
// file is renamed into place whole; the bound only keeps a program that never
// started from hanging the test.
std::string WaitForMarker(const std::string& marker) {
    for (int i = 0; i < 1500 && !korvo::test::FileExists(marker); ++i) Sleep(20);
    return korvo::test::ReadWholeFile(marker);
}

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace

TEST(RunProgram, starts_the_program_with_the_command_line_folder_and_environment_of_the_installer) {
    const std::string program = BesideTestProgram("system_marker.exe");
    ScratchFolder scratch;
    ASSERT_TRUE(scratch.ok());
    const std::string marker = scratch / "marker.txt";
    ScopedEnvironment markerPath("KORVO_MARKER", marker.c_str());
    ScopedEnvironment note("KORVO_MARKER_NOTE", "from the installer");

    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(scratch.path().c_str()));
    const std::string commandLine = "\"" + program + "\" -s";
    const bool started = RunProgram(program.c_str(), commandLine.c_str());
    SetCurrentDirectoryA(previous);
    ASSERT_TRUE(started) << program;

    const std::string expected =
        commandLine + "\n" + scratch.path().substr(0, scratch.path().size() - 1) + "\nfrom the installer\n";
    EXPECT_EQ(WaitForMarker(marker), expected);
}

TEST(RunProgram, starts_without_a_command_line_and_refuses_what_cannot_start) {
    const std::string program = BesideTestProgram("system_marker.exe");
    ScratchFolder scratch;
    ASSERT_TRUE(scratch.ok());
    const std::string marker = scratch / "marker.txt";
    ScopedEnvironment markerPath("KORVO_MARKER", marker.c_str());
    ASSERT_TRUE(RunProgram(program.c_str(), nullptr));
    EXPECT_NE(WaitForMarker(marker).find("system_marker"), std::string::npos);

    const std::string missing = scratch / "EAX3\\setup.exe";
    EXPECT_FALSE(RunProgram(missing.c_str(), (missing + " -s").c_str()));
    const std::string notProgram = scratch / "readme.exe";
    ASSERT_TRUE(korvo::test::WriteWholeFile(notProgram, "not a program"));
    EXPECT_FALSE(RunProgram(notProgram.c_str(), nullptr));
    EXPECT_FALSE(RunProgram(nullptr, "setup.exe -s"));
    EXPECT_FALSE(RunProgram("", nullptr));
}

// The files the system deletes at the next restart, as MoveFileEx notes them.
std::string PendingDeletions() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return "";
    }
    DWORD size = 0;
    std::string text;
    if (RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) ==
        ERROR_SUCCESS) {
        text.resize(size);
        if (RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(&text[0]), &size) != ERROR_SUCCESS) {
            text.clear();
        }
    }
    RegCloseKey(key);
    // Lower case, since the system notes paths in its own spelling.
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

TEST(StartProgramCopy, starts_a_copy_in_its_own_folder_that_the_system_deletes_at_restart) {
    const std::string program = BesideTestProgram("system_marker.exe");
    ScratchFolder scratch;
    ASSERT_TRUE(scratch.ok());
    const std::string marker = scratch / "marker.txt";
    ScopedEnvironment markerPath("KORVO_MARKER", marker.c_str());

    // An older copy is replaced.
    const std::string copy = scratch / "PWremove.exe";
    ASSERT_TRUE(korvo::test::WriteWholeFile(copy, "an older copy"));
    const std::string commandLine = "\"" + copy + "\" C:\\Games\\Korvo\\";
    ASSERT_TRUE(StartProgramCopy(program.c_str(), copy.c_str(), commandLine.c_str()));
    // Started with the command line given, in the copy's folder.
    EXPECT_EQ(WaitForMarker(marker),
              commandLine + "\n" + scratch.path().substr(0, scratch.path().size() - 1) + "\n\n");
    EXPECT_EQ(korvo::test::ReadWholeFile(copy), korvo::test::ReadWholeFile(program));
    std::string lowerCopy = copy;
    for (char& c : lowerCopy) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_NE(PendingDeletions().find(lowerCopy), std::string::npos);

    // What cannot be copied or started leaves no copy.
    const std::string other = scratch / "other.exe";
    EXPECT_FALSE(StartProgramCopy((scratch / "missing.exe").c_str(), other.c_str(), nullptr));
    EXPECT_FALSE(korvo::test::FileExists(other));
    const std::string notProgram = scratch / "readme.exe";
    ASSERT_TRUE(korvo::test::WriteWholeFile(notProgram, "not a program"));
    EXPECT_FALSE(StartProgramCopy(notProgram.c_str(), other.c_str(), nullptr));
    EXPECT_FALSE(korvo::test::FileExists(other));
    EXPECT_FALSE(StartProgramCopy(program.c_str(), "", nullptr));
}

TEST(GetWindowsVersion, tells_each_windows_family_apart) {
    if (!RunningUnderWine()) GTEST_SKIP() << "needs Wine to pretend other Windows versions";
    const std::string probe = BesideTestProgram("system_version_probe.exe");
    ScratchFolder scratch;
    ASSERT_TRUE(scratch.ok());

    struct Case {
        const char* wineVersion;
        DWORD expected;
    };
    const Case cases[] = {{"win95", kWindows95},     {"win98", kWindows98OrMe}, {"winme", kWindows98OrMe},
                          {"nt40", kWindowsOtherNt}, {"win2k", kWindows2000},   {"winxp", kWindowsOtherNt},
                          {"win7", kWindowsOtherNt}};
    for (const Case& c : cases) {
        // Wine picks the version for a program by its file name.
        const std::string name = std::string("korvo_version_") + c.wineVersion + ".exe";
        const std::string copy = scratch / name;
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
        const BOOL started = CreateProcessA(copy.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                                            nullptr, &startup, &process);
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
