// gui_driver SCRIPT [NAME=VALUE...]
// Runs a GUI scenario; exit code 0 when it passes, 1 when a command fails,
// 2 for a bad command line or script. A failure leaves a screenshot named
// after the script ("<name>-failure.png") in the current folder.
// Besides the definitions on the command line a script may use ${DESKTOP}
// and ${PROGRAMS}, the user's desktop and Start-menu Programs folders, and
// ${TEMP}, the temporary folder (without its final backslash).
//
// A line "include FILE" stands for the lines of FILE (a path relative to the
// including script's folder): steps that several scenarios share, such as
// installing the game before a patch.
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/e2e/driver/driver_win32.h"
#include "tests/e2e/driver/script.h"

namespace {

constexpr int kMaxIncludeDepth = 8;

bool ReadScriptText(const std::string& path, std::string* text) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        // A Unix path reaches the program unchanged; Wine sees it through Z:.
        file.open("Z:" + path, std::ios::binary);
    }
    if (!file) return false;
    std::stringstream read;
    read << file.rdbuf();
    *text = read.str();
    return true;
}

// Parses the script at `path` into `lines`, each include line replaced by
// the lines of the file it names.
bool LoadScript(const std::string& path, const e2e::Variables& vars, int depth,
                std::vector<e2e::ScriptLine>* lines, std::string* error) {
    std::string text;
    if (!ReadScriptText(path, &text)) {
        *error = "cannot read " + path;
        return false;
    }
    std::vector<e2e::ScriptLine> own;
    if (!e2e::ParseScript(text, vars, &own, error)) {
        *error = path + ": " + *error;
        return false;
    }
    const size_t slash = path.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    for (e2e::ScriptLine& line : own) {
        if (line.words[0] != "include") {
            lines->push_back(std::move(line));
            continue;
        }
        if (line.words.size() != 2 || depth >= kMaxIncludeDepth) {
            *error = path + ":" + std::to_string(line.number) +
                     (line.words.size() != 2 ? ": include takes one file" : ": includes nest too deep");
            return false;
        }
        if (!LoadScript(folder + line.words[1], vars, depth + 1, lines, error)) return false;
    }
    return true;
}

}  // namespace

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
    char temp[MAX_PATH];
    const DWORD tempLength = GetTempPathA(MAX_PATH, temp);
    if (!vars.count("TEMP") && tempLength > 1 && tempLength < MAX_PATH)
        vars["TEMP"] = std::string(temp, tempLength - 1);
    std::string path = argv[1];
    std::string name =
        path.substr(path.find_last_of("/\\") == std::string::npos ? 0 : path.find_last_of("/\\") + 1);
    std::string stem = name.substr(0, name.rfind('.'));
    std::vector<e2e::ScriptLine> lines;
    std::string error;
    if (!LoadScript(path, vars, 0, &lines, &error)) {
        std::fprintf(stderr, "gui_driver: %s\n", error.c_str());
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
