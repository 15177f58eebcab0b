#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "dta/dta.h"
#include "dta/leak_report.h"
#include "installer/engine/installer_flow.h"
#include "installer/engine/language_check.h"
#include "installer/resources/resource.h"
#include "installer/system/install_log.h"
#include "installer/system/system.h"
#include "tests/installer/engine/engine_test_support.h"

using engine_test::NativePath;
using engine_test::WorkFolder;
using namespace installer;

namespace {

const char kGameKey[] = "Software\\Ambergate Studio\\Korvo";

// Page names for the trace, in the order of Page.
const char* const kPageNames[] = {"Welcome", "Licence", "PatchNotes", "Destination", "Copy",
                                  "Options", "Backup",  "Restore",    "Finish"};

// Whether the installer's data archive is still registered.
bool DataArchiveHeld() {
    const int32_t handle = dtaOpen("idata.txt", 0);
    if (handle < 0) return false;
    dtaClose(handle);
    return true;
}

// Plays the pages and the user from scripts and writes what the flow asks
// for into a trace of short lines.
class ScriptedHost : public FlowHost {
public:
    std::vector<std::string> trace;
    std::deque<int> results;                      // one per page shown
    std::deque<Answer> answers;                   // one per message box
    std::map<std::string, std::string> registry;  // value name -> stored bytes, under kGameKey
    std::string currentFolder;
    bool currentFolderReadable = true;
    bool directXTicked = false;  // the options page's box
    int32_t windows = kWindowsOtherNt;
    std::string tempFolder = "T:\\Temp\\";
    uint64_t available = 500000000;
    std::string sourceFolder;  // cut from program paths in the trace
    bool registrationRestores = true;
    std::function<void(CopyJournal&)> copy;  // plays the copy of an upgrade
    std::string programFolder;               // none when empty
    bool copyStarts = true;

    bool ProgramFolder(std::string* folder) override {
        *folder = programFolder;
        return !programFolder.empty();
    }
    bool StartProgramCopy(const char* copyPath, const char* commandLine) override {
        trace.push_back(std::string("start copy ") + copyPath + " | " + commandLine);
        return copyStarts;
    }

    bool CurrentFolder(std::string* folder) override {
        *folder = currentFolder;
        return currentFolderReadable;
    }
    void CreateBackdrop() override { trace.push_back("backdrop"); }
    void FocusBackdrop() override { trace.push_back("focus"); }
    int ShowPage(Page page, const PageParams& params) override {
        std::string line = std::string("page ") + kPageNames[static_cast<int>(page)];
        if (page == Page::Finish) line += " " + std::to_string(params.finishMode);
        // The copy reads from the discs: the data archive is gone by then.
        if (page == Page::Copy && DataArchiveHeld()) line += " +data";
        if (params.journal != nullptr) line += " +journal";
        trace.push_back(line);
        if (page == Page::Copy && params.journal != nullptr && copy) copy(*params.journal);
        if (results.empty()) {
            ADD_FAILURE() << "no result scripted for " << line;
            return kResultEscape;
        }
        const int result = results.front();
        results.pop_front();
        if (page == Page::Options && result == kResultNext) optionsLeftWithNext_ = true;
        return result;
    }
    bool DirectXChosen() override { return optionsLeftWithNext_ && directXTicked; }
    Answer ShowMessage(const Message& message) override {
        std::string line =
            "message " + std::to_string(message.captionId) + "/" + std::to_string(message.textId);
        for (int i = 0; i < message.argCount; ++i) {
            const MessageArg& arg = message.args[i];
            line += " " + (arg.kind == MessageArg::Kind::Number
                               ? std::to_string(arg.number)
                               : std::string(arg.text != nullptr ? arg.text : ""));
        }
        trace.push_back(line);
        if (answers.empty()) return message.buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    int32_t QueryRegistryValueSize(const char* key, const char* name) override {
        auto found = registry.find(name);
        if (std::string(key) != kGameKey || found == registry.end()) return -1;
        return static_cast<int32_t>(found->second.size());
    }
    // As the registry service reads: the whole value within the limit, a
    // zero added when the value lacks one and there is room.
    bool ReadRegistryValue(const char* key, const char* name, char* buffer, uint32_t size) override {
        auto found = registry.find(name);
        if (std::string(key) != kGameKey || found == registry.end() || found->second.empty()) return false;
        const std::string& data = found->second;
        if (data.size() > size || (data.back() != '\0' && data.size() == size)) return false;
        std::copy(data.begin(), data.end(), buffer);
        if (data.back() != '\0') buffer[data.size()] = '\0';
        return true;
    }
    void RegisterInstallation() override { trace.push_back("register"); }
    void UninstallGame(const char* folder) override {
        trace.push_back(std::string("uninstall ") + folder + (DataArchiveHeld() ? " +data" : ""));
    }
    void RemoveBackupFiles() override { trace.push_back("remove backups"); }
    void SaveRegistration() override { trace.push_back("save registration"); }
    bool RestoreRegistration() override {
        trace.push_back("restore registration");
        return registrationRestores;
    }
    bool GetTempFolder(char* buffer, uint32_t size) override {
        if (tempFolder.size() >= size) return false;
        std::copy(tempFolder.c_str(), tempFolder.c_str() + tempFolder.size() + 1, buffer);
        return true;
    }
    bool HasFreeSpace(const char* root, uint64_t required, uint64_t* availableBytes) override {
        trace.push_back("space " + std::string(root) + " " + std::to_string(required));
        *availableBytes = available;
        return required < available;
    }
    int32_t GetWindowsVersion() override { return windows; }
    bool RunProgram(const char* program, const char* commandLine) override {
        trace.push_back("run " + Relative(program) + " | " + (commandLine ? Relative(commandLine) : "none"));
        return true;
    }

private:
    std::string Relative(const std::string& path) const {
        return path.compare(0, sourceFolder.size(), sourceFolder) == 0 ? path.substr(sourceFolder.size())
                                                                       : path;
    }
    bool optionsLeftWithNext_ = false;
};

std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : ", ") + line;
    return text;
}

