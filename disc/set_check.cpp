// The checks of a disc set against its install script: files on their
// discs, request sizes, billboards, texts, the patch's archive and labels.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "disc/archive_reader.h"
#include "disc/check.h"
#include "disc/script_model.h"
#include "installer/engine/copy_worker.h"
#include "installer/engine/installer_flow.h"
#include "installer/engine/language_check.h"
#include "installer/wizard/billboard_numbers.h"
#include "installer/wizard/billboard_picture.h"

namespace disc {

using installer::Setting;

namespace {

namespace fs = std::filesystem;

// Windows opens ANSI paths of at most this many characters.
constexpr size_t kWindowsPathLimit = 259;
// The shortest source folder a disc has: a drive root such as "D:\".
constexpr size_t kDriveRootLength = 3;
// The language mark PWsetup compares: the first two bytes of this entry.
constexpr const char* kPatchArchiveName = "patch\\a8.dta";
constexpr const char* kPatchMarkName = "patch\\version.txt";
constexpr size_t kMarkSize = 2;
// How many missing billboard pictures a disc's message names.
constexpr size_t kMissingPicturesNamed = 4;

struct SetContext {
    const std::vector<DiscFolder>& discs;
    const ScriptModel& script;
    Findings* findings;
    std::vector<std::string>* notes;
};

uint64_t FileSize(const fs::path& path) {
    std::error_code error;
    const uintmax_t size = fs::file_size(path, error);
    return error ? 0 : static_cast<uint64_t>(size);
}

std::string Quote(const std::string& name) {
    return "\"" + name + "\"";
}

// Every add_file source on the disc its number names; the bytes they copy.
uint64_t CheckSources(const SetContext& set) {
    uint64_t total = 0;
    const installer::FileList& files = set.script.lists.addFile;
    for (size_t i = 0; i < files.size(); ++i) {
        const installer::FileEntry& entry = *files[i];
        const uint32_t line = set.script.addFileLine[i];
        const uint32_t disc = entry.disc;
        if (disc > set.discs.size()) {
            set.findings->Error(kScriptShown, line,
                                "add_file " + Quote(entry.firstName) + " is on disc " + std::to_string(disc) +
                                    ", but the set has " + std::to_string(set.discs.size()) +
                                    (set.discs.size() == 1 ? " disc" : " discs"));
            continue;
        }
        if (std::optional<fs::path> found = set.discs[disc - 1].Find(entry.firstName)) {
            total += FileSize(*found);
            continue;
        }
        std::string elsewhere;
        for (const DiscFolder& other : set.discs) {
            if (other.Number() != disc && other.Find(entry.firstName)) {
                elsewhere = " (it is on disc " + std::to_string(other.Number()) + ")";
                break;
            }
        }
        set.findings->Error(kScriptShown, line,
                            "add_file " + Quote(entry.firstName) + " is not on disc " + std::to_string(disc) +
                                ", " + set.discs[disc - 1].Shown() + elsewhere);
    }
    return total;
}

// A destination named twice: the later copy replaces the earlier.
void CheckDuplicates(const installer::FileList& files, const std::vector<uint32_t>& lines, const char* word,
                     Findings* findings) {
    std::map<std::string, uint32_t> seen;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string folded = FoldName(files[i]->secondName);
        auto [at, added] = seen.emplace(folded, lines[i]);
        if (!added) {
            findings->Error(kScriptShown, lines[i],
                            std::string(word) + " destination " + Quote(files[i]->secondName) +
                                " is named twice (first on line " + std::to_string(at->second) + ")");
        }
    }
}

// Paths that would not fit the copy's buffers or Windows' path limit.
void CheckPathLengths(const SetContext& set) {
    const installer::FileList& files = set.script.lists.addFile;
    const size_t folder = std::string(set.script.folders.Destination()).size();
    for (size_t i = 0; i < files.size(); ++i) {
        const uint32_t line = set.script.addFileLine[i];
        const size_t source = kDriveRootLength + std::string(files[i]->firstName).size();
        const size_t destination = folder + std::string(files[i]->secondName).size();
        if (set.script.destinationSet && destination >= installer::kCopyPathBufferSize) {
            set.findings->Error(kScriptShown, line,
                                "the destination path under dst_path is " + std::to_string(destination) +
                                    " characters, over the copy's limit of " +
                                    std::to_string(installer::kCopyPathBufferSize - 1));
        } else if (set.script.destinationSet && destination > kWindowsPathLimit) {
            set.findings->Warning(kScriptShown, line,
                                  "the destination path under dst_path is " + std::to_string(destination) +
                                      " characters; Windows opens at most " +
                                      std::to_string(kWindowsPathLimit));
        }
        if (source > kWindowsPathLimit) {
            set.findings->Warning(kScriptShown, line,
                                  "the source path on a drive root is " + std::to_string(source) +
                                      " characters; Windows opens at most " +
                                      std::to_string(kWindowsPathLimit));
        }
    }
}

// A disc that no add_file line names is never asked for; one without files
// is a mistake in the set.
void CheckDiscsUsed(const SetContext& set) {
    for (const DiscFolder& disc : set.discs) {
        if (!disc.HasFiles()) {
            set.findings->Error(disc.Shown(), 0, "disc " + std::to_string(disc.Number()) + " is empty");
            continue;
        }
        bool used = false;
        for (const auto& entry : set.script.lists.addFile) used = used || entry->disc == disc.Number();
        if (!used) {
            set.findings->Warning(disc.Shown(), 0,
                                  "no add_file line names disc " + std::to_string(disc.Number()) +
                                      ": an install never asks for it");
        }
    }
}

void CheckRequest(const SetContext& set, Setting setting, uint64_t needed, const std::string& what) {
    if (!set.script.IsSet(setting)) return;
    const int64_t value = set.script.settings.Int64(setting);
    if (value < 0 || static_cast<uint64_t>(value) < needed) {
        set.findings->Error(kScriptShown, set.script.LineOf(setting),
                            std::string(installer::SettingsTable::KeyOf(setting)) + " is " +
                                Grouped(value < 0 ? 0 : static_cast<uint64_t>(value)) + " bytes, below the " +
                                Grouped(needed) + " bytes " + what);
    } else {
        set.notes->push_back(std::string(installer::SettingsTable::KeyOf(setting)) + " " +
                             Grouped(static_cast<uint64_t>(value)) + " bytes covers the " + Grouped(needed) +
                             " bytes " + what);
    }
}

// The patch's backups: each replaced file backed up, each backup replaced,
// and the space they need (the replaced files as this set installs them).
uint64_t CheckBackups(const SetContext& set) {
    const ScriptModel& script = set.script;
    uint64_t needed = 0;
    std::map<std::string, size_t> installs;  // folded destination -> add_file index
    for (size_t i = 0; i < script.lists.addFile.size(); ++i)
        installs.emplace(FoldName(script.lists.addFile[i]->secondName), i);
    std::map<std::string, bool> backedUp;
    for (size_t i = 0; i < script.lists.backupFile.size(); ++i) {
        const installer::FileEntry& backup = *script.lists.backupFile[i];
        backedUp[FoldName(backup.firstName)] = true;
        auto install = installs.find(FoldName(backup.firstName));
        if (install == installs.end()) {
            set.findings->Warning(
                kScriptShown, script.backupFileLine[i],
                "backup_file " + Quote(backup.firstName) + " is not replaced by any add_file line");
            continue;
        }
        const installer::FileEntry& entry = *script.lists.addFile[install->second];
        if (entry.disc >= 1 && entry.disc <= set.discs.size()) {
            if (std::optional<fs::path> found = set.discs[entry.disc - 1].Find(entry.firstName))
                needed += FileSize(*found);
        }
    }
    for (size_t i = 0; i < script.lists.addFile.size(); ++i) {
        const installer::FileEntry& entry = *script.lists.addFile[i];
        if (backedUp.count(FoldName(entry.secondName)) == 0) {
            set.findings->Warning(
                kScriptShown, script.addFileLine[i],
                "add_file " + Quote(entry.secondName) +
                    " has no backup_file line: if the game has this file, a cancelled patch "
                    "can't restore it");
        }
    }
    return needed;
}

// patch\a8.dta on disc 1 with the language mark the installed game's must equal.
void CheckPatchArchive(const SetContext& set) {
    const DiscFolder& disc = set.discs[0];
    std::optional<fs::path> path = disc.Find(kPatchArchiveName);
    const std::string shown = disc.Shown(kPatchArchiveName);
    if (!path) {
        set.findings->Error(shown, 0, "missing: PWsetup refuses the patch as another language version");
        return;
    }
    ArchiveReader archive;
    std::string error;
    if (!archive.Open(path->string(), installer::kPatchArchiveKey1, installer::kPatchArchiveKey2, &error)) {
        set.findings->Error(shown, 0, "not readable with the patch's key words: " + error);
        return;
    }
    std::vector<uint8_t> mark;
    bool found = false;
    if (!archive.Read(kPatchMarkName, &mark, &found, &error)) {
        set.findings->Error(
            shown, 0,
            found ? std::string(kPatchMarkName) + " can't be read: " + error
                  : std::string("no entry ") + kPatchMarkName + ": the version mark stays \"??\"");
        return;
    }
    if (mark.size() < kMarkSize) {
        set.findings->Error(shown, 0,
                            std::string(kPatchMarkName) + " holds fewer than 2 bytes of version mark");
        return;
    }
    set.notes->push_back(shown + ": version mark \"" + std::string(mark.begin(), mark.begin() + kMarkSize) +
                         "\"");
}

void CheckBillboards(const SetContext& set) {
    const ScriptModel& script = set.script;
    const int32_t total = script.settings.Int(Setting::NumOfBilboards);
    const int32_t perDisc = script.settings.Int(Setting::NumOfBilboardsPerCd);
    const int64_t discs = static_cast<int64_t>(set.discs.size());
    if (perDisc > 0 && total != perDisc * discs) {
        set.findings->Warning(kScriptShown, script.LineOf(Setting::NumOfBilboards),
                              "num_of_bilboards is " + std::to_string(total) + ", but " +
                                  std::to_string(discs) + (discs == 1 ? " disc" : " discs") + " of " +
                                  std::to_string(perDisc) + " (num_of_bilboards_per_cd) show " +
                                  std::to_string(perDisc * discs));
    }
    for (const DiscFolder& disc : set.discs) {
        if (!disc.HasFiles()) continue;  // reported as empty
        const uint32_t index = disc.Number() - 1;
        const std::string name = "bilboard" + std::to_string(index) + ".dta";
        std::optional<fs::path> path = disc.Find(name);
        const std::string shown = disc.Shown(name);
        if (!path) {
            if (perDisc > 0)
                set.findings->Warning(disc.Shown(), 0, "no " + name + ": the screen stays black");
            continue;
        }
        if (perDisc <= 0) {
            set.findings->Warning(kScriptShown, script.LineOf(Setting::NumOfBilboardsPerCd),
                                  name + " is on disc " + std::to_string(disc.Number()) +
                                      ", but num_of_bilboards_per_cd is not above 0: no picture is shown");
            continue;
        }
        ArchiveReader archive;
        std::string error;
        if (!archive.Open(path->string(), installer::kDataArchiveKey1, installer::kDataArchiveKey2, &error)) {
            set.findings->Error(shown, 0, "not readable with the installer's key words: " + error);
            continue;
        }
        const uint64_t first = static_cast<uint64_t>(perDisc) * index;
        const uint64_t last = first + static_cast<uint64_t>(perDisc) - 1;
        const std::vector<std::string> names = archive.Names();
        for (const std::string& entry : names) {
            uint64_t number = 0;
            if (installer::BillboardNumberOf(entry, &number) && (number < first || number > last)) {
                set.findings->Error(shown, 0,
                                    entry + " is outside disc " + std::to_string(disc.Number()) +
                                        "'s pictures " + std::to_string(first) + " to " +
                                        std::to_string(last) +
                                        ": it is never shown (pictures are numbered across all discs)");
            }
        }
        const std::vector<uint64_t> present = installer::SelectBillboardNumbers(names, perDisc, index);
        // The pictures the slide show would reach and that are missing, named
        // one by one up to a few; the settings may claim billions.
        const uint64_t shownEnd = std::min<uint64_t>(last + 1, static_cast<uint64_t>(total < 0 ? 0 : total));
        size_t named = 0;
        size_t at = 0;
        for (uint64_t number = first; number < shownEnd && named < kMissingPicturesNamed; ++number) {
            while (at < present.size() && present[at] < number) ++at;
            if (at < present.size() && present[at] == number) continue;
            ++named;
            set.findings->Warning(shown, 0,
                                  "no bilboard" + std::to_string(number) + ".bmp: disc " +
                                      std::to_string(disc.Number()) + " shows fewer pictures");
        }
        for (uint64_t number : present) {
            const std::string picture = "bilboard" + std::to_string(number) + ".bmp";
            std::vector<uint8_t> bytes;
            bool found = false;
            if (!archive.Read(picture, &bytes, &found, &error)) {
                set.findings->Error(shown, 0, picture + " can't be read: " + error);
                continue;
            }
            installer::PictureLayout layout;
            if (!installer::ReadBillboardPicture(bytes.data(), bytes.size(), &layout)) {
                set.findings->Error(shown, 0,
                                    picture +
                                        " is not a picture the installer can draw (an uncompressed or "
                                        "bit-field BMP of 16, 24 or 32 bits whose pixels lie in the entry)");
                continue;
            }
            const int32_t height = layout.height < 0 ? -layout.height : layout.height;
            if (layout.width != installer::kBillboardWidth || height != installer::kBillboardHeight) {
                set.findings->Warning(shown, 0,
                                      picture + " is " + std::to_string(layout.width) + " x " +
                                          std::to_string(height) + " pixels; the billboard shows 800 x 600");
            }
        }
    }
}

// The texts the licence page and the patch notes page show.
void CheckTexts(const SetContext& set, const ArchiveReader& data, const std::string& shown) {
    std::vector<const char*> texts = {"license.txt"};
    if (set.script.IsPatch()) texts.push_back("patch.txt");
    for (const char* text : texts) {
        std::vector<uint8_t> bytes;
        bool found = false;
        std::string error;
        if (!data.Read(text, &bytes, &found, &error)) {
            set.findings->Error(shown, 0,
                                found ? std::string(text) + " can't be read: " + error
                                      : std::string("no ") + text + ": its page shows nothing");
        } else if (bytes.empty()) {
            set.findings->Error(shown, 0, std::string(text) + " is empty: its page shows nothing");
        }
    }
}

void CheckLabels(const SetContext& set) {
    if (!set.script.settings.Bool(Setting::ValidateCd)) return;
    for (const DiscFolder& disc : set.discs) {
        char expected[32];
        std::snprintf(expected, sizeof expected, "KORVO_CD_%u", static_cast<unsigned>(disc.Number()));
        std::optional<std::string> label = disc.DeclaredLabel();
        if (!label) {
            set.notes->push_back(disc.Shown() + ": no label declared; it must be " + expected);
            continue;
        }
        std::string upper = *label;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (upper != expected) {
            set.findings->Error(disc.LabelShown(), disc.LabelLine(),
                                "the volume label is \"" + *label + "\", but validate_cd asks disc " +
                                    std::to_string(disc.Number()) + " for " + expected);
        }
    }
}

// The programs PWsetup starts from its source folder once the copy is done.
void CheckPrograms(const SetContext& set) {
    if (!set.discs[0].Find("PWsetup.exe")) {
        set.findings->Warning(set.discs[0].Shown(), 0, "no PWsetup.exe on disc 1");
    }
    if (set.script.IsPatch()) return;
    const DiscFolder& last = set.discs.back();
    std::vector<std::pair<std::string, uint32_t>> programs = {{"EAX3\\setup.exe", 0}};
    for (Setting setting : {Setting::DirectxName, Setting::DirectxNTName}) {
        if (set.script.IsSet(setting))
            programs.emplace_back(set.script.settings.Text(setting), set.script.LineOf(setting));
    }
    for (const auto& [program, line] : programs) {
        if (!last.Find(program)) {
            set.findings->Warning(line > 0 ? kScriptShown : last.Shown(), line,
                                  Quote(program) + " is not on disc " + std::to_string(last.Number()) +
                                      ", where the install ends: it can't be started");
        }
    }
}

}  // namespace

