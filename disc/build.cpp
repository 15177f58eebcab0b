#include "disc/build.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <system_error>

#include "disc/check.h"
#include "disc/disc_set.h"
#include "disc/iso_image.h"
#include "disc/pack_archive.h"
#include "disc/script_model.h"
#include "installer/engine/installer_flow.h"
#include "installer/wizard/billboard_numbers.h"

namespace disc {

using installer::Setting;

namespace {

namespace fs = std::filesystem;

constexpr const char* kFilesFolder = "files";
constexpr const char* kBillboardsFolder = "billboards";
constexpr const char* kEveryDiscFolder = "every-disc";
// Packing again until PWdata.dta's size holds still: the measured size
// counts the archive when the script installs it, and the count is inside.
// Some counts have no such point (the packed size flips between two values,
// each giving the other); a flip is broken by a comment at the script's end
// that grows by a byte each time, so a few more rounds are allowed.
constexpr int kSizeRounds = 16;

bool ReadBytes(const fs::path& path, std::vector<uint8_t>* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

fs::path Under(const fs::path& folder, const std::string& name) {
    std::string relative = name;
    for (char& c : relative)
        if (c == '\\') c = '/';
    return folder / relative;
}

// Copies `from` to `to`, replacing a file there. The file is removed first:
// MinGW's copy_file takes any two files for the same one (Windows has no
// inode numbers) and refuses to overwrite.
bool ReplaceFile(const fs::path& from, const fs::path& to, std::error_code* error) {
    fs::remove(to, *error);
    if (*error) return false;
    return fs::copy_file(from, to, *error);
}

// Copies every file below `from` to the same place below `to`, a file at a
// time: fs::copy's recursive form fails on existing folders in some
// runtimes (MinGW's, the Windows build). Nothing to copy when `from` is no
// folder.
bool CopyTree(const fs::path& from, const fs::path& to, std::error_code* error) {
    if (!fs::is_directory(from, *error)) return !*error || *error == std::errc::no_such_file_or_directory;
    fs::create_directories(to, *error);
    for (fs::recursive_directory_iterator it(from, *error), end; !*error && it != end; it.increment(*error)) {
        const fs::path target = to / fs::relative(it->path(), from, *error);
        if (*error) break;
        if (it->is_directory(*error)) {
            fs::create_directories(target, *error);
        } else if (!*error) {
            ReplaceFile(it->path(), target, error);
        }
    }
    return !*error;
}

// A text with Windows line ends, as the installer's texts are stored.
std::vector<uint8_t> WindowsLines(const std::vector<uint8_t>& text) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out.push_back('\r');
        out.push_back(text[i]);
    }
    return out;
}

// `script` with the value of `setting` replaced on the line that last set
// it, or a line appended when none did.
std::string WithSetting(const std::string& script, uint32_t line, const char* key, uint64_t value) {
    const std::string written = std::string("var ") + key + " = " + std::to_string(value);
    if (line == 0) return script + (script.empty() || script.back() == '\n' ? "" : "\n") + written + "\n";
    size_t start = 0;
    for (uint32_t n = 1; n < line; ++n) start = script.find('\n', start) + 1;
    size_t end = script.find('\n', start);
    if (end == std::string::npos) end = script.size();
    if (end > start && script[end - 1] == '\r') --end;
    return script.substr(0, start) + written + script.substr(end);
}

struct Builder {
    const BuildOptions& options;
    Findings* findings;
    std::vector<std::string>* said;
    std::vector<std::string>* notes;
    fs::path project;
    fs::path stage;

    bool Fail(const std::string& where, uint32_t line, const std::string& message) {
        findings->Error(where, line, message);
        return false;
    }