class InstallerFlowTest : public testing::Test {
protected:
    InstallerFlowTest() {
        // Folder texts as the installer keeps them, with backslashes. The
        // archive library takes paths as they are, so natively the discs'
        // files are names with backslashes in the work folder.
        disc_ = folder_.Folder() + "disc\\";
        game_ = folder_.Folder() + "game\\";
        host_.sourceFolder = disc_;
        // The log goes to the work folder, not to the temporary folder whose
        // emptiness the upgrade tests check.
        ResetInstallLog();
        SetInstallLogFile(NativePath(folder_.Folder() + "install.log"));
    }
    void TearDown() override {
        // Every archive a run registered is released again, once.
        EXPECT_EQ(dta::detail::CurrentLeakReport(), "");
        EXPECT_FALSE(DataArchiveHeld());
    }

    // The disc's data archive with a script of the usual settings, then
    // `lines`.
    void Disc(const std::string& lines = "") {
        const std::string script =
            "var game_name Korvo\nvar u_game_name Korvo\n"
            "var reg_path \"Software\\Ambergate Studio\\Korvo\"\n"
            "var reg_idir_key InstallDir\nvar reg_version_key Version\nvar version 1.2\n"
            "var directx_name DirectX\\dxsetup.exe\nvar directxNT_name DirectX\\dxsetupNT.exe\n"
            "var request_space_backup 1500000000\n"
            "dst_path C:\\Games\\Korvo\nadd_file a.bin a.bin 1 0\n" +
            lines;
        folder_.Pack(std::string("disc\\") + kDataArchiveName, {{"idata.txt", script}}, kDataArchiveKey1,
                     kDataArchiveKey2);
    }
    // A patch disc and an installed game whose marks agree.
    void PatchDisc(const std::string& installedVersion = "1.1") {
        Disc("var is_patch true\n");
        Installed(game_, installedVersion);
        folder_.Pack("game\\aa.dta", {{"tables\\version.txt", "EN"}}, kGameArchiveKey1, kGameArchiveKey2);
        folder_.Pack("disc\\patch\\a8.dta", {{"patch\\version.txt", "EN"}}, kPatchArchiveKey1,
                     kPatchArchiveKey2);
    }
    // The registry values of an installed game, stored with their zeros.
    void Installed(const std::string& folder, const std::string& version) {
        if (!folder.empty()) host_.registry["InstallDir"] = folder + '\0';
        if (!version.empty()) host_.registry["Version"] = version + '\0';
    }

