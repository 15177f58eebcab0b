// Inspecting an archive file: entries by index, the structural checks with
// their reasons, and entry streams.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "dta/format.h"
#include "dta/file_io.h"
#include "dta/examine.h"
#include "tests/dta/archive_builder.h"

using namespace dtatest;
namespace format = dta::format;
namespace fs = std::filesystem;
using dta::Reason;
using dta::Status;
using dta::examine::Archive;
using dta::examine::EntryInfo;
using dta::examine::EntryStream;

namespace {

// A canonical 44-byte WAVE header for `channels` channels of `bytesPerSample`.
Bytes WaveHeader(uint16_t channels, uint16_t bytesPerSample, uint32_t dataSize) {
    Bytes h(format::wave_header::kSize, 0);
    std::memcpy(h.data(), "RIFF", 4);
    std::memcpy(h.data() + 8, "WAVEfmt ", 8);
    std::memcpy(h.data() + format::wave_header::kDataId, "data", 4);
    format::WriteLe16(h.data() + format::wave_header::kChannels, channels);
    format::WriteLe16(h.data() + format::wave_header::kBlockAlign,
                      static_cast<uint16_t>(channels * bytesPerSample));
    format::WriteLe32(h.data() + 40, dataSize);
    return h;
}

// A one-block wave entry: the header copy, then a mono delta stream or a
// nested stored body.
TestEntry WaveEntry(const std::string& name, uint16_t bytesPerSample) {
    TestEntry entry;
    entry.name = name;
    Bytes body{8};
    const Bytes header = WaveHeader(1, bytesPerSample, 6);
    body.insert(body.end(), header.begin(), header.end());
    const Bytes samples = bytesPerSample == 2 ? Bytes{0x10, 0x00, 0x01, 0x81} : Bytes{0, 1, 2, 3, 4, 5, 6};
    body.insert(body.end(), samples.begin(), samples.end());
    entry.bodies = {body};
    entry.decodedSize = 44 + 6;
    entry.scrambled = true;
    return entry;
}

TestEntry Entry(const std::string& name, std::vector<Bytes> bodies, uint32_t size, bool scrambled = false) {
    TestEntry entry;
    entry.name = name;
    entry.bodies = std::move(bodies);
    entry.decodedSize = size;
    entry.scrambled = scrambled;
    return entry;
}

// An LZ body of runs that decodes to one whole block.
Bytes RunLzBlock() {
    Bytes body{format::kMethodLz, 0xFF, 0x00};                                     // eight copy tokens
    for (int i = 0; i < 7; ++i) body.insert(body.end(), {0x00, 0x0F, 0xFF, 'x'});  // 4111 bytes each
    body.insert(body.end(), {0x00, 0x0F, 0x87, 'y'});                              // the last 3991
    return body;
}

struct Inspected {
    TempFolder folder;
    Archive archive;
    BuiltArchive built;
};

// Writes the archive, opens it for inspection, and applies `damage` to the
// file bytes first. Scrambling is an exclusive-or, so flipping a bit of a
// scrambled field flips the same bit of its value.
std::unique_ptr<Inspected> Open(const ArchiveBuilder& builder, void (*damage)(BuiltArchive&) = nullptr) {
    auto out = std::make_unique<Inspected>();
    out->built = builder.Build();
    if (damage != nullptr) damage(out->built);
    WriteFile(out->folder.Path("a.dta"), out->built.bytes);
    Status status;
    EXPECT_TRUE(out->archive.Open(out->folder.Path("a.dta"), kKey1, kKey2, &status)) << dta::Describe(status);
    return out;
}

// The whole entry through a stream, or the failure's message.
std::string StreamAll(const Archive& archive, size_t index, Bytes* data,
                      std::vector<size_t>* sizes = nullptr) {
    EntryStream stream;
    Status status;
    if (!stream.Open(archive, index, &status)) return dta::Describe(status);
    for (;;) {
        const uint8_t* block = nullptr;
        size_t size = 0;
        if (!stream.Next(&block, &size, &status)) return dta::Describe(status);
        if (size == 0) return "";
        data->insert(data->end(), block, block + size);
        if (sizes != nullptr) sizes->push_back(size);
    }
}

size_t IndexOf(const Archive& archive, const std::string& name) {
    size_t index = 0;
    Status status;
    EXPECT_TRUE(archive.Find(name, &index, &status)) << name << ": " << dta::Describe(status);
    return index;
}

}  // namespace

