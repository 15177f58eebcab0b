// Reading and seeking archive entries and plain files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "dta/dta.h"
#include "dta/format.h"
#include "tests/dta/archive_builder.h"

using namespace dtatest;

namespace {

// A folder with one registered archive built by the caller.
class Registered {
public:
    explicit Registered(const ArchiveBuilder& builder) {
        WriteFile(folder_.Path("r.dta"), builder.Build().bytes);
        ref_.archive = Register(folder_.Path("r.dta"));
    }
    bool ok() const { return ref_.archive != nullptr; }

private:
    TempFolder folder_;
    ArchiveRef ref_;
};

// Closes the handle at the end of its scope.
struct Handle {
    int32_t value;
    explicit Handle(const char* name, int32_t archiveFirst = 1) : value(dtaOpen(name, archiveFirst)) {}
    ~Handle() { dtaClose(value); }
};

Bytes Slice(const Bytes& bytes, size_t from, size_t count) {
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                 bytes.begin() + static_cast<std::ptrdiff_t>(from + count));
}

}  // namespace

TEST(Reader, block_boundaries_of_stored_and_lz_entries) {
    const Bytes full = Pattern(32768, 1);
    const Bytes oneMore = Pattern(32769, 2);
    const Bytes mixed = Pattern(32768 + 500, 3);
    ArchiveBuilder builder;
    builder.AddStored("full", full);
    builder.AddStored("one_more", oneMore, true, 5);
    TestEntry coded;  // a stored block, then an LZ block
    coded.name = "coded";
    coded.bodies = {StoredBodies(Slice(mixed, 0, 32768))[0], LiteralLzBody(Slice(mixed, 32768, 500))};
    coded.decodedSize = static_cast<uint32_t>(mixed.size());
    coded.scrambled = true;
    builder.Add(coded);
    builder.AddStored("empty", {});
    Registered archive(builder);
    ASSERT_TRUE(archive.ok());

    Handle h1("full"), h2("one_more"), h3("coded"), h4("empty");
    EXPECT_EQ(ReadAll(h1.value), full);
    EXPECT_EQ(ReadAll(h2.value), oneMore);
    EXPECT_EQ(ReadAll(h3.value), mixed);
    ASSERT_GE(h4.value, 0);
    uint8_t byte = 0;
    EXPECT_EQ(dtaRead(h4.value, &byte, 1), 0);
    // The second block of one_more decodes to its single byte.
    ASSERT_EQ(dtaSeek(h2.value, 32768, 0), 32768);
    EXPECT_EQ(dtaRead(h2.value, &byte, 10), 1);
    EXPECT_EQ(byte, oneMore[32768]);
}

TEST(Reader, backward_block_walks_match_a_forward_read) {
    const Bytes data = Pattern(7 * 32768 + 31000, 4);
    ArchiveBuilder builder;
    builder.AddStored("walk", data, true, 7);
    Registered archive(builder);
    ASSERT_TRUE(archive.ok());
    Handle handle("walk");
    ASSERT_GE(handle.value, 0);
    Bytes piece(5000);
    // From the last block down to the first, each from the middle of its
    // block across into the next: backward walks and restarts both happen.
    for (int block = 7; block >= 0; --block) {
        const uint32_t at = static_cast<uint32_t>(block) * 32768 + 30000;
        const uint32_t want = std::min<uint32_t>(5000, static_cast<uint32_t>(data.size()) - at);
        ASSERT_EQ(dtaSeek(handle.value, static_cast<int32_t>(at), 0), static_cast<int32_t>(at));
        ASSERT_EQ(dtaRead(handle.value, piece.data(), 5000), static_cast<int32_t>(want));
        EXPECT_EQ(Slice(piece, 0, want), Slice(data, at, want)) << "block " << block;
    }
    // Jumps far back from the end restart at the first block.
    for (uint32_t at : {229000u, 1000u, 200000u, 40000u, 5u}) {
        ASSERT_EQ(dtaSeek(handle.value, static_cast<int32_t>(at), 0), static_cast<int32_t>(at));
        ASSERT_EQ(dtaRead(handle.value, piece.data(), 100), 100);
        EXPECT_EQ(Slice(piece, 0, 100), Slice(data, at, 100)) << "at " << at;
    }
}

