#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "dta/dta.h"
#include "dta/format.h"
#include "tests/tools/temp_folder.h"
#include "dta/pack/packer.h"
#include "dta/pack/wave_file.h"

using namespace dta::pack;
using namespace dta::format;

namespace {

constexpr uint32_t kKey1 = kDefaultKey1;
constexpr uint32_t kKey2 = kDefaultKey2;

std::vector<uint8_t> Bytes(const std::string& s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}

std::vector<uint8_t> Mixed(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> out(n);
    for (size_t i = 0; i < n; ++i)
        out[i] = (i / 512) % 2 ? static_cast<uint8_t>(rng()) : static_cast<uint8_t>(i % 7);
    return out;
}

std::vector<uint8_t> Wave(uint16_t channels, size_t frames) {
    const size_t bytes = frames * channels * 2;
    std::vector<uint8_t> f(wave_header::kSize + bytes);
    WriteWaveHeader(f.data(), channels, 22050, 16, static_cast<uint32_t>(bytes));
    for (size_t i = 0; i < bytes / 2; ++i) {
        const int16_t s = static_cast<int16_t>(6000 * ((i / 40) % 2 ? 1 : -1) + int(i % 40) * 50);
        WriteLe16(&f[wave_header::kSize + 2 * i], static_cast<uint16_t>(s));
    }
    return f;
}

PackInput Input(const std::string& name, std::vector<uint8_t> data, Method method, bool scrambled) {
    PackInput in;
    in.name = name;
    in.data = std::move(data);
    in.method = method;
    in.scrambled = scrambled;
    in.fileTime = 0x01D9000012345678ull;
    return in;
}

// Reads an entry through the library's public interface.
struct LibraryRead {
    bool found = false;
    std::vector<uint8_t> data;
    uint32_t timeLow = 0, timeHigh = 0;
};

LibraryRead ReadEntry(const std::string& archive, const std::string& name, uint32_t key1 = kKey1,
                      uint32_t key2 = kKey2) {
    LibraryRead r;
    Dta_read* a = dtaCreate(archive.c_str());
    if (a == nullptr) return r;
    if (a->LoadDirectory(key1, key2)) {
        int32_t h = dtaOpen(name.c_str(), 1);
        if (h >= 0) {
            int32_t size = dtaSeek(h, 0, 2);
            dtaSeek(h, 0, 0);
            r.data.resize(size > 0 ? size : 0);
            int32_t got = size > 0 ? dtaRead(h, r.data.data(), static_cast<uint32_t>(size)) : 0;
            r.found = got == size;
            uint32_t ft[2] = {};
            dtaGetTime(h, ft, 0);
            r.timeLow = ft[0];
            r.timeHigh = ft[1];
            dtaClose(h);
        }
    }
    a->Release();
    return r;
}

std::string Pack(const TempFolder& dir, const std::vector<PackInput>& inputs, uint32_t key1 = kKey1,
                 uint32_t key2 = kKey2) {
    std::vector<uint8_t> image;
    std::string error;
    EXPECT_TRUE(BuildArchive(inputs, key1, key2, &image, &error)) << error;
    return dir.Write("test.dta", image);
}

}  // namespace

