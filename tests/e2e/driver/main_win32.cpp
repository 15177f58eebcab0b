// gui_driver SCRIPT [NAME=VALUE...]
// Runs a GUI scenario; exit code 0 when it passes, 1 when a command fails,
// 2 for a bad command line or script. A failure leaves a screenshot named
// after the script ("<name>-failure.png") in the current folder.
// Besides the definitions on the command line a script may use ${DESKTOP}
// and ${PROGRAMS}, the user's desktop and Start-menu Programs folders.
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/e2e/driver/driver_win32.h"
#include "tests/e2e/driver/script.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: gui_driver SCRIPT [NAME=VALUE...]\n");
        return 2;
    }
    e2e::Variables vars;
    for (int i = 2; i < argc; ++i) {
        std::string name, value;
        if (!e2e::ParseDefinition(argv[i], &name, &value)) {
            std::fprintf(stderr, "gui_driver: bad definition \"%s\" (NAME=VALUE)\n", argv[i]);
            return 2;
        }
        vars[name] = value;
    }
    // The shell folders that links go to, as the program under test sees them.
    const std::pair<const char*, int> folders[] = {{"DESKTOP", CSIDL_DESKTOPDIRECTORY},
                                                   {"PROGRAMS", CSIDL_PROGRAMS}};
    for (const auto& [name, csidl] : folders) {
        char folder[MAX_PATH];
        if (!vars.count(name) && SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, folder)))
            vars[name] = folder;
    }
    std::string path = argv[1];
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        // A Unix path reaches the program unchanged; Wine sees it through Z:.
        file.open("Z:" + path, std::ios::binary);
    }
    if (!file) {
        std::fprintf(stderr, "gui_driver: cannot read %s\n", path.c_str());
        return 2;
    }
    std::stringstream text;
    text << file.rdbuf();

    std::string name =
        path.substr(path.find_last_of("/\\") == std::string::npos ? 0 : path.find_last_of("/\\") + 1);
    std::string stem = name.substr(0, name.rfind('.'));
    std::vector<e2e::ScriptLine> lines;
    std::string error;
    if (!e2e::ParseScript(text.str(), vars, &lines, &error)) {
        std::fprintf(stderr, "%s: %s\n", name.c_str(), error.c_str());
        return 2;
    }
    for (const e2e::ScriptLine& line : lines) {
        if (!e2e::CheckCommand(line.words, &error)) {
            std::fprintf(stderr, "%s:%d: %s\n", name.c_str(), line.number, error.c_str());
            return 2;
        }
    }
    // Shell links are read through COM.
    CoInitialize(nullptr);
    bool passed = false;
    {
        // A failure's screenshot from an earlier run would tell of a failure
        // that is no more.
        const std::string failureShot = stem + "-failure.png";
        DeleteFileA(failureShot.c_str());
        e2e::Driver driver(failureShot);
        passed = driver.Run(lines, name);
    }
    CoUninitialize();
    return passed ? 0 : 1;
}