TEST(Reader, large_read_spans_blocks_into_the_callers_buffer) {
    const Bytes data = Pattern(100000, 5);
    ArchiveBuilder builder;
    builder.AddStored("big", data, true);
    Registered archive(builder);
    ASSERT_TRUE(archive.ok());
    Handle handle("big");
    ASSERT_EQ(dtaSeek(handle.value, 30000, 0), 30000);
    // One byte behind the requested count must survive.
    Bytes out(40001, 0xEE);
    ASSERT_EQ(dtaRead(handle.value, out.data(), 40000), 40000);
    EXPECT_EQ(Slice(out, 0, 40000), Slice(data, 30000, 40000));
    EXPECT_EQ(out[40000], 0xEE);
    // The rest of block 2 stays buffered and follows on.
    ASSERT_EQ(dtaRead(handle.value, out.data(), 100), 100);
    EXPECT_EQ(Slice(out, 0, 100), Slice(data, 70000, 100));
    EXPECT_EQ(dtaSeek(handle.value, 0, 1), 70100);
}

TEST(Reader, whole_entry_that_ends_the_file_reads_in_one_call) {
    const Bytes data = Pattern(65536, 6);
    ArchiveBuilder builder;
    builder.directoryFirst = true;
    builder.AddStored("last", data, true);
    Registered archive(builder);
    ASSERT_TRUE(archive.ok());
    Handle handle("last");
    Bytes out(65536);
    EXPECT_EQ(dtaRead(handle.value, out.data(), 65536), 65536);
    EXPECT_EQ(out, data);
    EXPECT_EQ(dtaRead(handle.value, out.data(), 1), 0);
    // The same in two block-sized reads.
    ASSERT_EQ(dtaSeek(handle.value, 0, 0), 0);
    EXPECT_EQ(dtaRead(handle.value, out.data(), 32768), 32768);
    EXPECT_EQ(dtaRead(handle.value, out.data() + 32768, 40000), 32768);
    EXPECT_EQ(out, data);
}

TEST(Reader, seek_bounds_and_short_reads) {
    ArchiveBuilder builder;
    builder.AddStored("ten", Pattern(10, 7));
    Registered archive(builder);
    ASSERT_TRUE(archive.ok());
    Handle handle("ten");
    const int32_t h = handle.value;
    EXPECT_EQ(dtaSeek(h, 0, 2), 10);
    EXPECT_EQ(dtaSeek(h, 1, 2), -1);
    EXPECT_EQ(dtaSeek(h, -11, 2), -1);
    EXPECT_EQ(dtaSeek(h, 4, 0), 4);
    EXPECT_EQ(dtaSeek(h, 11, 0), -1);
    EXPECT_EQ(dtaSeek(h, -1, 0), -1);
    EXPECT_EQ(dtaSeek(h, 7, 1), -1);
    EXPECT_EQ(dtaSeek(h, -5, 1), -1);
    EXPECT_EQ(dtaSeek(h, 0, 3), -1);
    EXPECT_EQ(dtaSeek(h, 0, 1), 4);  // every refusal left the position alone
    EXPECT_EQ(dtaSeek(h, 2, 1), 6);
    uint8_t out[20];
    EXPECT_EQ(dtaRead(h, out, 0), 0);
    EXPECT_EQ(dtaRead(h, out, 20), 4);
    EXPECT_EQ(dtaRead(h, out, 20), 0);
    EXPECT_EQ(dtaRead(h, nullptr, 1), -1);
    EXPECT_EQ(dtaRead(-1, out, 1), -1);
    EXPECT_EQ(dtaRead(1 << 20, out, 1), -1);
    EXPECT_EQ(dtaSeek(-5, 0, 0), -1);
}