TEST(Packer, layout_has_scrambled_header_sorted_directory_and_chained_blocks) {
    TempFolder dir;
    std::vector<PackInput> inputs = {
        Input("zeta.bin", Mixed(70000, 1), Method::Stored, false),
        Input("a.txt", Bytes("alpha"), Method::Lz, true),
        Input("tables\\version.txt", Bytes("1.0"), Method::Stored, true),
    };
    std::vector<uint8_t> f = TempFolder::Read(Pack(dir, inputs));
    const Key key = MakeKey(kKey1, kKey2);

    ASSERT_EQ(std::memcmp(f.data(), "PWD0", 4), 0);
    uint8_t header[16];
    std::memcpy(header, &f[4], 16);
    ScrambleRun(header, 16, key);
    const uint32_t dirOffset = ReadLe32(header + 4);
    ASSERT_EQ(ReadLe32(header + 8), 3 * directory_entry::kSize);
    std::vector<uint8_t> d(f.begin() + dirOffset, f.begin() + dirOffset + 3 * directory_entry::kSize);
    ScrambleRun(d.data(), d.size(), key);

    uint32_t lastKey = 0;
    for (int i = 0; i < 3; ++i) {
        const uint8_t* e = &d[i * directory_entry::kSize];
        EXPECT_GE(ReadLe32(e), lastKey);
        lastKey = ReadLe32(e);
        const uint32_t entry = ReadLe32(e + 4);
        uint8_t eh[32];
        std::memcpy(eh, &f[entry], 32);
        ScrambleRun(eh, 32, key);
        const size_t nameLength = ReadLe16(eh + 24) & entry_header::kNameLengthMask;
        std::string name(f.begin() + entry + 32, f.begin() + entry + 32 + nameLength);
        ScrambleRun(reinterpret_cast<uint8_t*>(&name[0]), name.size(), key);
        EXPECT_EQ(ReadLe32(e), LookupKey(name.data(), name.size())) << name;
        EXPECT_EQ(ReadLe32(e + 8), entry + 32 + nameLength);
        EXPECT_EQ(ReadLe32(eh + 8), 0x12345678u);
        // The tail: the last 16 upper-cased bytes, zero padded.
        std::string upper = name;
        for (char& c : upper) c = static_cast<char>(UpperAscii(static_cast<uint8_t>(c)));
        std::string tail = upper.size() > 16 ? upper.substr(upper.size() - 16) : upper;
        tail.resize(16, '\0');
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(e + 12), 16), tail);

        if (name == "zeta.bin") {
            EXPECT_EQ(ReadLe16(eh + 24), 8);  // no scrambled flag
            EXPECT_EQ(ReadLe32(eh + 16), 70000u);
            ASSERT_EQ(ReadLe32(eh + 20), 3u);
            // Walk the chain; every stored body keeps its plain method byte.
            size_t at = ReadLe32(e + 8);
            uint16_t previous = 0;
            for (int b = 0; b < 3; ++b) {
                const uint16_t s = ReadLe16(&f[at]);
                EXPECT_EQ(ReadLe16(&f[at + 2]), previous);  // 0 in the first block
                EXPECT_EQ(f[at + 4], 0);
                EXPECT_EQ(s, b < 2 ? 32769 : 70000 - 65536 + 1);
                previous = s;
                at += 4 + s;
            }
        } else {
            EXPECT_EQ(ReadLe16(eh + 24), 0x8000 | nameLength);
        }
    }
}

TEST(Packer, entries_read_back_through_the_library_byte_for_byte) {
    TempFolder dir;
    std::vector<PackInput> inputs;
    const std::vector<uint8_t> big = Mixed(100000, 2);
    for (bool scrambled : {false, true}) {
        const std::string s = scrambled ? "s" : "p";
        inputs.push_back(Input(s + "stored.bin", big, Method::Stored, scrambled));
        inputs.push_back(Input(s + "lz.bin", big, Method::Lz, scrambled));
        inputs.push_back(Input(s + "auto.bin", big, Method::Auto, scrambled));
        inputs.push_back(Input(s + "exact.bin", Mixed(32768, 3), Method::Lz, scrambled));
        inputs.push_back(Input(s + "empty.txt", {}, Method::Auto, scrambled));
        // An 8-bit sound under wave coding is lossless.
        std::vector<uint8_t> pcm8(wave_header::kSize + 5000);
        WriteWaveHeader(pcm8.data(), 1, 8000, 8, 5000);
        for (size_t i = wave_header::kSize; i < pcm8.size(); ++i)
            pcm8[i] = static_cast<uint8_t>(128 + (i % 50));
        inputs.push_back(Input(s + "eight.wav", pcm8, Method::Wave, scrambled));
    }
    const std::string archive = Pack(dir, inputs);
    for (const PackInput& in : inputs) {
        LibraryRead r = ReadEntry(archive, in.name);
        ASSERT_TRUE(r.found) << in.name;
        EXPECT_EQ(r.data, in.data) << in.name;
        EXPECT_EQ(r.timeLow, 0x12345678u);
        EXPECT_EQ(r.timeHigh, 0x01D90000u);
    }
}

