#include "tools/packer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <numeric>

#include "dta/format.h"

namespace dta::tools {
namespace {

using namespace dta::format;

// Offsets and sizes are 32-bit fields.
constexpr uint64_t kMaxArchiveSize = 0xFFFFFFFFull;
constexpr uint64_t kMaxEntrySize = 0xFFFFFFFFull;

bool EndsWithWav(const std::string& upperName) {
    return upperName.size() >= 4 && upperName.compare(upperName.size() - 4, 4, ".WAV") == 0;
}

std::string Upper(const std::string& s) {
    std::string u = s;
    for (char& c : u) c = static_cast<char>(UpperAscii(static_cast<uint8_t>(c)));
    return u;
}

struct Prepared {
    EncodedEntry coded;
    uint32_t key = 0;
    uint32_t headerOffset = 0;
};

void Append(std::vector<uint8_t>* image, const uint8_t* bytes, size_t n) {
    image->insert(image->end(), bytes, bytes + n);
}

}  // namespace

bool BuildArchive(const std::vector<PackInput>& inputs, uint32_t key1, uint32_t key2,
                  std::vector<uint8_t>* image, std::string* error) {
    auto fail = [&](const std::string& message) {
        if (error) *error = message;
        return false;
    };
    const Key key = MakeKey(key1, key2);

    // Names: present, short enough, unique without regard to ASCII case.
    std::vector<std::string> upper;
    for (const PackInput& in : inputs) {
        if (in.name.empty()) return fail("empty entry name");
        if (in.name.size() > kMaxNameLength) return fail("entry name longer than 259 bytes: " + in.name);
        if (static_cast<uint64_t>(in.data.size()) > kMaxEntrySize)
            return fail("entry larger than 4 GB: " + in.name);
        upper.push_back(Upper(in.name));
    }
    {
        std::vector<std::string> sorted = upper;
        std::sort(sorted.begin(), sorted.end());
        auto dup = std::adjacent_find(sorted.begin(), sorted.end());
        if (dup != sorted.end()) return fail("entry name given twice: " + *dup);
    }

    std::vector<Prepared> prepared(inputs.size());
    for (size_t i = 0; i < inputs.size(); ++i) {
        std::string why;
        Method method = inputs[i].method;
        if (method == Method::Auto && !EndsWithWav(upper[i])) method = Method::Smaller;
        if (!EncodeEntry(inputs[i].data.data(), inputs[i].data.size(), method, &prepared[i].coded, &why))
            return fail(inputs[i].name + ": " + why);
        prepared[i].key = LookupKey(inputs[i].name.data(), inputs[i].name.size());
    }

    // Layout: magic, header, directory, then each entry's header, name and
    // blocks.
    const uint64_t dirOffset = kMagicSize + archive_header::kSize;
    const uint64_t dirSize = uint64_t(directory_entry::kSize) * inputs.size();
    uint64_t total = dirOffset + dirSize;
    for (size_t i = 0; i < inputs.size(); ++i) {
        total += entry_header::kSize + inputs[i].name.size();
        for (const auto& body : prepared[i].coded.bodies) total += block_header::kSize + body.size();
    }
    if (total > kMaxArchiveSize) return fail("archive would be larger than 4 GB");

    std::vector<uint8_t>& out = *image;
    out.clear();
    out.reserve(static_cast<size_t>(total));
    Append(&out, reinterpret_cast<const uint8_t*>(kMagic), kMagicSize);

    uint8_t header[archive_header::kSize] = {};
    WriteLe32(header + archive_header::kDirectoryOffset, static_cast<uint32_t>(dirOffset));
    WriteLe32(header + archive_header::kDirectorySize, static_cast<uint32_t>(dirSize));
    ScrambleRun(header, sizeof header, key);
    Append(&out, header, sizeof header);
    out.resize(static_cast<size_t>(dirOffset + dirSize));  // directory, filled in below

    for (size_t i = 0; i < inputs.size(); ++i) {
        const PackInput& in = inputs[i];
        Prepared& p = prepared[i];
        p.headerOffset = static_cast<uint32_t>(out.size());

        uint8_t entry[entry_header::kSize] = {};
        WriteLe32(entry + entry_header::kTime, static_cast<uint32_t>(in.fileTime));
        WriteLe32(entry + entry_header::kTime + 4, static_cast<uint32_t>(in.fileTime >> 32));
        WriteLe32(entry + entry_header::kDecodedSize, static_cast<uint32_t>(in.data.size()));
        WriteLe32(entry + entry_header::kBlockCount, static_cast<uint32_t>(p.coded.bodies.size()));
        WriteLe16(entry + entry_header::kNameField,
                  static_cast<uint16_t>(in.name.size() | (in.scrambled ? entry_header::kScrambledFlag : 0)));
        ScrambleRun(entry, sizeof entry, key);
        Append(&out, entry, sizeof entry);

        std::vector<uint8_t> name(in.name.begin(), in.name.end());
        ScrambleRun(name.data(), name.size(), key);
        Append(&out, name.data(), name.size());

        uint16_t previous = 0;
        for (size_t b = 0; b < p.coded.bodies.size(); ++b) {
            std::vector<uint8_t> body = p.coded.bodies[b];
            const uint16_t stored = static_cast<uint16_t>(body.size());
            uint8_t blockHeader[block_header::kSize];
            WriteLe16(blockHeader, stored);
            WriteLe16(blockHeader + 2, previous);
            previous = stored;
            if (in.scrambled) {
                ScrambleRun(body.data(), body.size(), key);
            } else if (b == 0 && p.coded.wave) {
                // The wave header is scrambled even in an unscrambled entry,
                // as a run of its own.
                ScrambleRun(body.data() + 1, wave_header::kSize, key);
            }
            Append(&out, blockHeader, sizeof blockHeader);
            Append(&out, body.data(), body.size());
        }
    }

    // Directory sorted by lookup key; a stable sort keeps equal keys in
    // input order.
    std::vector<size_t> order(inputs.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return prepared[a].key < prepared[b].key; });
    uint8_t* dir = out.data() + dirOffset;
    for (size_t slot = 0; slot < order.size(); ++slot) {
        const size_t i = order[slot];
        uint8_t* e = dir + slot * directory_entry::kSize;
        WriteLe32(e + directory_entry::kKey, prepared[i].key);
        WriteLe32(e + directory_entry::kEntryHeaderOffset, prepared[i].headerOffset);
        WriteLe32(
            e + directory_entry::kFirstBlockOffset,
            static_cast<uint32_t>(prepared[i].headerOffset + entry_header::kSize + inputs[i].name.size()));
        const std::string& u = upper[i];
        const size_t tail = std::min(u.size(), directory_entry::kNameTailSize);
        std::memcpy(e + directory_entry::kNameTail, u.data() + u.size() - tail, tail);
    }
    ScrambleRun(dir, static_cast<size_t>(dirSize), key);
    return true;
}

bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& image, std::string* error) {
    const std::string temp = path + ".tmp";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (f == nullptr) {
        if (error) *error = "cannot create " + temp;
        return false;
    }
    bool ok = image.empty() || std::fwrite(image.data(), 1, image.size(), f) == image.size();
    ok = (std::fflush(f) == 0) && ok;
    ok = (std::fclose(f) == 0) && ok;
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
        // Some systems refuse to rename over an existing file.
        ok = std::remove(path.c_str()) == 0 && std::rename(temp.c_str(), path.c_str()) == 0;
    }
    if (!ok) {
        std::remove(temp.c_str());
        if (error) *error = "cannot write " + path;
    }
    return ok;
}

}  // namespace dta::tools