TEST(Reader, plain_file_window_follows_seeks) {
    TempFolder folder;
    const Bytes data = Pattern(3 * 32768 + 77, 8);
    WriteFile(folder.Path("plain.bin"), data);
    Handle handle(folder.Path("plain.bin").c_str(), 0);
    const int32_t h = handle.value;
    ASSERT_GE(h, 0);
    EXPECT_EQ(dtaSeek(h, 0, 2), static_cast<int32_t>(data.size()));
    ASSERT_EQ(dtaSeek(h, 0, 0), 0);
    Bytes out(70000);
    ASSERT_EQ(dtaRead(h, out.data(), 100), 100);
    EXPECT_EQ(Slice(out, 0, 100), Slice(data, 0, 100));
    ASSERT_EQ(dtaSeek(h, 32768, 0), 32768);
    ASSERT_EQ(dtaRead(h, out.data(), 10), 10);
    EXPECT_EQ(Slice(out, 0, 10), Slice(data, 32768, 10));
    // Across a window edge into a buffered tail, then straight reads.
    ASSERT_EQ(dtaSeek(h, 30000, 0), 30000);
    ASSERT_EQ(dtaRead(h, out.data(), 5000), 5000);
    EXPECT_EQ(Slice(out, 0, 5000), Slice(data, 30000, 5000));
    ASSERT_EQ(dtaRead(h, out.data(), 60000), 60000);
    EXPECT_EQ(Slice(out, 0, 60000), Slice(data, 35000, 60000));
    EXPECT_EQ(ReadAll(h), data);
}

TEST(Reader, wave_header_is_unscrambled_for_both_entry_kinds) {
    // An 8-bit mono sound: block align 1, so the samples are a nested stored body.
    Bytes header(44, 0);
    std::memcpy(header.data(), "RIFF", 4);
    std::memcpy(header.data() + 8, "WAVE", 4);
    std::memcpy(header.data() + 12, "fmt ", 4);
    header[22] = 1;
    header[32] = 1;
    std::memcpy(header.data() + 36, "data", 4);
    const Bytes samples = Pattern(300, 9);
    Bytes body{8};
    body.insert(body.end(), header.begin(), header.end());
    body.push_back(0);
    body.insert(body.end(), samples.begin(), samples.end());
    Bytes decoded = header;
    decoded.insert(decoded.end(), samples.begin(), samples.end());

    ArchiveBuilder builder;
    for (bool scrambled : {false, true}) {
        TestEntry entry;
        entry.name = scrambled ? "s.wav" : "u.wav";
        entry.bodies = {body};
        entry.decodedSize = static_cast<uint32_t>(decoded.size());
        entry.scrambled = scrambled;
        builder.Add(entry);
    }
    Registered archive(builder);
    ASSERT_TRUE(archive.ok());
    Handle plainEntry("u.wav"), scrambledEntry("s.wav");
    EXPECT_EQ(ReadAll(plainEntry.value), decoded);
    EXPECT_EQ(ReadAll(scrambledEntry.value), decoded);
}