    // `text` with "G" standing for the game folder and `token` for `bytes`.
    std::string Expand(const char* text, const char* token, const std::string& bytes) const {
        std::string out;
        for (const char* p = text; *p != '\0'; ++p) {
            if (*p == 'G') {
                out += game_;
            } else if (*token != '\0' && *p == *token) {
                out += bytes;
            } else {
                out += *p;
            }
        }
        return out;
    }

    std::string Run(std::vector<int> results, const char* commandLine = nullptr) {
        host_.results.assign(results.begin(), results.end());
        InstallerFlow flow(host_, InstallScriptTarget{settings_, lists_, folders_});
        exitCode_ = flow.Run(commandLine != nullptr ? commandLine : disc_.c_str());
        EXPECT_TRUE(host_.results.empty()) << "pages left unshown";
        return Join(host_.trace);
    }

    WorkFolder folder_;
    std::string disc_;
    std::string game_;
    ScriptedHost host_;
    int exitCode_ = -1;
    SettingsTable settings_;
    ScriptLists lists_;
    InstallerFolders folders_;
};

const char kStart[] = "backdrop, focus, page Welcome";
const char kEax3[] = "run EAX3\\setup.exe | EAX3\\setup.exe -s";

struct Walk {
    const char* name;
    std::vector<int> results;
    std::string trace;  // after kStart
};

}  // namespace

TEST_F(InstallerFlowTest, install_walks_every_step_and_result) {
    const int kDenied = kResultRegistryDenied;
    const Walk walks[] = {
        {"all Next",
         {1, 1, 1, 1, 1, 1},
         ", page Licence, page Destination, page Copy, register, page Options, " + std::string(kEax3) +
             ", page Finish 1"},
        {"Finish left with Esc",
         {1, 1, 1, 1, 1, 2},
         ", page Licence, page Destination, page Copy, register, page Options, " + std::string(kEax3) +
             ", page Finish 1"},
        {"Welcome Back", {12}, ""},
        {"Welcome Cancel", {9, 1}, ", page Finish 0"},
        {"Welcome registry denied", {kDenied, 1}, ", page Finish -2"},
        {"Welcome other", {2}, ""},
        {"Licence Back", {1, 12, 12}, ", page Licence, focus, page Welcome"},
        {"Licence Cancel", {1, 9, 1}, ", page Licence, page Finish 0"},
        {"Licence other", {1, 7}, ", page Licence"},
        {"Destination Back",
         {1, 1, 12, 9, 1},
         ", page Licence, page Destination, page Licence, page Finish 0"},
        {"Destination Cancel", {1, 1, 9, 1}, ", page Licence, page Destination, page Finish 0"},
        {"Destination other", {1, 1, 2}, ", page Licence, page Destination"},
        {"Copy Cancel",
         {1, 1, 1, 9, 1},
         ", page Licence, page Destination, page Copy, uninstall C:\\Games\\Korvo\\, page Finish 0"},
        {"Copy Back", {1, 1, 1, 12}, ", page Licence, page Destination, page Copy"},
        {"Copy other", {1, 1, 1, 2}, ", page Licence, page Destination, page Copy"},
        {"Options Cancel",
         {1, 1, 1, 1, 9, 1},
         ", page Licence, page Destination, page Copy, register, page Options, uninstall C:\\Games\\Korvo\\, "
         "page Finish 0"},
        {"Options Back",
         {1, 1, 1, 1, 12},
         ", page Licence, page Destination, page Copy, register, page Options"},
    };
    for (const Walk& walk : walks) {
        SCOPED_TRACE(walk.name);
        Disc();
        host_.trace.clear();
        EXPECT_EQ(Run(walk.results), kStart + walk.trace);
    }
}

