// Splits an entry's data into blocks of 32768 decoded bytes and codes each
// one into a block body (method byte first, unscrambled). Blocks are coded
// independently, so a packer can code them in any order and on any thread;
// the result depends only on the data.
#ifndef DTA_PACK_ENTRY_CODER_H
#define DTA_PACK_ENTRY_CODER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dta/pack/wave_file.h"

namespace dta::pack {

enum class Method {
    Auto,         // lossless: per block the smaller of LZ and stored (the default)
    Stored,       // every block stored
    Lz,           // every block LZ, unless its LZ body would not fit a block body
    Wave,         // a wave entry: delta-coded 16-bit PCM (lossy), nested stored/LZ for
                  // other sample widths; refused for data that is no canonical WAVE file
    WaveIfSound,  // Wave for canonical WAVE files that wave coding takes, Auto for the rest
};

// How the blocks of one entry are coded, decided once per entry.
struct EntryPlan {
    Method method = Method::Auto;  // Auto, Stored, Lz or Wave once planned
    bool wave = false;             // a wave entry: the first block carries the header
    bool lossy = false;            // wave entry of delta-coded 16-bit samples
    uint16_t channels = 0;
    uint8_t header[format::wave_header::kSize] = {};
};

// Decides how to code an entry of `size` bytes from the method asked for
// and its first bytes (`head`, the first block's data: min(size, 32768)
// bytes). False with a message when Wave is asked for data that is not a
// canonical WAVE file, or a 16-bit one whose samples don't run in whole
// frames to the end of the file.
bool PlanEntry(Method method, const uint8_t* head, size_t headSize, uint64_t size, EntryPlan* plan,
               std::string* error);

// The number of blocks of an entry of `size` bytes: one per 32768 bytes,
// and one (holding only a method byte) for an empty entry, since readers
// read the first block's header when they open an entry.
uint64_t BlockCount(uint64_t size);

// Codes block `index` of a planned entry; `data` holds that block's decoded
// bytes (the wave header included in block 0 of a wave entry).
std::vector<uint8_t> EncodeBlock(const EntryPlan& plan, uint64_t index, const uint8_t* data, size_t size);

struct EncodedEntry {
    std::vector<std::vector<uint8_t>> bodies;
    bool wave = false;   // the first block is a wave block carrying the 44-byte header
    bool lossy = false;  // its samples are delta coded
};

// Plans and codes a whole entry held in memory. False with a message as
// PlanEntry.
bool EncodeEntry(const uint8_t* data, size_t size, Method method, EncodedEntry* out, std::string* error);

// Parses "auto", "stored", "lz" or "wave".
bool ParseMethod(const std::string& text, Method* method);

}  // namespace dta::pack

#endif  // DTA_PACK_ENTRY_CODER_H
