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

// The archive header: one scrambled run right after the magic.
namespace archive_header {
inline constexpr size_t kOffset = 4;  // absolute
inline constexpr size_t kSize = 16;
inline constexpr size_t kDirectoryOffset = 4;  // uint32, absolute
inline constexpr size_t kDirectorySize = 8;    // uint32, bytes
}  // namespace archive_header

// One directory entry; the directory is one scrambled run of them.
namespace directory_entry {
inline constexpr size_t kSize = 28;
inline constexpr size_t kKey = 0;                // uint32 lookup key
inline constexpr size_t kEntryHeaderOffset = 4;  // uint32, absolute
inline constexpr size_t kFirstBlockOffset = 8;   // uint32, absolute
inline constexpr size_t kNameTail = 12;          // last 16 bytes of the upper-cased name
inline constexpr size_t kNameTailSize = 16;
}  // namespace directory_entry

// The header in front of each entry's name; a scrambled run of its own.
namespace entry_header {
inline constexpr size_t kSize = 32;
inline constexpr size_t kTime = 8;          // FILETIME, low part then high part
inline constexpr size_t kDecodedSize = 16;  // uint32
inline constexpr size_t kBlockCount = 20;   // uint32
inline constexpr size_t kNameField = 24;    // uint16: name length | scrambled flag
inline constexpr uint16_t kNameLengthMask = 0x7FFF;
inline constexpr uint16_t kScrambledFlag = 0x8000;
}  // namespace entry_header

// Longest entry name a reader accepts.
inline constexpr size_t kMaxNameLength = 259;

// The plain 4 bytes in front of every block body.
namespace block_header {
inline constexpr size_t kSize = 4;
inline constexpr size_t kStoredSize = 0;          // uint16: this body's size
inline constexpr size_t kPreviousStoredSize = 2;  // uint16: the previous body's size
}  // namespace block_header

// Block bodies: a method byte, then the payload.
namespace block {
inline constexpr size_t kDecodedSize = 32768;  // every block but an entry's last
inline constexpr size_t kMaxBodySize = 32772;  // largest stored size
}  // namespace block

// Method bytes: 1 is LZ, 0 and 2 to 7 are stored, 8 and up are wave blocks.
inline constexpr uint8_t kMethodLz = 1;
inline constexpr uint8_t kMethodWaveFirst = 8;

// The canonical RIFF/WAVE header that a wave entry begins with, and the
// fields of it that a reader looks at.
namespace wave_header {
inline constexpr size_t kSize = 44;
inline constexpr size_t kRiffId = 0;       // "RIFF"
inline constexpr size_t kFmtId = 12;       // "fmt "
inline constexpr size_t kChannels = 22;    // uint16
inline constexpr size_t kBlockAlign = 32;  // uint16, bytes per sample frame
inline constexpr size_t kDataId = 36;      // "data"
}  // namespace wave_header

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
    // 32 bytes a step against the key repeated four times: a fixed-length
    // inner loop that the compiler turns into vector XORs.
    constexpr size_t kStep = 32;
    uint8_t pattern[kStep];
    for (size_t j = 0; j < kStep; ++j) pattern[j] = key.bytes[j & 7];
    size_t i = 0;
    for (; size - i >= kStep; i += kStep) {
        for (size_t j = 0; j < kStep; ++j) run[i + j] ^= pattern[j];
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