TEST_F(InstallerFlowTest, patch_walks_every_step_and_result) {
    const std::string space = ", page PatchNotes, space T:\\ 1500000000";
    host_.available = 2000000000;
    const Walk walks[] = {
        {"all Next",
         {1, 1, 1, 1, 1, 1},
         ", page Licence" + space + ", page Backup, page Copy, register, remove backups, page Finish 1"},
        {"PatchNotes Back", {1, 1, 12, 9, 1}, ", page Licence, page PatchNotes, page Licence, page Finish 0"},
        {"PatchNotes Cancel", {1, 1, 9, 1}, ", page Licence, page PatchNotes, page Finish 0"},
        {"PatchNotes other", {1, 1, 2}, ", page Licence, page PatchNotes"},
        {"Backup Cancel",
         {1, 1, 1, 9, 1},
         ", page Licence" + space + ", page Backup, remove backups, page Finish 0"},
        {"Backup other", {1, 1, 1, 12}, ", page Licence" + space + ", page Backup"},
        {"Copy Cancel, restored",
         {1, 1, 1, 1, 9, 1, 1},
         ", page Licence" + space + ", page Backup, page Copy, page Restore, remove backups, page Finish 0"},
        {"Copy Cancel, restore failed",
         {1, 1, 1, 1, 9, 9},
         ", page Licence" + space + ", page Backup, page Copy, page Restore"},
        {"Copy Cancel, restore other",
         {1, 1, 1, 1, 9, 12},
         ", page Licence" + space + ", page Backup, page Copy, page Restore"},
        {"Copy Back", {1, 1, 1, 1, 12}, ", page Licence" + space + ", page Backup, page Copy"},
    };
    for (const Walk& walk : walks) {
        SCOPED_TRACE(walk.name);
        PatchDisc();
        host_.trace.clear();
        // The options page never shows, so its DirectX box never counts.
        host_.directXTicked = true;
        EXPECT_EQ(Run(walk.results), kStart + walk.trace);
        EXPECT_EQ(folders_.Destination(), game_);  // the registered folder, not dst_path
    }
}

TEST_F(InstallerFlowTest, too_little_space_for_the_backup_shows_both_sizes) {
    PatchDisc();
    EXPECT_EQ(Run({1, 1, 1, 1}), std::string(kStart) +
                                     ", page Licence, page PatchNotes, space T:\\ 1500000000, "
                                     "message 66/67 1.40 GB 476.84 MB, page Finish 0");
}

TEST_F(InstallerFlowTest, a_backup_size_of_zero_or_less_asks_for_no_space) {
    for (const char* size : {"-1500000000", "0"}) {
        SCOPED_TRACE(size);
        PatchDisc();
        // The patch disc's script again, its backup size replaced.
        Disc("var is_patch true\nvar request_space_backup " + std::string(size) + "\n");
        host_.trace.clear();
        EXPECT_EQ(Run({1, 1, 1, 12}),
                  std::string(kStart) + ", page Licence, page PatchNotes, space T:\\ 0, page Backup");
    }
}

TEST_F(InstallerFlowTest, directx_starts_after_the_finish_page_of_an_install_when_chosen) {
    struct Case {
        int32_t windows;
        std::vector<int> results;
        const char* started;
    };
    const Case cases[] = {
        {kWindowsOtherNt, {1, 1, 1, 1, 1, 2}, "run DirectX\\dxsetupNT.exe | none"},
        {kWindows2000, {1, 1, 1, 1, 1, 1}, "run DirectX\\dxsetupNT.exe | none"},
        {kWindows98OrMe, {1, 1, 1, 1, 1, 1}, "run DirectX\\dxsetup.exe | none"},
        {kWindowsUnknown, {1, 1, 1, 1, 1, 1}, "run DirectX\\dxsetup.exe | none"},
        {kWindowsOtherNt, {1, 1, 1, 1, 9, 1}, nullptr},  // nothing installed
    };
    for (const Case& test : cases) {
        Disc();
        host_.trace.clear();
        host_.directXTicked = true;
        host_.windows = test.windows;
        Run(test.results);
        const std::string last = host_.trace.back();
        EXPECT_EQ(last, test.started != nullptr ? test.started : "page Finish 0");
        if (test.started != nullptr) {
            EXPECT_EQ(host_.trace[host_.trace.size() - 2], "page Finish 1");
        }
    }
}

