#include "tests/disc/disc_set_builder.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "installer/engine/install_script.h"
#include "installer/engine/installer_flow.h"
#include "installer/engine/language_check.h"

namespace disctest {

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kPicturesPerDisc = 4;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

Bytes ToBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

void Put(const fs::path& path, const Bytes& bytes) {
    fs::create_directories(path.parent_path());
    dtatest::WriteFile(path.string(), bytes);
}

fs::path OnDisc(const fs::path& disc, const std::string& name) {
    std::string relative = name;
    for (char& c : relative)
        if (c == '\\') c = '/';
    return disc / relative;
}

void PackArchive(const fs::path& path, const std::map<std::string, Bytes>& entries, uint32_t key1,
                 uint32_t key2) {
    dtatest::ArchiveBuilder builder(key1, key2);
    for (const auto& [name, bytes] : entries) builder.AddStored(name, bytes);
    Put(path, builder.Build().bytes);
}

void PutLe(Bytes& bytes, size_t at, uint32_t value, size_t size) {
    for (size_t i = 0; i < size; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

std::string DemoScript(Demo demo) {
    const char* names[] = {"idata.txt", "idata-two-discs.txt", "idata-patch.txt"};
    return ReadText(fs::path(KORVO_DEMO_SOURCE) / "installer" / names[static_cast<int>(demo)]);
}

Bytes Picture(int32_t width, int32_t height, uint16_t bits) {
    const size_t row = (static_cast<size_t>(width) * 2 + 3) / 4 * 4;
    Bytes bytes(54 + row * static_cast<size_t>(height), 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    PutLe(bytes, 2, static_cast<uint32_t>(bytes.size()), 4);
    PutLe(bytes, 10, 54, 4);
    PutLe(bytes, 14, 40, 4);
    PutLe(bytes, 18, static_cast<uint32_t>(width), 4);
    PutLe(bytes, 22, static_cast<uint32_t>(height), 4);
    PutLe(bytes, 26, 1, 2);
    PutLe(bytes, 28, bits, 2);
    for (size_t i = 54; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
    return bytes;
}

uint32_t LineOf(const std::string& script, const std::string& text) {
    std::istringstream lines(script);
    std::string line;
    for (uint32_t number = 1; std::getline(lines, line); ++number)
        if (line.find(text) != std::string::npos) return number;
    return 0;
}

std::string ReplaceLine(const std::string& script, const std::string& text, const std::string& line) {
    const size_t at = script.find(text);
    if (at == std::string::npos) throw std::runtime_error("no line holds " + text);
    const size_t start = script.rfind('\n', at) == std::string::npos ? 0 : script.rfind('\n', at) + 1;
    const size_t end = script.find('\n', at);
    return script.substr(0, start) + line + (end == std::string::npos ? "" : script.substr(end));
}

DiscSetBuilder::DiscSetBuilder(Demo which) : demo(which), script(DemoScript(which)) {
    const uint32_t discs = which == Demo::TwoDiscs ? 2 : 1;
    for (uint32_t d = 0; d < discs; ++d) {
        for (uint32_t i = 0; i < kPicturesPerDisc; ++i) {
            billboards[d]["bilboard" + std::to_string(d * kPicturesPerDisc + i) + ".bmp"] = Picture();
        }
    }
    if (which == Demo::Patch) {
        patchArchive = std::map<std::string, Bytes>{
            {"patch\\version.txt",
             ToBytes(ReadText(fs::path(KORVO_DEMO_SOURCE) / "patch-archive/patch/version.txt"))}};
    }
}

std::string DiscSetBuilder::Build(const std::string& rootText) const {
    const fs::path root(rootText);
    // The files come from the demo's own script, so that a damaged script
    // still meets the discs the demo would have.
    const std::string demoScript = DemoScript(demo);
    installer::SettingsTable settings;
    installer::ScriptLists lists;
    installer::InstallerFolders folders;
    const installer::InstallScriptTarget target{settings, lists, folders};
    if (!installer::ParseInstallScript(demoScript.data(), demoScript.size(), target).Ok())
        throw std::runtime_error("the demo's script does not parse");

    uint32_t discs = 1;
    uint64_t total = 0;
    bool dataListed = false;
    for (size_t i = 0; i < lists.addFile.size(); ++i) {
        const installer::FileEntry& entry = *lists.addFile[i];
        if (entry.disc > discs) discs = entry.disc;
        if (std::string(entry.firstName) == installer::kDataArchiveName) {
            dataListed = true;
            continue;
        }
        const Bytes content = dtatest::Pattern(100 + 37 * i, static_cast<uint32_t>(i));
        Put(OnDisc(root / ("disc" + std::to_string(entry.disc)), entry.firstName), content);
        total += content.size();
    }
    for (uint32_t d = 1; d <= discs; ++d) {
        const fs::path disc = root / ("disc" + std::to_string(d));
        for (const char* program : {"EAX3\\setup.exe", "DirectX\\dxsetup.exe", "DirectX\\Win9x\\dxsetup.exe"})
            Put(OnDisc(disc, program), ToBytes("stand-in"));
        if (d == 1) Put(disc / "PWsetup.exe", ToBytes("MZ installer"));
        Put(disc / ".windows-label", ToBytes("KORVO_CD_" + std::to_string(d) + "\n"));
    }
    for (const auto& [index, entries] : billboards) {
        PackArchive(
            root / ("disc" + std::to_string(index + 1)) / ("bilboard" + std::to_string(index) + ".dta"),
            entries, installer::kDataArchiveKey1, installer::kDataArchiveKey2);
    }
    if (patchArchive) {
        PackArchive(root / "disc1" / "patch" / "a8.dta", *patchArchive, installer::kPatchArchiveKey1,
                    installer::kPatchArchiveKey2);
    }

    std::map<std::string, Bytes> data;
    if (license)
        data["license.txt"] = ToBytes(ReadText(fs::path(KORVO_DEMO_SOURCE) / "installer/license.txt"));
    if (patchNotes)
        data["patch.txt"] = ToBytes(ReadText(fs::path(KORVO_DEMO_SOURCE) / "installer/patch.txt"));
    // As the demo's build does: the measured count includes PWdata.dta when
    // the script installs it, so pack until its size holds still.
    const fs::path dataPath = root / "disc1" / installer::kDataArchiveName;
    uint64_t dataSize = 0;
    for (int attempt = 0; attempt < 6; ++attempt) {
        std::string text = script;
        if (measure) text += "\nvar request_space_full = " + std::to_string(total + dataSize) + "\n";
        data["idata.txt"] = ToBytes(text);
        PackArchive(dataPath, data, installer::kDataArchiveKey1, installer::kDataArchiveKey2);
        const uint64_t size = fs::file_size(dataPath);
        if (!dataListed || size == dataSize) break;
        dataSize = size;
    }
    return root.string();
}

void LayOutProject(Demo demo, const std::string& folderText) {
    const fs::path folder(folderText);
    const std::string script = DemoScript(demo);
    Put(folder / "idata.txt", ToBytes(script));
    Put(folder / "license.txt", ToBytes(ReadText(fs::path(KORVO_DEMO_SOURCE) / "installer/license.txt")));
    if (demo == Demo::Patch)
        Put(folder / "patch.txt", ToBytes(ReadText(fs::path(KORVO_DEMO_SOURCE) / "installer/patch.txt")));
    installer::SettingsTable settings;
    installer::ScriptLists lists;
    installer::InstallerFolders folders;
    if (!installer::ParseInstallScript(script.data(), script.size(), {settings, lists, folders}).Ok())
        throw std::runtime_error("the demo's script does not parse");
    uint32_t discs = 1;
    for (size_t i = 0; i < lists.addFile.size(); ++i) {
        const installer::FileEntry& entry = *lists.addFile[i];
        if (entry.disc > discs) discs = entry.disc;
        if (std::string(entry.firstName) == installer::kDataArchiveName) continue;
        Put(OnDisc(folder / "files", entry.firstName),
            dtatest::Pattern(100 + 37 * i, static_cast<uint32_t>(i)));
    }
    for (uint32_t n = 0; n < discs * kPicturesPerDisc; ++n)
        Put(folder / "billboards" / ("bilboard" + std::to_string(n) + ".bmp"), Picture());
    for (const char* program : {"EAX3\\setup.exe", "DirectX\\dxsetup.exe", "DirectX\\Win9x\\dxsetup.exe"})
        Put(OnDisc(folder / "every-disc", program), ToBytes("stand-in"));
    Put(folder / "PWsetup.exe", ToBytes("MZ installer"));
    if (demo == Demo::Patch) {
        dtatest::ArchiveBuilder builder(installer::kPatchArchiveKey1, installer::kPatchArchiveKey2);
        builder.AddStored("patch\\version.txt", {'E', 'N', '\n'});
        Put(folder / "disc1" / "patch" / "a8.dta", builder.Build().bytes);
    }
}

}  // namespace disctest