TEST(Packer, wave_entries_keep_their_header_exact_scrambled_or_not) {
    TempFolder dir;
    const std::vector<uint8_t> mono = Wave(1, 40000);
    const std::vector<uint8_t> stereo = Wave(2, 20000);
    const std::string archive = Pack(
        dir, {Input("mono.wav", mono, Method::Wave, false), Input("stereo.wav", stereo, Method::Wave, true)});
    for (const auto& [name, original] : {std::pair{"mono.wav", mono}, std::pair{"stereo.wav", stereo}}) {
        LibraryRead r = ReadEntry(archive, name);
        ASSERT_TRUE(r.found) << name;
        ASSERT_EQ(r.data.size(), original.size());
        EXPECT_TRUE(std::equal(original.begin(), original.begin() + wave_header::kSize, r.data.begin()))
            << name;
        int worst = 0;
        for (size_t i = wave_header::kSize; i < original.size(); i += 2)
            worst =
                std::max(worst, std::abs(int16_t(ReadLe16(&original[i])) - int16_t(ReadLe16(&r.data[i]))));
        EXPECT_LE(worst, 200) << name;
    }
    // The header is never plain in the file, even in an unscrambled entry.
    std::vector<uint8_t> f = TempFolder::Read(archive);
    EXPECT_EQ(std::search(f.begin(), f.end(), mono.begin(), mono.begin() + 4), f.end());
}

TEST(Packer, lookup_finds_names_by_case_key_collisions_and_long_tails) {
    TempFolder dir;
    const std::string longA = "music\\first\\track_number_01.txt";
    const std::string longB = "sound\\other\\track_number_01.txt";  // same length, same tail
    const std::string archive = Pack(
        dir, {Input("tables\\version.txt", Bytes("v"), Method::Auto, true),
              Input("AB", Bytes("ab"), Method::Stored, true), Input("BA", Bytes("ba"), Method::Stored, false),
              Input(longA, Bytes("A"), Method::Lz, true), Input(longB, Bytes("B"), Method::Lz, true)});
    EXPECT_EQ(ReadEntry(archive, "tables\\Version.TXT").data, Bytes("v"));
    EXPECT_EQ(ReadEntry(archive, "AB").data, Bytes("ab"));
    EXPECT_EQ(ReadEntry(archive, "ba").data, Bytes("ba"));
    EXPECT_EQ(ReadEntry(archive, longA).data, Bytes("A"));
    EXPECT_EQ(ReadEntry(archive, longB).data, Bytes("B"));
    // Another pair of key words finds nothing.
    EXPECT_FALSE(ReadEntry(archive, "AB", 0x11111111, 0x22222222).found);
}

TEST(Packer, other_key_words_make_an_archive_only_they_open) {
    TempFolder dir;
    const std::string archive = Pack(dir, {Input("x.txt", Bytes("secret"), Method::Lz, true)}, 0xDEADBEEF, 7);
    EXPECT_EQ(ReadEntry(archive, "x.txt", 0xDEADBEEF, 7).data, Bytes("secret"));
    EXPECT_FALSE(ReadEntry(archive, "x.txt").found);
}

TEST(Packer, refuses_bad_names) {
    std::vector<uint8_t> image = {1, 2, 3};
    std::string error;
    EXPECT_FALSE(BuildArchive({Input("", {}, Method::Auto, true)}, kKey1, kKey2, &image, &error));
    EXPECT_FALSE(
        BuildArchive({Input(std::string(260, 'n'), {}, Method::Auto, true)}, kKey1, kKey2, &image, &error));
    EXPECT_TRUE(
        BuildArchive({Input(std::string(259, 'n'), {}, Method::Auto, true)}, kKey1, kKey2, &image, &error));
    EXPECT_FALSE(
        BuildArchive({Input("Same.txt", {}, Method::Auto, true), Input("sAME.TXT", {}, Method::Auto, true)},
                     kKey1, kKey2, &image, &error));
    EXPECT_NE(error.find("twice"), std::string::npos);
}