TEST_F(InstallerFlowTest, the_installed_state_decides_the_mode) {
    // Registry values as stored ("G" is the game folder, "~" a zero byte),
    // the answer to a question, and what follows ("G" again the folder).
    struct Case {
        const char* name;
        const char* script;
        const char* folder;
        const char* version;
        std::vector<Answer> answers;
        std::vector<int> results;
        const char* commandLine;
        const char* trace;
    };
    // clang-format off
    const Case cases[] = {
        {"same version, Yes", "", "G~", "1.2~", {}, {1}, nullptr, "message 87/88, uninstall G, page Finish -1"},
        {"same version, No", "", "G~", "1.2~", {Answer::No}, {}, nullptr, "message 87/88"},
        {"same version of a patch", "var is_patch true\n", "G~", "1.2~", {}, {1}, nullptr,
         "message 87/88, uninstall G, page Finish -1"},
        {"folder value without its zero", "", "G", "1.2~", {}, {1}, nullptr,
         "message 87/88, uninstall G, page Finish -1"},
        {"no folder value: the script's folder", "dst_path C:\\Play\\Korvo\n", nullptr, "1.2~", {}, {1}, nullptr,
         "message 87/88, uninstall C:\\Play\\Korvo\\, page Finish -1"},
        {"empty folder value: nothing touched", "", "~", "1.2~", {}, {1}, nullptr, "message 87/88, page Finish 0"},
        {"folder value of one character: nothing touched", "", "\\~", "1.2~", {}, {1}, nullptr,
         "message 87/88, page Finish 0"},
        {"1.10 over 1.9: refused", "var version 1.10\n", "G~", "1.9~", {}, {}, nullptr, "message 66/95"},
        {"1.9 over 1.10: installed over", "var version 1.9\n", "G~", "1.10~", {}, {12}, nullptr, "focus, page Welcome"},
        {"folder without version is 1.0", "var version 1.0\n", "G~", nullptr, {}, {1}, nullptr,
         "message 87/88, uninstall G, page Finish -1"},
        {"1.1 over a folder without version", "var version 1.1\n", "G~", nullptr, {}, {12}, nullptr,
         "focus, page Welcome"},
        {"patch without the game", "var is_patch true\n", nullptr, nullptr, {}, {}, nullptr, "message 66/96"},
        {"require_lfl without command line", "var require_lfl true\n", nullptr, nullptr, {}, {}, " ", ""},
        {"require_lfl still uninstalls", "var require_lfl true\n", "G~", "1.2~", {}, {}, "", "message 87/88, uninstall G"},
        {"require_lfl with a command line", "var require_lfl true\n", nullptr, nullptr, {}, {12}, nullptr,
         "focus, page Welcome"},
    };
    // clang-format on
    host_.currentFolder = disc_;
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        settings_.Clear();
        Disc(test.script);
        host_.registry.clear();
        for (const auto& [name, value] :
             {std::pair{"InstallDir", test.folder}, std::pair{"Version", test.version}}) {
            if (value != nullptr) host_.registry[name] = Expand(value, "~", std::string(1, '\0'));
        }
        host_.answers.assign(test.answers.begin(), test.answers.end());
        host_.trace.clear();
        const std::string trace = Expand(test.trace, "", "");
        EXPECT_EQ(Run(test.results, test.commandLine), "backdrop" + (trace.empty() ? "" : ", " + trace));
    }
}

TEST_F(InstallerFlowTest, refuses_a_patch_for_another_language) {
    PatchDisc();
    folder_.Pack("disc\\patch\\a8.dta", {{"patch\\version.txt", "DE"}}, kPatchArchiveKey1, kPatchArchiveKey2);
    EXPECT_EQ(Run({}), "backdrop, message 66/100");

    // No game archive in the registered folder: the check cannot be made.
    PatchDisc();
    std::filesystem::remove(folder_ / "game\\aa.dta");
    host_.trace.clear();
    EXPECT_EQ(Run({}), "backdrop, message 66/100");
}

