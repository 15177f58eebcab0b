// `dta verify` and `dta list` on damaged archives: every structural rule the
// format allows checking, each failure printed once with its place, and the
// exit codes.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "dta/format.h"
#include "tests/tools/run_dta.h"
#include "tests/tools/temp_folder.h"
#include "dta/pack/packer.h"

using namespace dta::tools;
using namespace dta::pack;
namespace format = dta::format;

namespace {

using Image = std::vector<uint8_t>;

const format::Key kKey = format::MakeKey(kDefaultKey1, kDefaultKey2);

// big.bin (70,000 bytes, 3 blocks) is written first, right after the
// directory of two entries; small.txt follows.
Image Sample() {
    std::vector<PackInput> inputs(2);
    inputs[0].name = "big.bin";
    for (size_t i = 0; i < 70000; ++i) inputs[0].data.push_back(static_cast<uint8_t>(i * 7 / 5));
    inputs[0].method = Method::Lz;
    inputs[1].name = "small.txt";
    inputs[1].data = Bytes("small");
    Image image;
    std::string error;
    EXPECT_TRUE(BuildArchive(inputs, kDefaultKey1, kDefaultKey2, &image, &error)) << error;
    return image;
}

constexpr size_t kHeader = format::archive_header::kOffset;
constexpr size_t kDirectory = kHeader + format::archive_header::kSize;
constexpr size_t kFirstEntry = kDirectory + 2 * format::directory_entry::kSize;

// Reads and writes a uint32 field at `at` within the scrambled run that
// starts at `run`: field byte j takes key byte (at + j) mod 8.
uint32_t Field(const Image& f, size_t run, size_t at) {
    uint8_t b[4];
    for (size_t j = 0; j < 4; ++j) b[j] = f[run + at + j] ^ kKey.bytes[(at + j) % 8];
    return format::ReadLe32(b);
}
void SetField(Image& f, size_t run, size_t at, uint32_t value) {
    uint8_t b[4];
    format::WriteLe32(b, value);
    for (size_t j = 0; j < 4; ++j) f[run + at + j] = b[j] ^ kKey.bytes[(at + j) % 8];
}
void SetField16(Image& f, size_t run, size_t at, uint16_t value) {
    uint8_t b[2];
    format::WriteLe16(b, value);
    for (size_t j = 0; j < 2; ++j) f[run + at + j] = b[j] ^ kKey.bytes[(at + j) % 8];
}

// The directory slot that points at big.bin's entry header.
size_t BigSlot(const Image& f) {
    for (size_t slot = 0; slot < 2; ++slot)
        if (Field(f, kDirectory,
                  slot * format::directory_entry::kSize + format::directory_entry::kEntryHeaderOffset) ==
            kFirstEntry)
            return slot;
    ADD_FAILURE() << "big.bin not in the directory";
    return 0;
}

struct Damage {
    const char* what;
    std::function<void(Image&)> apply;
    const char* message;  // a part of the one failure printed
    bool listFails;       // `list` sees it too (it reads no block bodies)
};

}  // namespace

TEST(Verify, finds_each_kind_of_damage_and_exits_nonzero) {
    namespace eh = format::entry_header;
    const std::vector<Damage> table = {
        {"directory size off by a few bytes",
         [](Image& f) { SetField(f, kHeader, format::archive_header::kDirectorySize, 2 * 28 + 3); },
         "directory size not a multiple of 28 bytes", true},
        {"block count that the decoded size does not need",
         [](Image& f) { SetField(f, kFirstEntry, eh::kBlockCount, 7); },
         "entry 0 (big.bin): block count does not match the decoded size", true},
        {"decoded size of 2 GB in a small archive",
         [](Image& f) { SetField(f, kFirstEntry, eh::kDecodedSize, 0x7FFFFFFF); },
         "(big.bin): block count does not match the decoded size", true},
        {"last block decoding to more than the rest",
         [](Image& f) { SetField(f, kFirstEntry, eh::kDecodedSize, 69999); },
         "(big.bin): block 2: last block does not decode to the rest of the entry", false},
        {"entry header outside the file",
         [](Image& f) {
             SetField(
                 f, kDirectory,
                 BigSlot(f) * format::directory_entry::kSize + format::directory_entry::kEntryHeaderOffset,
                 0xFFFFFF00);
         },
         "entry header outside the file", true},
        {"file cut inside the last entry's block", [](Image& f) { f.resize(f.size() - 2); },
         "(small.txt): block 0: block body runs past the end of the file", true},
        {"name too long to read", [](Image& f) { SetField16(f, kFirstEntry, eh::kNameField, 0x7FFF); },
         "name longer than 259 bytes", true},
    };
    TempFolder dir;
    const Image sound = Sample();
    const std::string good = dir.Write("good.dta", sound);
    EXPECT_EQ(Dta({"verify", good}).code, 0);
    EXPECT_EQ(Dta({"list", good}).code, 0);

    for (const Damage& d : table) {
        Image f = sound;
        d.apply(f);
        const std::string path = dir.Write("damaged.dta", f);
        Outcome verify = Dta({"verify", path});
        EXPECT_EQ(verify.code, 1) << d.what;
        EXPECT_NE(verify.err.find(d.message), std::string::npos) << d.what << "\n" << verify.err;
        EXPECT_EQ(std::count(verify.err.begin(), verify.err.end(), '\n'), 1) << d.what << "\n" << verify.err;
        EXPECT_EQ(verify.out.find(d.message), std::string::npos) << d.what;
        EXPECT_EQ(Dta({"list", path}).code, d.listFails ? 1 : 0) << d.what;
    }
}