    bool Run();
};

bool Builder::Run() {
    std::vector<uint8_t> scriptBytes;
    if (!ReadBytes(project / kScriptShown, &scriptBytes) || scriptBytes.empty())
        return Fail((project / kScriptShown).string(), 0, "missing or empty");
    std::string script(scriptBytes.begin(), scriptBytes.end());
    std::unique_ptr<ScriptModel> model(new ScriptModel());
    Findings scriptFindings;
    ReadScript(script.data(), script.size(), model.get(), &scriptFindings);
    if (scriptFindings.Errors() > 0) {
        for (const Finding& f : scriptFindings.All())
            if (f.severity == Severity::Error) findings->Error(f.where, f.line, f.message);
        return false;
    }

    // The installer that disc 1 gets. An add_file line that installs disc 1's
    // PWsetup.exe (as the uninstaller, say) copies this very file, so it is
    // also what that line measures.
    const fs::path installer =
        options.installer.empty() ? project / "PWsetup.exe" : fs::path(options.installer);
    if (std::error_code checked; !fs::is_regular_file(installer, checked))
        return Fail(installer.string(), 0, "missing: disc 1 needs PWsetup.exe");

    // The files, each to the disc its line names.
    const DiscFolder files(project / kFilesFolder, 0);
    uint32_t discs = 1;
    uint64_t total = 0;
    bool dataListed = false;
    std::map<std::string, uint64_t> installedSize;  // folded destination -> bytes
    for (size_t i = 0; i < model->lists.addFile.size(); ++i) {
        const installer::FileEntry& entry = *model->lists.addFile[i];
        if (entry.disc > discs) discs = entry.disc;
        if (FoldName(entry.firstName) == FoldName(installer::kDataArchiveName)) {
            if (entry.disc != 1)
                return Fail(kScriptShown, model->addFileLine[i], "PWdata.dta is made on disc 1 only");
            dataListed = true;
            continue;
        }
        const bool isInstaller = entry.disc == 1 && FoldName(entry.firstName) == FoldName("PWsetup.exe");
        std::optional<fs::path> source =
            isInstaller ? std::optional<fs::path>(installer) : files.Find(entry.firstName);
        if (!source) {
            return Fail(kScriptShown, model->addFileLine[i],
                        std::string("add_file \"") + entry.firstName + "\" is not in " +
                            (project / kFilesFolder).string());
        }
        const fs::path target = Under(stage / ("disc" + std::to_string(entry.disc)), entry.firstName);
        std::error_code error;
        fs::create_directories(target.parent_path(), error);
        if (!ReplaceFile(*source, target, &error))
            return Fail(target.string(), 0, "can't be written: " + error.message());
        const uint64_t size = fs::file_size(*source);
        total += size;
        installedSize[FoldName(entry.secondName)] = size;
    }

    // What every disc and disc 1 get beside the files.
    for (uint32_t d = 1; d <= discs; ++d) {
        const fs::path disc = stage / ("disc" + std::to_string(d));
        std::error_code copied;
        if (!CopyTree(project / kEveryDiscFolder, disc, &copied) ||
            !CopyTree(project / ("disc" + std::to_string(d)), disc, &copied))
            return Fail(disc.string(), 0, "the extra files can't be copied: " + copied.message());
        const std::string label = "KORVO_CD_" + std::to_string(d) + "\n";
        if (!WriteBytes(disc / kLabelFileName, std::vector<uint8_t>(label.begin(), label.end())))
            return Fail(disc.string(), 0, "the label file can't be written");
    }
    std::error_code error;
    if (!ReplaceFile(installer, stage / "disc1" / "PWsetup.exe", &error))
        return Fail((stage / "disc1").string(), 0, "can't be written: " + error.message());
    if (options.withSetup) {
        if (!fs::is_regular_file(project / "setup.exe", error))
            return Fail((project / "setup.exe").string(), 0, "missing: --setup copies it to disc 1");
        if (!ReplaceFile(project / "setup.exe", stage / "disc1" / "setup.exe", &error))
            return Fail((stage / "disc1").string(), 0, "can't be written: " + error.message());
    }

    // Each disc's billboard archive with its pictures of the global numbering.
    const int32_t perDisc = model->settings.Int(Setting::NumOfBilboardsPerCd);
    std::vector<std::string> pictures;
    for (fs::directory_iterator it(project / kBillboardsFolder, error), end; !error && it != end;
         it.increment(error))
        pictures.push_back(it->path().filename().string());
    for (uint32_t d = 0; d < discs && perDisc > 0; ++d) {
        std::vector<ArchiveInput> inputs;
        for (uint64_t number : installer::SelectBillboardNumbers(pictures, perDisc, d)) {
            const std::string name = "bilboard" + std::to_string(number) + ".bmp";
            ArchiveInput input{name, {}};
            std::optional<fs::path> path = DiscFolder(project / kBillboardsFolder, 0).Find(name);
            if (!path || !ReadBytes(*path, &input.data))
                return Fail((project / kBillboardsFolder / name).string(), 0, "can't be read");
            inputs.push_back(std::move(input));
        }
        if (inputs.empty()) continue;
        std::vector<uint8_t> image;
        std::string message;
        if (!PackArchive(inputs, installer::kDataArchiveKey1, installer::kDataArchiveKey2, &image, &message))
            return Fail("bilboard" + std::to_string(d) + ".dta", 0, message);
        const fs::path path =
            stage / ("disc" + std::to_string(d + 1)) / ("bilboard" + std::to_string(d) + ".dta");
        if (!WriteBytes(path, image)) return Fail(path.string(), 0, "can't be written");
    }

    // The patch's backups need the bytes of the files they save; as this
    // patch installs them is the best measure a build has.
    if (model->IsPatch()) {
        uint64_t backups = 0;
        for (const auto& entry : model->lists.backupFile) {
            auto found = installedSize.find(FoldName(entry->firstName));
            if (found != installedSize.end()) backups += found->second;
        }
        script =
            WithSetting(script, model->LineOf(Setting::RequestSpaceBackup), "request_space_backup", backups);
        said->push_back("request_space_backup = " + std::to_string(backups) +
                        " (the files the backup saves)");
    }

    // PWdata.dta: the script with the measured size, and the texts.
    std::vector<ArchiveInput> data;
    for (const char* text : {"license.txt", "patch.txt"}) {
        ArchiveInput input{text, {}};
        if (ReadBytes(project / text, &input.data)) data.push_back({text, WindowsLines(input.data)});
    }
    const fs::path dataPath = stage / "disc1" / installer::kDataArchiveName;
    uint64_t dataSize = 0;
    uint64_t earlierSize = UINT64_MAX;
    std::string padding;
    uint64_t full = 0;
    // The line numbers stay: the backup's value replaced one line or added
    // one at the end.
    ScriptModel& lines = *model;
    bool settled = false;
    for (int round = 0; round < kSizeRounds && !settled; ++round) {
        full = total + dataSize;
        std::string measured =
            WithSetting(script, lines.LineOf(Setting::RequestSpaceFull), "request_space_full", full);
        if (!padding.empty()) {
            if (!measured.empty() && measured.back() != '\n') measured += '\n';
            measured += "//" + padding + "\n";
        }
        std::vector<ArchiveInput> inputs = data;
        const std::vector<uint8_t> scriptText(measured.begin(), measured.end());
        inputs.push_back({installer::kScriptName, WindowsLines(scriptText)});
        std::vector<uint8_t> image;
        std::string message;
        if (!PackArchive(inputs, installer::kDataArchiveKey1, installer::kDataArchiveKey2, &image, &message))
            return Fail(installer::kDataArchiveName, 0, message);
        if (!WriteBytes(dataPath, image)) return Fail(dataPath.string(), 0, "can't be written");
        settled = !dataListed || image.size() == dataSize;
        if (!settled && image.size() == earlierSize) padding += '.';
        earlierSize = dataSize;
        dataSize = image.size();
    }
    if (!settled) return Fail(dataPath.string(), 0, "its size does not settle");
    said->push_back("request_space_full = " + std::to_string(full) + " (the files the add_file lines copy)");

    std::vector<DiscFolder> made;
    for (uint32_t d = 1; d <= discs; ++d) made.emplace_back(stage / ("disc" + std::to_string(d)), d);
    Findings checked;
    CheckDiscSet(made, &checked, notes);
    // Named as they will be found once the set is in place.
    const std::string staged = stage.generic_string();
    for (const Finding& f : checked.All()) {
        std::string where = f.where;
        if (where.compare(0, staged.size(), staged) == 0)
            where = fs::path(options.out).generic_string() + where.substr(staged.size());
        if (f.severity == Severity::Error)
            findings->Error(where, f.line, f.message);
        else
            findings->Warning(where, f.line, f.message);
    }
    if (checked.Errors() > 0) return false;
    for (uint32_t d = 1; d <= discs && options.images; ++d) {
        const std::string name = "disc" + std::to_string(d);
        std::string message;
        if (!WriteIsoImage((stage / name).string(), (stage / (name + ".iso")).string(),
                           "KORVO_CD_" + std::to_string(d), &message))
            return Fail(name + ".iso", 0, message);
        said->push_back(name + ".iso, volume label KORVO_CD_" + std::to_string(d));
    }
    return true;
}

// A new folder beside `out`, named after it, that no one else uses.
bool MakeStage(const fs::path& out, fs::path* stage) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = out;
        candidate += ".building-" + std::to_string(random() % 1000000);
        std::error_code error;
        if (fs::create_directory(candidate, error)) {
            *stage = candidate;
            return true;
        }
        if (error) return false;
    }
    return false;
}

}  // namespace

bool BuildDiscSet(const BuildOptions& options, Findings* findings, std::vector<std::string>* said,
                  std::vector<std::string>* notes) {
    const fs::path project(options.project);
    const fs::path out(options.out);
    std::error_code error;
    if (!fs::is_directory(project, error)) {
        findings->Error(options.project, 0, "no such project folder");
        return false;
    }
    if (fs::exists(out, error)) {
        findings->Error(options.out, 0, "exists already; build makes a new folder");
        return false;
    }
    fs::path stage;
    if (!MakeStage(out, &stage)) {
        findings->Error(options.out, 0, "no folder can be made beside it");
        return false;
    }
    Builder builder{options, findings, said, notes, project, stage};
    bool done = builder.Run();
    if (done) {
        fs::rename(stage, out, error);
        if (error) {
            findings->Error(options.out, 0, "can't be made: " + error.message());
            done = false;
        }
    }
    if (!done) fs::remove_all(stage, error);
    return done;
}

}  // namespace disc