TEST_F(InstallerFlowTest, source_folder_from_the_command_line_verbatim) {
    Disc();
    // Leading blanks go; the folder gets its backslash.
    EXPECT_EQ(Run({12}, ("  \t" + disc_).c_str()), kStart);
    EXPECT_EQ(folders_.Source(), disc_);

    const std::string bare = folder_.Folder() + "elsewhere";
    host_.trace.clear();
    EXPECT_EQ(Run({}, bare.c_str()), "");  // no data archive there
    EXPECT_EQ(folders_.Source(), bare + "\\");

    // Quotes stay, so a quoted folder is not found.
    const std::string quoted = "\"" + disc_ + "\"";
    EXPECT_EQ(Run({}, quoted.c_str()), "");
    EXPECT_EQ(folders_.Source(), quoted + "\\");
}

TEST_F(InstallerFlowTest, a_source_folder_that_does_not_fit_ends_the_run) {
    Disc();
    // 510 characters take their backslash; 511 would need a 512th.
    std::string longest = disc_ + std::string(510 - disc_.size(), 'x');
    EXPECT_EQ(Run({}, longest.c_str()), "");
    EXPECT_EQ(folders_.Source(), longest + "\\");

    folders_.SetSource("unchanged\\");
    EXPECT_EQ(Run({}, (longest + "y").c_str()), "");
    EXPECT_STREQ(folders_.Source(), "unchanged\\");

    // The same for the current folder; one that cannot be read is the empty
    // text, the current folder itself, where this disc is not.
    host_.currentFolder = longest + "y";
    EXPECT_EQ(Run({}, ""), "");
    EXPECT_STREQ(folders_.Source(), "unchanged\\");
    host_.currentFolderReadable = false;
    EXPECT_EQ(Run({}, ""), "");
    EXPECT_STREQ(folders_.Source(), "");
}

TEST_F(InstallerFlowTest, a_disc_without_a_script_ends_the_run_and_releases_the_archive) {
    folder_.Pack(std::string("disc\\") + kDataArchiveName, {{"license.txt", "terms"}}, kDataArchiveKey1,
                 kDataArchiveKey2);
    EXPECT_EQ(Run({}), "");
}

TEST_F(InstallerFlowTest, an_upgrade_puts_the_older_version_back_when_cancelled) {
    const std::string start = std::string(kStart) + ", page Licence, page Destination, page Copy +journal";
    const Walk walks[] = {
        {"all Next",
         {1, 1, 1, 1, 1, 1},
         ", save registration, register, page Options, " + std::string(kEax3) + ", page Finish 1"},
        {"Copy Cancel", {1, 1, 1, 9, 1}, ", page Finish 0"},
        {"Options Cancel",
         {1, 1, 1, 1, 9, 1},
         ", save registration, register, page Options, restore registration, page Finish 0"},
    };
    std::filesystem::create_directories(NativePath(folder_.Folder() + "temp"));
    host_.tempFolder = folder_.Folder() + "temp\\";
    for (const Walk& walk : walks) {
        SCOPED_TRACE(walk.name);
        Disc();
        Installed(game_, "1.1");
        host_.trace.clear();
        EXPECT_EQ(Run(walk.results), start + walk.trace);
        // The journal's folder goes once the run is decided.
        EXPECT_TRUE(std::filesystem::is_empty(NativePath(host_.tempFolder)));
    }

    // What could not be put back is named, and the finish page says so.
    Disc();
    Installed(game_, "1.1");
    host_.registrationRestores = false;
    host_.trace.clear();
    EXPECT_EQ(Run({1, 1, 1, 1, 9, 1}), start +
                                           ", save registration, register, page Options, "
                                           "restore registration, message 66/112, page Finish 3");

    // Without a temporary folder for the journal the copy does not start.
    host_.tempFolder = folder_.Folder() + "missing\\";
    host_.trace.clear();
    EXPECT_EQ(Run({1, 1, 1, 1}), std::string(kStart) + ", page Licence, page Destination, message 66/110 " +
                                     host_.tempFolder + ", page Finish 0");
}