TEST(Reader, damaged_blocks_fail_and_keep_the_position) {
    const Bytes data = Pattern(70000, 10);
    ArchiveBuilder builder;
    for (uint16_t size : {0, 32773, 60000}) {
        TestEntry entry;
        entry.name = "size" + std::to_string(size);
        entry.bodies = StoredBodies(data);
        entry.decodedSize = static_cast<uint32_t>(data.size());
        entry.firstBlockSize = size;
        builder.Add(entry);
    }
    // A back-reference in front of the block's start.
    TestEntry lz;
    lz.name = "bad_lz";
    lz.bodies = {Bytes{1, 0x80, 0x00, 0x01, 0x03, 0, 0, 0}};
    lz.decodedSize = 10;
    builder.Add(lz);
    // A stored block that is not full although more blocks follow.
    TestEntry shortBlock;
    shortBlock.name = "short_block";
    shortBlock.bodies = {Bytes{0, 1, 2, 3}, Bytes{0, 4, 5, 6}};
    shortBlock.decodedSize = 32771;
    builder.Add(shortBlock);
    // More blocks claimed than the file holds.
    TestEntry tooMany;
    tooMany.name = "too_many";
    tooMany.bodies = StoredBodies(Pattern(100, 11));
    tooMany.decodedSize = 100000;
    tooMany.blockCount = 4;
    builder.Add(tooMany);
    Registered archive(builder);
    ASSERT_TRUE(archive.ok());

    Bytes out(70000);
    for (const char* name : {"size0", "size32773", "size60000", "bad_lz", "short_block", "too_many"}) {
        Handle handle(name);
        ASSERT_GE(handle.value, 0) << name;
        EXPECT_EQ(dtaRead(handle.value, out.data(), 70000), -1) << name;
        EXPECT_EQ(dtaSeek(handle.value, 0, 1), 0) << name;
    }
    // A read that reaches a missing block fails whole and stays put.
    Handle handle("too_many");
    ASSERT_EQ(dtaRead(handle.value, out.data(), 50), 50);
    EXPECT_EQ(dtaRead(handle.value, out.data(), 40000), -1);
    EXPECT_EQ(dtaSeek(handle.value, 0, 1), 50);
    ASSERT_EQ(dtaRead(handle.value, out.data(), 50), 50);
    EXPECT_EQ(Slice(out, 0, 50), Slice(Pattern(100, 11), 50, 50));
}

TEST(Reader, backward_moves_walk_back_unless_the_target_lies_below_half_the_current_block) {
    // Six small LZ blocks, block k all of byte 'A' + k, and block 4's link to
    // its predecessor broken: only a walk backwards through block 4 trips
    // over it, a restart from the first block never looks at it.
    ArchiveBuilder builder;
    TestEntry entry;
    entry.name = "chain";
    for (uint8_t k = 0; k < 6; ++k) {
        Bytes body{dta::format::kMethodLz, 0xFF, 0xFF};  // eight runs: 7 x 4111 + 3991 bytes
        for (int run = 0; run < 8; ++run) {
            const uint16_t extra = run < 7 ? 4095 : 3975;
            body.insert(body.end(), {0, static_cast<uint8_t>(extra >> 8), static_cast<uint8_t>(extra & 0xFF),
                                     static_cast<uint8_t>('A' + k)});
        }
        entry.bodies.push_back(body);
    }
    entry.decodedSize = 6 * 32768;
    entry.scrambled = true;
    builder.Add(entry);
    BuiltArchive built = builder.Build();
    const uint32_t blockStride = static_cast<uint32_t>(4 + entry.bodies[0].size());
    dta::format::WriteLe16(built.bytes.data() + built.firstBlockOffsets[0] + 4 * blockStride + 2, 60000);
    TempFolder folder;
    WriteFile(folder.Path("chain.dta"), built.bytes);
    ArchiveRef ref{Register(folder.Path("chain.dta"))};
    ASSERT_NE(ref.archive, nullptr);
    Handle handle("chain");
    const int32_t h = handle.value;
    ASSERT_GE(h, 0);

    auto byteAt = [h](uint32_t block) {
        uint8_t byte = 0;
        if (dtaSeek(h, static_cast<int32_t>(block * 32768 + 7), 0) < 0 || dtaRead(h, &byte, 1) != 1)
            return -1;
        return static_cast<int>(byte);
    };
    ASSERT_EQ(byteAt(5), 'F');
    EXPECT_EQ(byteAt(1), 'B');  // 1 < 5 / 2: restart from block 0
    ASSERT_EQ(byteAt(5), 'F');
    EXPECT_EQ(byteAt(4), 'E');  // one step back over an intact link
    ASSERT_EQ(byteAt(5), 'F');
    EXPECT_EQ(byteAt(2), -1);  // 2 = 5 / 2: walks back through the broken link
    EXPECT_EQ(dtaSeek(h, 0, 1), 2 * 32768 + 7);
    // The failed read left the slot on block 5.
    EXPECT_EQ(byteAt(3), -1);
    EXPECT_EQ(byteAt(0), 'A');
    EXPECT_EQ(byteAt(3), 'D');  // forwards from block 0
}

