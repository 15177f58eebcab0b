// The patch's language check: the installed game and the patch must carry
// the same two-byte version mark, read from "tables\version.txt" in the
// game's archive aa.dta and from "patch\version.txt" in the patch's archive
// patch\a8.dta.
#ifndef INSTALLER_ENGINE_LANGUAGE_CHECK_H
#define INSTALLER_ENGINE_LANGUAGE_CHECK_H

#include <cstdint>

namespace installer {

// Key words of the two archives.
inline constexpr uint32_t kGameArchiveKey1 = 0x7D14A9E3;
inline constexpr uint32_t kGameArchiveKey2 = 0x2B6F05C8;
inline constexpr uint32_t kPatchArchiveKey1 = 0x61C3D7A2;
inline constexpr uint32_t kPatchArchiveKey2 = 0x0E95B34F;

// Registers "<destinationFolder>aa.dta" and "<sourceFolder>patch\a8.dta" and
// compares the first two bytes of the two marks, each "??" until read. A
// name is looked up as everywhere in the archive library (a plain file in the
// current folder first, then the registered archives in order), so a mark
// found nowhere stays "??" and a one-byte file fills only its first byte.
// Returns false when an archive cannot be registered; both archives are
// released again in every case. Folders are texts ending in a backslash.
bool LanguageCheck(const char* destinationFolder, const char* sourceFolder);

}  // namespace installer

#endif  // INSTALLER_ENGINE_LANGUAGE_CHECK_H