TEST_F(InstallerFlowTest, a_cancelled_upgrade_leaves_the_old_files_byte_for_byte) {
    std::filesystem::create_directories(NativePath(folder_.Folder() + "temp"));
    host_.tempFolder = folder_.Folder() + "temp\\";
    const std::string old = folder_.Write(NativePath(game_ + "a.bin"), "old game");
    const std::string ini = folder_.Write(NativePath(game_ + "korvo.ini"), "user settings");
    const std::string save = folder_.Write(NativePath(game_ + "savegame\\1.sav"), "progress");
    // The copy replaces a.bin, creates data\new.dta, then fails on the way.
    host_.copy = [&](CopyJournal& journal) {
        for (const char* name : {"a.bin", "data\\new.dta"}) {
            const std::string path = game_ + name;
            ASSERT_TRUE(journal.Record(path));
            folder_.Write(NativePath(path), "new");
        }
    };
    Disc();
    Installed(game_, "1.1");
    Run({1, 1, 1, 9, 1});

    EXPECT_EQ(WorkFolder::Read(old), "old game");
    EXPECT_EQ(WorkFolder::Read(ini), "user settings");
    EXPECT_EQ(WorkFolder::Read(save), "progress");
    EXPECT_FALSE(std::filesystem::exists(NativePath(game_ + "data")));
    EXPECT_TRUE(std::filesystem::is_empty(NativePath(host_.tempFolder)));
    EXPECT_EQ(host_.registry["Version"], std::string("1.1") + '\0');
}

TEST_F(InstallerFlowTest, started_from_elsewhere_without_a_folder_it_goes_on_as_a_copy_from_its_own_folder) {
    // The game folder as an install leaves it: patch.exe beside the data
    // archive, the same version registered.
    Disc("var version 1.0\n");
    std::filesystem::create_directories(folder_ / "game");
    std::filesystem::copy_file(folder_ / (std::string("disc\\") + kDataArchiveName),
                               folder_ / (game_ + kDataArchiveName).substr(folder_.Folder().size()));
    Installed(game_, "1.0");
    host_.currentFolder = folder_.Folder() + "system32\\";
    host_.programFolder = game_;

    // The copy in the temporary folder gets the game folder as its source;
    // this run ends before any window, with the data archive released.
    const std::string copy = host_.tempFolder + "PWremove.exe";
    EXPECT_EQ(Run({}, ""), "start copy " + copy + " | \"" + copy + "\" " + game_);

    // The copy's own run: the folder on its command line, the uninstall offer.
    host_.trace.clear();
    EXPECT_EQ(Run({1}, game_.c_str()), "backdrop, message 87/88, uninstall " + game_ + ", page Finish -1");

    // A copy that cannot start: the run goes on from the program's folder.
    host_.copyStarts = false;
    host_.trace.clear();
    EXPECT_EQ(Run({1}, ""), "start copy " + copy + " | \"" + copy + "\" " + game_ +
                                ", backdrop, message 87/88, uninstall " + game_ + ", page Finish -1");
    host_.copyStarts = true;

    // Without a temporary folder there is nowhere to copy to: the same.
    host_.tempFolder.clear();
    host_.trace.clear();
    EXPECT_EQ(Run({1}, ""), "backdrop, message 87/88, uninstall " + game_ + ", page Finish -1");
    host_.tempFolder = "T:\\Temp\\";

    // A data archive in the current folder wins: no copy.
    host_.currentFolder = disc_;
    host_.answers = {Answer::No};
    host_.trace.clear();
    EXPECT_EQ(Run({}, ""), "backdrop, message 87/88");
    EXPECT_EQ(folders_.Source(), disc_);

    // A folder on the command line is never exchanged for the program's own.
    host_.trace.clear();
    EXPECT_EQ(Run({}, (folder_.Folder() + "elsewhere").c_str()), "");

    // A program folder without the data archive ends the run silently too.
    host_.currentFolder = folder_.Folder() + "system32\\";
    host_.programFolder = folder_.Folder() + "elsewhere\\";
    host_.trace.clear();
    EXPECT_EQ(Run({}, ""), "");
}

