// The .dta archive layout, written down once.
//
//   offset 0            "PWD0"                                  plain
//   offset 4            archive header, 16 bytes                scrambled run
//                         +4 directory offset, +8 directory size (bytes)
//   directory offset    directory: size / 28 entries            one scrambled run
//                         +0 lookup key  +4 entry header offset
//                         +8 first block offset  +12 name tail (16 bytes)
//   entry header offset entry header, 32 bytes                  scrambled run
//                         +8 FILETIME  +16 decoded size  +20 block count
//                         +24 name length (bits 0-14) | scrambled flag (bit 15)
//   ... + 32            entry name, name length bytes           scrambled run
//   first block offset  blocks, back to back:
//                         +0 uint16 stored size S  +2 uint16 previous S  (plain)
//                         +4 body: method byte, payload         scrambled run when
//                                                               the entry's flag is set
//
// All integers are little-endian; all offsets are absolute. The key is 8
// bytes: key word 1 then key word 2, each little-endian. Every block but the
// last decodes to 32768 bytes.
#ifndef DTA_FORMAT_H
#define DTA_FORMAT_H

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace dta::format {

inline constexpr char kMagic[4] = {'P', 'W', 'D', '0'};
inline constexpr size_t kMagicSize = 4;

inline constexpr size_t kArchiveHeaderOffset = 4;
inline constexpr size_t kArchiveHeaderSize = 16;
inline constexpr size_t kHeaderDirectoryOffset = 4;
inline constexpr size_t kHeaderDirectorySize = 8;

inline constexpr size_t kDirEntrySize = 28;
inline constexpr size_t kDirKey = 0;
inline constexpr size_t kDirEntryHeaderOffset = 4;
inline constexpr size_t kDirFirstBlockOffset = 8;
inline constexpr size_t kDirNameTail = 12;
inline constexpr size_t kNameTailSize = 16;

inline constexpr size_t kEntryHeaderSize = 32;
inline constexpr size_t kEntryTime = 8;
inline constexpr size_t kEntrySize = 16;
inline constexpr size_t kEntryBlockCount = 20;
inline constexpr size_t kEntryNameField = 24;
inline constexpr uint16_t kNameLengthMask = 0x7FFF;
inline constexpr uint16_t kScrambledFlag = 0x8000;

inline constexpr size_t kMaxNameLength = 259;

inline constexpr size_t kBlockHeaderSize = 4;
inline constexpr size_t kBlockSize = 32768;
inline constexpr size_t kMaxBodySize = 32772;
inline constexpr size_t kWaveHeaderSize = 44;

inline constexpr uint8_t kMethodLz = 1;
inline constexpr uint8_t kMethodWave = 8;  // 8 and above

// Little-endian helpers over raw bytes; no alignment assumed.
inline uint16_t ReadLe16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t ReadLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void WriteLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void WriteLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// The 8-byte scrambling key formed by the two key words.
struct Key {
    uint8_t bytes[8];
};

inline Key MakeKey(uint32_t word1, uint32_t word2) {
    Key key;
    WriteLe32(key.bytes, word1);
    WriteLe32(key.bytes + 4, word2);
    return key;
}

// Scrambles (or unscrambles: the operation is its own inverse) one run: byte
// i is combined with key byte i mod 8.
inline void ScrambleRun(uint8_t* run, size_t size, const Key& key) {
    // Eight bytes at a time: the key repeats every eight bytes, so a whole
    // 64-bit word takes the key as it stands, whatever the byte order.
    uint64_t pattern;
    std::memcpy(&pattern, key.bytes, sizeof pattern);
    size_t i = 0;
    for (; size - i >= sizeof pattern; i += sizeof pattern) {
        uint64_t word;
        std::memcpy(&word, run + i, sizeof word);
        word ^= pattern;
        std::memcpy(run + i, &word, sizeof word);
    }
    for (; i < size; ++i) run[i] ^= key.bytes[i & 7];
}

// Scrambles a run whose first byte takes key byte `firstKeyByte` (0-7): the
// wave header inside a scrambled block body starts at body offset 1.
inline void ScrambleRunFrom(uint8_t* run, size_t size, const Key& key, size_t firstKeyByte) {
    Key rotated;
    for (size_t j = 0; j < 8; ++j) rotated.bytes[j] = key.bytes[(j + firstKeyByte) & 7];
    ScrambleRun(run, size, rotated);
}

inline uint8_t UpperAscii(uint8_t c) {
    return (c >= 'a' && c <= 'z') ? static_cast<uint8_t>(c - 32) : c;
}

// Lookup key of a name of `length` bytes: the length in the high 16 bits, the
// 16-bit sum of the upper-cased bytes in the low 16 bits.
inline uint32_t LookupKey(const char* name, size_t length) {
    uint32_t sum = 0;
    for (size_t i = 0; i < length; ++i) sum += UpperAscii(static_cast<uint8_t>(name[i]));
    return (static_cast<uint32_t>(length) << 16) + (sum & 0xFFFF);
}

}  // namespace dta::format

#endif  // DTA_FORMAT_H
