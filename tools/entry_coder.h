// Splits an entry's data into blocks of 32768 decoded bytes and codes each
// one into a block body (method byte first, unscrambled).
#ifndef TOOLS_ENTRY_CODER_H
#define TOOLS_ENTRY_CODER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace dta::tools {

enum class Method {
    Stored,   // every block stored
    Lz,       // every block LZ, unless its LZ body would not fit a block body
    Wave,     // a wave entry: delta-coded 16-bit PCM, nested stored/LZ for other widths
    Auto,     // 16-bit PCM canonical WAVE data as Wave, else as Smaller
    Smaller,  // per block the smaller of LZ and stored
};

struct EncodedEntry {
    std::vector<std::vector<uint8_t>> bodies;
    bool wave = false;  // the first block is a wave block carrying the 44-byte header
};

// Codes `size` bytes of `data`. An empty entry still gets one block (a
// stored body holding only its method byte), since readers read the first
// block's header when they open an entry. False with a message in `error`
// when Wave is asked for data that is not a canonical WAVE file (or a 16-bit
// one whose data does not run in whole frames to the end of the file).
bool EncodeEntry(const uint8_t* data, size_t size, Method method, EncodedEntry* out, std::string* error);

// Parses "stored", "lz", "wave" or "auto".
bool ParseMethod(const std::string& text, Method* method);

}  // namespace dta::tools

#endif  // TOOLS_ENTRY_CODER_H