TEST_F(InstallerFlowTest, a_damaged_script_says_what_and_where_and_ends_the_run_touching_nothing) {
    // Line 12, after the usual settings.
    Disc("add_file x.dll ..\\System\\x.dll 1 0\n");
    EXPECT_EQ(
        Run({}),
        "message 66/102 12 add_file name \"..\\System\\x.dll\" is not a relative name inside its folder");
    EXPECT_TRUE(lists_.addFile.empty());
    EXPECT_STREQ(folders_.Destination(), "");

    // Every line good, but the run needs settings the script left out.
    folder_.Pack(std::string("disc\\") + kDataArchiveName,
                 {{"idata.txt", "var game_name Korvo\nadd_file a.bin a.bin 1 0\n"}}, kDataArchiveKey1,
                 kDataArchiveKey2);
    host_.trace.clear();
    EXPECT_EQ(Run({}), "message 66/103 the setting reg_path is not set");
    EXPECT_STREQ(settings_.Text(Setting::GameName), "");
}

TEST_F(InstallerFlowTest, the_exit_code_says_what_the_run_did) {
    struct Case {
        const char* name;
        const char* script;
        const char* version;  // installed, or none
        std::vector<int> results;
        int exitCode;
    };
    const Case cases[] = {
        {"installed", "", nullptr, {1, 1, 1, 1, 1, 1}, kExitInstalled},
        {"copy cancelled", "", nullptr, {1, 1, 1, 9, 1}, kExitCancelled},
        {"registry denied", "", nullptr, {kResultRegistryDenied, 1}, IDS_REGISTRY_DENIED},
        {"uninstalled", "", "1.2", {1}, kExitUninstalled},
        {"newer installed", "", "1.3", {}, IDS_LATEST_INSTALLED},
        {"patch without the game", "var is_patch true\n", nullptr, {}, IDS_NOT_INSTALLED},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        settings_.Clear();
        Disc(test.script);
        host_.registry.clear();
        if (test.version != nullptr) Installed(game_, test.version);
        Run(test.results);
        EXPECT_EQ(exitCode_, test.exitCode);
    }

    PatchDisc();
    host_.available = 2000000000;
    Run({1, 1, 1, 1, 1, 1});
    EXPECT_EQ(exitCode_, kExitPatched);
    // A restore that could not put every file back.
    Run({1, 1, 1, 1, 9, 9});
    EXPECT_EQ(exitCode_, kExitNotRestored);

    // No data archive at all: failed, with nothing to say.
    Run({}, (folder_.Folder() + "elsewhere").c_str());
    EXPECT_EQ(exitCode_, kExitFailed);
}

TEST_F(InstallerFlowTest, switches_set_the_destination_the_log_and_follow_a_copy_of_the_program) {
    ResetInstallLog();
    Disc();
    const std::string log = folder_.Folder() + "run.log";
    Run({1, 1, 12, 9, 1}, (disc_ + " /S /LOG=" + log + " /D=C:\\My Games\\Korvo").c_str());
    EXPECT_STREQ(folders_.Source(), disc_.c_str());
    EXPECT_STREQ(folders_.Destination(), "C:\\My Games\\Korvo\\");
    const std::string text = WorkFolder::Read(NativePath(log));
    for (const char* line : {"  run  source folder ", "  run  Korvo package, version 1.2", "  run  mode install",
                             "  step  welcome", "  step  destination ended: back"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
    }

    // A destination too long for the folder buffer is refused, not cut.
    host_.trace.clear();
    Run({}, (disc_ + " /D=C:\\" + std::string(600, 'x')).c_str());
    EXPECT_EQ(host_.trace.back(), "message 66/75");
    EXPECT_EQ(exitCode_, IDS_PATH_FAILED);

    // The copy of the program in the temporary folder runs as this one was
    // asked to.
    Disc("var version 1.0\n");
    std::filesystem::create_directories(folder_ / "game");
    std::filesystem::copy_file(folder_ / (std::string("disc\\") + kDataArchiveName),
                               folder_ / (game_ + kDataArchiveName).substr(folder_.Folder().size()));
    host_.currentFolder = folder_.Folder() + "system32\\";
    host_.programFolder = game_;
    host_.trace.clear();
    Run({}, "/S /UNINSTALL");
    const std::string copy = host_.tempFolder + "PWremove.exe";
    EXPECT_EQ(Join(host_.trace), "start copy " + copy + " | \"" + copy + "\" " + game_ + " /S /UNINSTALL");
    EXPECT_EQ(exitCode_, kExitHandedOver);
}