TEST(Verify, an_entry_without_a_readable_name_is_named_by_its_index) {
    TempFolder dir;
    Image f = Sample();
    SetField16(f, kFirstEntry, format::entry_header::kNameField, 0x7FFF);
    const std::string path = dir.Write("damaged.dta", f);
    Outcome verify = Dta({"verify", path});
    EXPECT_NE(verify.err.find("dta: entry 0: name longer than 259 bytes"), std::string::npos) << verify.err;
    EXPECT_NE(verify.out.find("ok     small.txt"), std::string::npos) << verify.out;
    Outcome list = Dta({"list", path});
    EXPECT_NE(list.out.find(" ?  [damaged]"), std::string::npos) << list.out;
}

TEST(Verify, archives_that_cannot_be_read_at_all) {
    TempFolder dir;
    const std::string good = dir.Write("good.dta", Sample());
    Outcome wrongKey = Dta({"verify", "--key1", "1", good});
    EXPECT_EQ(wrongKey.code, 1);
    EXPECT_NE(wrongKey.err.find("wrong key words?"), std::string::npos) << wrongKey.err;
    Outcome missing = Dta({"verify", dir / "none.dta"});
    EXPECT_EQ(missing.code, 1);
    // The system's reason follows the name.
    const std::string opening = "dta: cannot open " + dir / "none.dta" + ": ";
    EXPECT_EQ(missing.err.compare(0, opening.size(), opening), 0) << missing.err;
    EXPECT_GT(missing.err.size(), opening.size() + 5) << missing.err;
    Outcome notArchive = Dta({"list", dir.Write("text.dta", Bytes("PWD1 and more"))});
    EXPECT_EQ(notArchive.code, 1);
    EXPECT_NE(notArchive.err.find("not a .dta archive"), std::string::npos) << notArchive.err;
}

TEST(Verify, bytes_after_the_archive_end_are_a_warning) {
    TempFolder dir;
    const Image sound = Sample();
    Outcome clean = Dta({"verify", dir.Write("good.dta", sound)});
    EXPECT_EQ(clean.code, 0);
    EXPECT_EQ(clean.err, "");

    Image appended = sound;
    for (const char c : std::string("extra")) appended.push_back(static_cast<uint8_t>(c));
    const std::string path = dir.Write("appended.dta", appended);
    Outcome verify = Dta({"verify", path});
    EXPECT_EQ(verify.code, 0);
    EXPECT_EQ(verify.err,
              "dta: warning: " + path + ": 5 bytes after the end of the archive (the game ignores them)\n");
    EXPECT_NE(verify.out.find("2 of 2 entries decode cleanly"), std::string::npos) << verify.out;

    // A damaged archive has no end to measure from: only the damage is told.
    Image cut = appended;
    SetField(cut, kFirstEntry, format::entry_header::kBlockCount, 7);
    Outcome damaged = Dta({"verify", dir.Write("damaged.dta", cut)});
    EXPECT_EQ(damaged.code, 1);
    EXPECT_EQ(damaged.err.find("after the end"), std::string::npos) << damaged.err;
}

TEST(LargeArchive, entries_past_2_gib_list_verify_and_extract) {
    // The only entry lies at 3.5 GiB, after a hole (sparse where the file
    // system allows): offsets there need more than 31 bits, also in the
    // 32-bit Windows build.
    std::vector<PackInput> inputs(1);
    inputs[0].name = "far.txt";
    inputs[0].data = Bytes("far away, far away");
    inputs[0].method = Method::Lz;
    Image image;
    std::string error;
    ASSERT_TRUE(BuildArchive(inputs, kDefaultKey1, kDefaultKey2, &image, &error)) << error;
    const size_t entry = kDirectory + format::directory_entry::kSize;
    const uint64_t far = 0xE0000000ull;
    SetField(image, kDirectory, format::directory_entry::kEntryHeaderOffset, static_cast<uint32_t>(far));
    SetField(image, kDirectory, format::directory_entry::kFirstBlockOffset,
             static_cast<uint32_t>(far + format::entry_header::kSize + inputs[0].name.size()));
    TempFolder dir;
    const std::string path = dir / "far.dta";
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(entry));
        out.seekp(static_cast<std::streamoff>(far));
        out.write(reinterpret_cast<const char*>(image.data() + entry),
                  static_cast<std::streamsize>(image.size() - entry));
        ASSERT_TRUE(out.good());
    }
    Outcome list = Dta({"list", path});
    EXPECT_EQ(list.code, 0) << list.err;
    EXPECT_NE(list.out.find("far.txt"), std::string::npos) << list.out;
    EXPECT_EQ(Dta({"verify", "-q", path}).code, 0);
    EXPECT_EQ(Dta({"cat", path, "far.txt"}).out, "far away, far away");
    ASSERT_EQ(Dta({"extract", "-C", dir / "out", path}).code, 0);
    EXPECT_EQ(TempFolder::Read(dir / "out/far.txt"), Bytes("far away, far away"));
}
