#include "installer/engine/language_check.h"

#include <string>

#include "dta/dta.h"
#include "dta/dta_handle.h"

namespace installer {

namespace {

constexpr char kGameArchive[] = "aa.dta";
constexpr char kPatchArchive[] = "patch\\a8.dta";
constexpr char kGameMark[] = "tables\\version.txt";
constexpr char kPatchMark[] = "patch\\version.txt";

dta::ArchiveRef Register(const char* folder, const char* name, uint32_t key1, uint32_t key2) {
    const std::string path = std::string(folder != nullptr ? folder : "") + name;
    dta::ArchiveRef archive(dtaCreate(path.c_str()));
    if (archive) archive->LoadDirectory(key1, key2);
    return archive;
}

// Reads up to two bytes of `name` over the start of `mark`.
void ReadMark(const char* name, char (&mark)[2]) {
    dta::ScopedHandle file(dtaOpen(name, 0));
    if (!file.Valid()) return;
    char bytes[2];
    const int32_t got = dtaRead(file.Get(), bytes, sizeof bytes);
    for (int32_t i = 0; i < got && i < 2; ++i) mark[i] = bytes[i];
}

}  // namespace

bool LanguageCheck(const char* destinationFolder, const char* sourceFolder) {
    dta::ArchiveRef game = Register(destinationFolder, kGameArchive, kGameArchiveKey1, kGameArchiveKey2);
    if (!game) return false;
    // Without the patch's archive the check fails, and the game's archive is
    // released on the way out all the same.
    dta::ArchiveRef patch = Register(sourceFolder, kPatchArchive, kPatchArchiveKey1, kPatchArchiveKey2);
    if (!patch) return false;

    char gameMark[2] = {'?', '?'};
    char patchMark[2] = {'?', '?'};
    ReadMark(kGameMark, gameMark);
    ReadMark(kPatchMark, patchMark);
    return gameMark[0] == patchMark[0] && gameMark[1] == patchMark[1];
}

}  // namespace installer
