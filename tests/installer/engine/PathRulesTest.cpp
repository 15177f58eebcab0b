#include <gtest/gtest.h>

#include "installer/engine/path_rules.h"

using installer::IsFolderBelowDriveRoot;
using installer::IsSafeRelativeName;

TEST(PathRules, a_name_must_stay_inside_its_folder_and_name_no_device) {
    const char* const inside[] = {
        "korvo.exe",   "data\\levels\\a.map", "data/a.map", "Play Korvo.lnk", ".\\a\\.\\b", "a..b",
        "..a",         "CONSOLE.log",         "nul0",       "COM10",          "LPT",        "data\\",
        "\xC4pfel.txt"};
    for (const char* name : inside) EXPECT_TRUE(IsSafeRelativeName(name)) << name;

    // clang-format off
    const char* const outside[] = {
        "", "\\korvo.exe", "/etc/passwd", "\\\\server\\share\\x", "\\\\.\\PhysicalDrive0", "\\\\?\\C:\\x",
        "C:\\Windows\\x", "C:x", "korvo.exe:stream", "..", "..\\x", "a/../b", "a\\..", "...", ".. ", ".",
        "CON", "con", "NUL.tar.gz", "data\\aux", "data\\PRN.dat\\x", "com9.log", "lpt0", "CONIN$", "CON .txt"};
    // clang-format on
    for (const char* name : outside) EXPECT_FALSE(IsSafeRelativeName(name)) << name;
    EXPECT_FALSE(IsSafeRelativeName(nullptr));
}

TEST(PathRules, a_folder_must_lie_below_the_root_of_a_drive) {
    const char* const below[] = {"C:\\Games\\Korvo", "C:\\Games\\Korvo\\", "d:/Korvo", "Z:\\\\Korvo"};
    for (const char* folder : below) EXPECT_TRUE(IsFolderBelowDriveRoot(folder)) << folder;

    // clang-format off
    const char* const notBelow[] = {
        "", "C:", "C:\\", "C:/", "C:\\\\", "C:\\.\\", "C:Games", "Games\\Korvo", "\\Games",
        "\\\\server\\share\\Games", "C:\\Games\\..", "C:\\CON", "C:\\Games\\a:b"};
    // clang-format on
    for (const char* folder : notBelow) EXPECT_FALSE(IsFolderBelowDriveRoot(folder)) << folder;
    EXPECT_FALSE(IsFolderBelowDriveRoot(nullptr));
}
