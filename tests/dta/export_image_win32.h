// Reads the parts of a 32-bit PE image that the export tests look at (file
// header, optional header, sections, export directory) from its bytes, with
// every offset checked against the image's size, and makes the two changes
// that turn a program into a loadable library.
#ifndef TESTS_DTA_EXPORT_IMAGE_WIN32_H
#define TESTS_DTA_EXPORT_IMAGE_WIN32_H

#include <cstdint>
#include <string>
#include <vector>

namespace korvo::test {

inline constexpr size_t kDosLfanew = 0x3C;
inline constexpr size_t kFileHeaderSize = 20;
inline constexpr size_t kFileCharacteristics = 18;  // in the file header
inline constexpr size_t kOptMagic = 0;
inline constexpr size_t kOptEntryPoint = 16;
inline constexpr size_t kOptSubsystem = 68;
inline constexpr size_t kOptDataDirectories = 96;
inline constexpr size_t kSectionHeaderSize = 40;
inline constexpr uint16_t kPe32Magic = 0x10B;
inline constexpr uint16_t kFlagDll = 0x2000;

struct ExportedName {
    std::string name;
    uint32_t ordinal = 0;  // biased by the ordinal base
    uint32_t address = 0;  // RVA of the function
};

struct ExportDirectory {
    std::string moduleName;
    uint32_t ordinalBase = 0;
    uint32_t functionCount = 0;
    std::vector<ExportedName> names;  // in the order of the name table
};

class PeImage {
public:
    explicit PeImage(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) { Parse(); }

    bool ok() const { return ok_; }
    uint16_t Characteristics() const { return U16(peOffset_ + 4 + kFileCharacteristics); }
    uint16_t Subsystem() const { return U16(optOffset_ + kOptSubsystem); }
    uint32_t EntryPoint() const { return U32(optOffset_ + kOptEntryPoint); }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

    // Whether `rva` lies inside a section marked executable.
    bool IsCode(uint32_t rva) const {
        for (const Section& s : sections_) {
            if ((s.characteristics & 0x20000000u) != 0 && rva >= s.rva && rva - s.rva < s.virtualSize) {
                return true;
            }
        }
        return false;
    }

    // The export directory; false when there is none or it is damaged.
    bool ReadExports(ExportDirectory* out) const {
        if (!ok_) return false;
        const uint32_t dirRva = U32(optOffset_ + kOptDataDirectories);
        size_t dir = 0;
        if (dirRva == 0 || !RvaToOffset(dirRva, 40, &dir)) return false;
        out->moduleName = String(U32(dir + 12));
        out->ordinalBase = U32(dir + 16);
        out->functionCount = U32(dir + 20);
        const uint32_t nameCount = U32(dir + 24);
        size_t functions = 0, names = 0, ordinals = 0;
        if (nameCount > 4096 || out->functionCount > 4096) return false;
        if (!RvaToOffset(U32(dir + 28), out->functionCount * 4u, &functions) ||
            !RvaToOffset(U32(dir + 32), nameCount * 4u, &names) ||
            !RvaToOffset(U32(dir + 36), nameCount * 2u, &ordinals)) {
            return false;
        }
        out->names.clear();
        for (uint32_t i = 0; i < nameCount; ++i) {
            const uint16_t index = U16(ordinals + 2u * i);
            if (index >= out->functionCount) return false;
            out->names.push_back(
                {String(U32(names + 4u * i)), out->ordinalBase + index, U32(functions + 4u * index)});
        }
        return true;
    }

    // Marks the image as a library without an entry point, so that a loader
    // maps it, relocates it and links its imports without running anything.
    bool MakeLibrary() {
        if (!ok_) return false;
        Put16(peOffset_ + 4 + kFileCharacteristics, Characteristics() | kFlagDll);
        Put32(optOffset_ + kOptEntryPoint, 0);
        return true;
    }

private:
    struct Section {
        uint32_t rva, virtualSize, fileOffset, rawSize, characteristics;
    };

    bool Has(size_t offset, size_t n) const { return offset <= bytes_.size() && bytes_.size() - offset >= n; }
    uint16_t U16(size_t o) const { return Has(o, 2) ? uint16_t(bytes_[o] | bytes_[o + 1] << 8) : 0; }
    uint32_t U32(size_t o) const { return Has(o, 4) ? uint32_t(U16(o)) | uint32_t(U16(o + 2)) << 16 : 0; }
    void Put16(size_t o, uint16_t v) {
        bytes_[o] = uint8_t(v);
        bytes_[o + 1] = uint8_t(v >> 8);
    }
    void Put32(size_t o, uint32_t v) {
        Put16(o, uint16_t(v));
        Put16(o + 2, uint16_t(v >> 16));
    }

    void Parse() {
        if (!Has(0, 64) || bytes_[0] != 'M' || bytes_[1] != 'Z') return;
        peOffset_ = U32(kDosLfanew);
        if (!Has(peOffset_, 4 + kFileHeaderSize) || U32(peOffset_) != 0x00004550u) return;
        const uint16_t sectionCount = U16(peOffset_ + 4 + 2);
        const uint16_t optSize = U16(peOffset_ + 4 + 16);
        optOffset_ = peOffset_ + 4 + kFileHeaderSize;
        if (optSize < kOptDataDirectories + 8 || !Has(optOffset_, optSize) || U16(optOffset_) != kPe32Magic)
            return;
        const size_t table = optOffset_ + optSize;
        if (!Has(table, size_t(sectionCount) * kSectionHeaderSize)) return;
        for (uint16_t i = 0; i < sectionCount; ++i) {
            const size_t s = table + size_t(i) * kSectionHeaderSize;
            sections_.push_back({U32(s + 12), U32(s + 8), U32(s + 20), U32(s + 16), U32(s + 36)});
        }
        ok_ = true;
    }

    bool RvaToOffset(uint32_t rva, size_t n, size_t* offset) const {
        for (const Section& s : sections_) {
            if (rva >= s.rva && rva - s.rva < s.rawSize) {
                const size_t o = size_t(s.fileOffset) + (rva - s.rva);
                if (s.rawSize - (rva - s.rva) < n || !Has(o, n)) return false;
                *offset = o;
                return true;
            }
        }
        return false;
    }

    std::string String(uint32_t rva) const {
        size_t o = 0;
        if (!RvaToOffset(rva, 1, &o)) return "<bad>";
        std::string text;
        while (o < bytes_.size() && bytes_[o] != 0 && text.size() < 1024) text += char(bytes_[o++]);
        return text;
    }

    std::vector<uint8_t> bytes_;
    std::vector<Section> sections_;
    size_t peOffset_ = 0;
    size_t optOffset_ = 0;
    bool ok_ = false;
};

// The path of PWsetup.exe in the build tree, as Wine sees it: the build
// passes the Unix path, which Wine reaches through drive Z:.
inline std::string PwsetupPath() {
    std::string path = "Z:";
    for (const char* p = KORVO_PWSETUP_EXE; *p != '\0'; ++p) path += (*p == '/') ? '\\' : *p;
    return path;
}

}  // namespace korvo::test

#endif  // TESTS_DTA_EXPORT_IMAGE_WIN32_H