void CheckDiscSet(const std::vector<DiscFolder>& discs, Findings* findings, std::vector<std::string>* notes) {
    if (discs.empty()) return;
    const DiscFolder& first = discs[0];
    std::optional<fs::path> dataPath = first.Find(installer::kDataArchiveName);
    const std::string dataShown = first.Shown(installer::kDataArchiveName);
    if (!dataPath) {
        findings->Error(dataShown, 0, "missing: PWsetup has no install script");
        return;
    }
    ArchiveReader data;
    std::string error;
    if (!data.Open(dataPath->string(), installer::kDataArchiveKey1, installer::kDataArchiveKey2, &error)) {
        findings->Error(dataShown, 0, "not readable with the installer's key words: " + error);
        return;
    }
    std::vector<uint8_t> text;
    bool found = false;
    if (!data.Read(installer::kScriptName, &text, &found, &error) || text.empty()) {
        findings->Error(
            dataShown, 0,
            found ? std::string("idata.txt can't be read: ") + error : "no idata.txt or an empty one");
        return;
    }
    std::unique_ptr<ScriptModel> script(new ScriptModel());
    ReadScript(reinterpret_cast<const char*>(text.data()), text.size(), script.get(), findings);

    const SetContext set{discs, *script, findings, notes};
    CheckDuplicates(script->lists.addFile, script->addFileLine, "add_file", findings);
    CheckDuplicates(script->lists.backupFile, script->backupFileLine, "backup_file", findings);
    CheckPathLengths(set);
    const uint64_t copied = CheckSources(set);
    CheckDiscsUsed(set);
    CheckRequest(set, Setting::RequestSpaceFull, copied, "that the add_file lines copy");
    if (script->IsPatch()) {
        const uint64_t backups = CheckBackups(set);
        CheckRequest(set, Setting::RequestSpaceBackup, backups,
                     "of the files the backup_file lines save (as this patch installs them)");
        CheckPatchArchive(set);
    } else {
        for (size_t i = 0; i < script->lists.backupFile.size(); ++i) {
            findings->Warning(kScriptShown, script->backupFileLine[i],
                              "backup_file has no effect: is_patch is not true");
        }
    }
    CheckTexts(set, data, dataShown);
    CheckBillboards(set);
    CheckLabels(set);
    CheckPrograms(set);
    notes->push_back(std::to_string(discs.size()) + (discs.size() == 1 ? " disc, " : " discs, ") +
                     std::to_string(script->lists.addFile.size()) + " add_file lines, " + Grouped(copied) +
                     " bytes to copy");
}

}  // namespace disc