TEST(Reader, runs_of_full_stored_blocks_read_in_batches_stop_at_any_other_block) {
    // 40 blocks: full stored ones broken by an LZ block (17: runs of one
    // byte), a stored block of another method byte (20) and a short LZ block
    // at the end, so that batches of stored blocks start and stop in many
    // places, and run to their 16th block (1 to 16).
    Bytes data = Pattern(39 * 32768 + 1000, 12);
    std::fill(data.begin() + 17 * 32768, data.begin() + 18 * 32768, 0x42);
    std::vector<Bytes> bodies = StoredBodies(data, 5);
    bodies[17] = {1, 0xFF, 0x00};  // eight runs of 4096 bytes
    for (int i = 0; i < 8; ++i) bodies[17].insert(bodies[17].end(), {0x00, 0x0F, 0xF0, 0x42});
    bodies[20][0] = 2;
    bodies[39] = LiteralLzBody(Slice(data, 39 * 32768, 1000));
    ArchiveBuilder builder;
    for (const bool scrambled : {false, true}) {
        TestEntry entry;
        entry.name = scrambled ? "s.bin" : "p.bin";
        entry.bodies = bodies;
        entry.decodedSize = static_cast<uint32_t>(data.size());
        entry.scrambled = scrambled;
        builder.Add(entry);
    }
    // A full-size stored block that holds one byte too few, in the middle of
    // a run: the whole read fails and stays put.
    TestEntry damaged;
    damaged.name = "damaged.bin";
    damaged.bodies = StoredBodies(Pattern(10 * 32768, 13));
    damaged.bodies[6].pop_back();
    damaged.decodedSize = 10 * 32768;
    builder.Add(damaged);
    Registered archive(builder);
    ASSERT_TRUE(archive.ok());

    for (const char* name : {"p.bin", "s.bin"}) {
        Handle whole(name);
        EXPECT_EQ(ReadAll(whole.value), data) << name;
        // Odd pieces that start and end inside blocks.
        Handle pieces(name);
        Bytes joined;
        Bytes piece(3 * 32768 + 4097);
        for (int32_t got;
             (got = dtaRead(pieces.value, piece.data(), static_cast<uint32_t>(piece.size()))) > 0;)
            joined.insert(joined.end(), piece.begin(), piece.begin() + got);
        EXPECT_EQ(joined, data) << name;
    }
    Handle handle("damaged.bin");
    Bytes out(10 * 32768);
    ASSERT_EQ(dtaRead(handle.value, out.data(), 100), 100);
    EXPECT_EQ(dtaRead(handle.value, out.data(), 9 * 32768), -1);
    EXPECT_EQ(dtaSeek(handle.value, 0, 1), 100);
    EXPECT_EQ(dtaRead(handle.value, out.data(), 32768), 32768);
    EXPECT_EQ(Slice(out, 0, 32768), Slice(Pattern(10 * 32768, 13), 100, 32768));
}

TEST(Reader, a_file_that_ends_inside_a_run_of_stored_blocks_fails_the_read_whole) {
    // The entry's data is the last thing in the file, cut inside its fifth
    // block and then inside its first.
    const Bytes data = Pattern(5 * 32768, 14);
    ArchiveBuilder builder;
    builder.AddStored("cut.bin", data, true);
    builder.directoryFirst = true;
    const Bytes whole = builder.Build().bytes;
    for (const size_t cut : {size_t{100}, size_t{4 * 32773 + 100}}) {
        TempFolder folder;
        WriteFile(folder.Path("c.dta"), Slice(whole, 0, whole.size() - cut));
        ArchiveRef ref{Register(folder.Path("c.dta"))};
        ASSERT_NE(ref.archive, nullptr);
        Handle handle("cut.bin");
        Bytes out(data.size());
        EXPECT_EQ(dtaRead(handle.value, out.data(), static_cast<uint32_t>(out.size())), -1) << cut;
        EXPECT_EQ(dtaSeek(handle.value, 0, 1), 0) << cut;
        // What the file still holds reads.
        EXPECT_EQ(dtaRead(handle.value, out.data(), 32768), cut < 32768 ? 32768 : -1) << cut;
    }
}