TEST(Examine, lists_entries_by_index_with_what_the_tool_shows) {
    ArchiveBuilder builder;
    builder.AddStored("data\\plain.txt", {'a', 'b'}).time = 0x01D0'1234'5678'9ABCull;
    builder.Add(Entry("lz.bin", {RunLzBlock(), StoredBodies({7, 8})[0]}, 32770, true));
    builder.Add(WaveEntry("voice.wav", 2));
    builder.Add(WaveEntry("click.wav", 1));
    const auto in = Open(builder);
    ASSERT_EQ(in->archive.EntryCount(), 4u);
    Status status;
    EXPECT_TRUE(in->archive.CheckDirectory(&status)) << dta::Describe(status);

    EntryInfo info;
    ASSERT_TRUE(in->archive.ReadEntry(IndexOf(in->archive, "DATA\\PLAIN.TXT"), &info, &status));
    EXPECT_EQ(info.name, "data\\plain.txt");
    EXPECT_EQ(info.decodedSize, 2u);
    EXPECT_EQ(info.blockCount, 1u);
    EXPECT_EQ(info.fileTime, 0x01D0'1234'5678'9ABCull);
    EXPECT_FALSE(info.scrambled);
    EXPECT_EQ(info.methods, (std::vector<uint8_t>{0}));

    ASSERT_TRUE(in->archive.ReadEntry(IndexOf(in->archive, "lz.bin"), &info, &status));
    EXPECT_TRUE(info.scrambled);
    EXPECT_EQ(info.blockCount, 2u);
    EXPECT_EQ(info.methods, (std::vector<uint8_t>{1, 0}));
    EXPECT_FALSE(info.wave);

    // Only 16-bit sound is delta coded, with loss; other sound is nested.
    ASSERT_TRUE(in->archive.ReadEntry(IndexOf(in->archive, "voice.wav"), &info, &status));
    EXPECT_TRUE(info.wave && info.lossy);
    ASSERT_TRUE(in->archive.ReadEntry(IndexOf(in->archive, "click.wav"), &info, &status));
    EXPECT_TRUE(info.wave);
    EXPECT_FALSE(info.lossy);

    size_t index = 0;
    EXPECT_FALSE(in->archive.Find("missing", &index, &status));
    EXPECT_TRUE(status.Ok());
}

TEST(Examine, streams_whole_blocks_from_the_archive_whatever_lies_in_the_current_folder) {
    const Bytes data = Pattern(70000, 3);
    ArchiveBuilder builder;
    builder.AddStored("e.bin", data, true);
    builder.AddStored("empty", {});
    builder.AddStored("one.bin", Pattern(32768, 4));
    builder.AddStored("two.bin", Pattern(65536, 5), true);
    const auto in = Open(builder);
    // A plain file of the entry's name where the tool runs changes nothing.
    const fs::path before = fs::current_path();
    fs::current_path(in->folder.Path(""));
    WriteFile("e.bin", {'n', 'o', 't', ' ', 'i', 't'});
    Bytes streamed;
    std::vector<size_t> sizes;
    EXPECT_EQ(StreamAll(in->archive, IndexOf(in->archive, "e.bin"), &streamed, &sizes), "");
    fs::current_path(before);
    EXPECT_EQ(sizes, (std::vector<size_t>{32768, 32768, 4464}));
    EXPECT_EQ(streamed, data);
    Bytes empty;
    EXPECT_EQ(StreamAll(in->archive, IndexOf(in->archive, "empty"), &empty), "");
    EXPECT_TRUE(empty.empty());
    // Whole blocks only: the last block is a whole one too.
    const std::pair<const char*, Bytes> whole[] = {{"one.bin", Pattern(32768, 4)},
                                                   {"two.bin", Pattern(65536, 5)}};
    for (const auto& [name, bytes] : whole) {
        const size_t index = IndexOf(in->archive, name);
        EntryInfo info;
        Status status;
        EXPECT_TRUE(in->archive.ReadEntry(index, &info, &status)) << name << ": " << dta::Describe(status);
        Bytes got;
        sizes.clear();
        EXPECT_EQ(StreamAll(in->archive, index, &got, &sizes), "");
        EXPECT_EQ(sizes, std::vector<size_t>(bytes.size() / 32768, 32768)) << name;
        EXPECT_EQ(got, bytes) << name;
    }
}

TEST(Examine, structural_damage_is_named_with_its_entry_block_and_offset) {
    struct Case {
        const char* what;
        void (*damage)(BuiltArchive&);
        Reason reason;
        int64_t block;
    };
    // Entry 0 is "a" (1 block), entry 1 is "bb" (2 blocks); keys sort them so.
    const Case cases[] = {
        {"header offset past the end", [](BuiltArchive& a) { a.bytes[a.directoryOffset + 28 + 7] ^= 0x40; },
         Reason::EntryHeaderOutsideFile, -1},
        {"name length 514", [](BuiltArchive& a) { a.bytes[a.entryHeaderOffsets[1] + 25] ^= 0x02; },
         Reason::NameTooLong, -1},
        {"key of another name", [](BuiltArchive& a) { a.bytes[a.directoryOffset + 28] ^= 0x01; },
         Reason::KeyMismatch, -1},
        {"tail of another name", [](BuiltArchive& a) { a.bytes[a.directoryOffset + 28 + 12] ^= 0x01; },
         Reason::TailMismatch, -1},
        {"first block moved", [](BuiltArchive& a) { a.bytes[a.directoryOffset + 28 + 8] ^= 0x01; },
         Reason::FirstBlockMisplaced, -1},
        {"three blocks for two blocks' data",
         [](BuiltArchive& a) { a.bytes[a.entryHeaderOffsets[1] + 20] ^= 0x01; }, Reason::BlockCountMismatch,
         -1},
        {"second block's stored size 0",
         [](BuiltArchive& a) {
             const size_t at = a.firstBlockOffsets[1] + 4 + 32769;
             a.bytes[at] = a.bytes[at + 1] = 0;
         },
         Reason::StoredSizeZero, 1},
        {"second block's stored size 40000",
         [](BuiltArchive& a) { format::WriteLe16(&a.bytes[a.firstBlockOffsets[1] + 4 + 32769], 40000); },
         Reason::StoredSizeTooLarge, 1},
        {"file cut inside the second body", [](BuiltArchive& a) { a.bytes.pop_back(); },
         Reason::BodyOutsideFile, 1},
    };
    for (const Case& c : cases) {
        ArchiveBuilder builder;
        builder.AddStored("a", {1});
        builder.AddStored("bb", Pattern(32770, 4));
        builder.directoryFirst = true;
        const auto in = Open(builder, c.damage);
        EntryInfo info;
        Status status;
        EXPECT_TRUE(in->archive.ReadEntry(0, &info, &status)) << c.what << ": " << dta::Describe(status);
        EXPECT_FALSE(in->archive.ReadEntry(1, &info, &status)) << c.what;
        EXPECT_EQ(status.reason, c.reason) << c.what << ": " << dta::Describe(status);
        EXPECT_EQ(status.entry, 1) << c.what;
        EXPECT_EQ(status.block, c.block) << c.what;
        EXPECT_GE(status.fileOffset, 0) << c.what;
        // The name is given where it could be read.
        EXPECT_EQ(status.name, info.nameRead ? "bb" : "") << c.what;
        EXPECT_EQ(dta::Describe(status).rfind(info.nameRead ? "entry 1 (bb): " : "entry 1: ", 0), 0u)
            << dta::Describe(status);
    }
}

TEST(Examine, directory_rules_and_what_the_stream_refuses) {
    {
        ArchiveBuilder builder;
        builder.AddStored("a", {1});
        builder.AddStored("bb", {2});
        builder.directorySize = 2 * 28 + 5;
        const auto in = Open(builder);
        Status status;
        EXPECT_EQ(in->archive.EntryCount(), 2u);
        EXPECT_FALSE(in->archive.CheckDirectory(&status));
        EXPECT_EQ(status.reason, Reason::DirectorySizeNotMultiple);
    }
    {
        ArchiveBuilder builder;
        builder.AddStored("a", {1});
        builder.AddStored("bb", {2});
        // The second key below the first: lookups by name miss entries.
        const auto in = Open(builder, [](BuiltArchive& a) { a.bytes[a.directoryOffset + 28 + 2] ^= 0x02; });
        Status status;
        EXPECT_FALSE(in->archive.CheckDirectory(&status));
        EXPECT_EQ(status.reason, Reason::DirectoryOutOfOrder);
        EXPECT_EQ(status.entry, 1);
    }
    {
        // A damaged decoded size is refused before any block is decoded.
        ArchiveBuilder builder;
        builder.AddStored("big", {1, 2, 3});
        const auto in = Open(builder, [](BuiltArchive& a) { a.bytes[a.entryHeaderOffsets[0] + 19] ^= 0x7F; });
        Bytes data;
        EXPECT_EQ(
            StreamAll(in->archive, 0, &data)
                .rfind(
                    "entry 0 (big): block count does not match the decoded size (1, expected 65,025) at file "
                    "offset ",
                    0),
            0u);
    }
}

TEST(Examine, decoding_damage_is_named_with_the_block_and_the_body_byte) {
    // Block 1 of the entry: a back-reference at payload byte 2 with nothing
    // before it in the block.
    ArchiveBuilder builder;
    builder.Add(Entry("data\\maps\\a.map", {StoredBodies(Pattern(32768, 5))[0], {1, 0x80, 0x00, 0x00, 0x13}},
                      32774, true));
    // Block 0 of two decodes to fewer than a whole block.
    builder.Add(Entry("short.bin", {{0, 1, 2, 3}, {0, 4}}, 32769));
    // The last block decodes to more than the rest of the entry.
    builder.Add(Entry("long.bin", {{0, 1, 2, 3}}, 2));
    const auto in = Open(builder);
    Bytes data;
    const size_t map = IndexOf(in->archive, "data\\maps\\a.map");
    EXPECT_EQ(StreamAll(in->archive, map, &data),
              "entry " + std::to_string(map) +
                  " (data\\maps\\a.map): block 1: back-reference before the block start at byte 3");
    EXPECT_EQ(data.size(), 32768u);  // block 0 was delivered before
    data.clear();
    EXPECT_EQ(StreamAll(in->archive, IndexOf(in->archive, "short.bin"), &data),
              "entry " + std::to_string(IndexOf(in->archive, "short.bin")) +
                  " (short.bin): block 0: block decodes to less than 32,768 bytes (3, expected 32,768)");
    EXPECT_EQ(
        StreamAll(in->archive, IndexOf(in->archive, "long.bin"), &data),
        "entry " + std::to_string(IndexOf(in->archive, "long.bin")) +
            " (long.bin): block 0: last block does not decode to the rest of the entry (3, expected 2)");
}

TEST(Examine, entries_whose_blocks_lie_past_4_gib_read_whole) {
    // The entry header sits just below 4 GiB, so its blocks run on past it.
    // The file is sparse where the file system allows: only the pieces
    // written take room.
    const Bytes data = Pattern(40000, 8);
    ArchiveBuilder builder;
    builder.AddStored("far.bin", data, true);
    builder.directoryFirst = true;
    BuiltArchive built = builder.Build();
    const uint32_t oldHeader = built.entryHeaderOffsets[0];
    const uint32_t newHeader = 0xFFFFFF00u;
    const uint32_t newFirstBlock = newHeader + (built.firstBlockOffsets[0] - oldHeader);
    // Scrambling is an exclusive-or: turning the stored value from A to B
    // is an exclusive-or with A ^ B.
    auto move = [&](size_t field, uint32_t from, uint32_t to) {
        for (int i = 0; i < 4; ++i)
            built.bytes[built.directoryOffset + field + i] ^= static_cast<uint8_t>((from ^ to) >> (8 * i));
    };
    move(format::directory_entry::kEntryHeaderOffset, oldHeader, newHeader);
    move(format::directory_entry::kFirstBlockOffset, built.firstBlockOffsets[0], newFirstBlock);

    TempFolder folder;
    const std::string path = folder.Path("far.dta");
    {
        namespace io = dta::io;
        const io::FileHandle file = io::OpenWrite(path.c_str(), true, false);
        ASSERT_NE(file, io::kInvalidFile);
        uint64_t at = 0;
        uint32_t written = 0;
        EXPECT_TRUE(io::Write(file, built.bytes.data(), oldHeader, &written));
        EXPECT_TRUE(io::Seek(file, newHeader, io::SeekOrigin::Begin, &at));
        EXPECT_TRUE(io::Write(file, built.bytes.data() + oldHeader,
                              static_cast<uint32_t>(built.bytes.size() - oldHeader), &written));
        EXPECT_TRUE(io::Close(file));
    }

    // Through the exports: forwards, and back across the 4 GiB line.
    {
        ArchiveRef ref{Register(path)};
        ASSERT_NE(ref.archive, nullptr);
        const int32_t h = dtaOpen("far.bin", 1);
        ASSERT_GE(h, 0);
        EXPECT_EQ(ReadAll(h), data);
        uint8_t byte = 0;
        EXPECT_EQ(dtaSeek(h, 100, 0), 100);
        EXPECT_EQ(dtaRead(h, &byte, 1), 1);
        EXPECT_EQ(byte, data[100]);
        dtaClose(h);
    }
    // Through the inspection interface.
    Archive archive;
    Status status;
    ASSERT_TRUE(archive.Open(path, kKey1, kKey2, &status)) << dta::Describe(status);
    EXPECT_GT(archive.Summary().fileSize, 0x100000000ull);
    EntryInfo info;
    EXPECT_TRUE(archive.ReadEntry(0, &info, &status)) << dta::Describe(status);
    EXPECT_EQ(info.firstBlockOffset, newFirstBlock);
    Bytes streamed;
    EXPECT_EQ(StreamAll(archive, 0, &streamed), "");
    EXPECT_EQ(streamed, data);
}
