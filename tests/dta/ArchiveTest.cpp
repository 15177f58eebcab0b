// Registration, directory loading and name lookup in archives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "dta/dta.h"
#include "dta/format.h"
#include "dta/leak_report.h"
#include "tests/dta/archive_builder.h"

using namespace dtatest;

namespace {

// Opens `name` archive-first and returns its whole contents ({} when missing).
Bytes OpenAndRead(const std::string& name) {
    const int32_t handle = dtaOpen(name.c_str(), 1);
    if (handle < 0) return {};
    Bytes bytes = ReadAll(handle);
    dtaClose(handle);
    return bytes;
}

}  // namespace

TEST(Archive, scrambling_takes_key_byte_i_mod_8_from_any_start) {
    // Known answer for key words 0x04030201 and 0x08070605: key bytes 1 to 8.
    const dta::format::Key key = dta::format::MakeKey(0x04030201, 0x08070605);
    for (size_t first = 0; first < 8; ++first) {
        for (size_t size = 0; size <= 21; ++size) {
            std::vector<uint8_t> run(size + 1, 0xA5);  // one guard byte behind the run
            if (first == 0)
                dta::format::ScrambleRun(run.data(), size, key);
            else
                dta::format::ScrambleRunFrom(run.data(), size, key, first);
            for (size_t i = 0; i < size; ++i)
                ASSERT_EQ(run[i], 0xA5 ^ (1 + (i + first) % 8)) << "start " << first << ", byte " << i;
            ASSERT_EQ(run[size], 0xA5) << "start " << first << ", size " << size;
        }
    }
}

TEST(Archive, refuses_files_without_the_magic) {
    TempFolder folder;
    WriteFile(folder.Path("other.dta"), {'P', 'W', 'D', '1', 0, 0, 0, 0});
    WriteFile(folder.Path("short.dta"), {'P', 'W', 'D'});
    WriteFile(folder.Path("empty.dta"), {});
    EXPECT_EQ(dtaCreate(folder.Path("other.dta").c_str()), nullptr);
    EXPECT_EQ(dtaCreate(folder.Path("short.dta").c_str()), nullptr);
    EXPECT_EQ(dtaCreate(folder.Path("empty.dta").c_str()), nullptr);
    EXPECT_EQ(dtaCreate(folder.Path("missing.dta").c_str()), nullptr);
    EXPECT_EQ(dtaCreate(nullptr), nullptr);
    EXPECT_EQ(dtaCreate(std::string(300, 'a').c_str()), nullptr);
    // A refused file leaves nothing behind to report.
    EXPECT_EQ(dta::detail::CurrentLeakReport(), "");
}

TEST(Archive, finds_names_in_any_letter_case) {
    TempFolder folder;
    ArchiveBuilder builder;
    builder.AddStored("tables\\version.txt", {'1', '.', '2'});
    builder.AddStored("IDATA.TXT", {'x'}, true);
    WriteFile(folder.Path("a.dta"), builder.Build().bytes);
    ArchiveRef ref{Register(folder.Path("a.dta"))};
    ASSERT_NE(ref.archive, nullptr);
    EXPECT_EQ(OpenAndRead("tables\\Version.TXT"), (Bytes{'1', '.', '2'}));
    EXPECT_EQ(OpenAndRead("TABLES\\VERSION.TXT"), (Bytes{'1', '.', '2'}));
    EXPECT_EQ(OpenAndRead("idata.txt"), (Bytes{'x'}));
    EXPECT_EQ(dtaOpen("tables/version.txt", 1), -1);
    EXPECT_EQ(dtaOpen("version.txt", 1), -1);
}

TEST(Archive, tells_apart_names_sharing_key_or_tail) {
    TempFolder folder;
    ArchiveBuilder builder;
    // Anagrams share the lookup key; these long names share the 16-byte tail.
    builder.AddStored("AB", {1});
    builder.AddStored("BA", {2});
    builder.AddStored("first\\common_tail_name.bmp", {3});
    builder.AddStored("other\\common_tail_name.bmp", {4});
    builder.AddStored("exactly16bytes.x", {5});
    WriteFile(folder.Path("a.dta"), builder.Build().bytes);
    ArchiveRef ref{Register(folder.Path("a.dta"))};
    ASSERT_NE(ref.archive, nullptr);
    EXPECT_EQ(OpenAndRead("ab"), Bytes{1});
    EXPECT_EQ(OpenAndRead("ba"), Bytes{2});
    EXPECT_EQ(OpenAndRead("FIRST\\common_tail_name.bmp"), Bytes{3});
    EXPECT_EQ(OpenAndRead("other\\common_tail_name.bmp"), Bytes{4});
    EXPECT_EQ(OpenAndRead("exactly16bytes.x"), Bytes{5});
    // Same length, sum and tail as an entry, different front.
    EXPECT_EQ(dtaOpen("tsrif\\common_tail_name.bmp", 1), -1);
}

TEST(Archive, wrong_key_finds_nothing) {
    TempFolder folder;
    ArchiveBuilder builder;
    builder.AddStored("a.txt", {1});
    WriteFile(folder.Path("a.dta"), builder.Build().bytes);
    Dta_read* archive = dtaCreate(folder.Path("a.dta").c_str());
    ASSERT_NE(archive, nullptr);
    ArchiveRef ref{archive};
    archive->LoadDirectory(kKey1 ^ 0x01010101, kKey2);
    EXPECT_EQ(dtaOpen("a.txt", 1), -1);
    // A second load replaces keys and directory.
    ASSERT_TRUE(archive->LoadDirectory(kKey1, kKey2));
    EXPECT_EQ(OpenAndRead("a.txt"), Bytes{1});
}

TEST(Archive, directory_size_rounds_down_and_is_checked_against_the_file) {
    TempFolder folder;
    ArchiveBuilder builder;
    builder.AddStored("a", {1});
    builder.AddStored("bb", {2});
    builder.directorySize = 2 * 28 - 1;  // one whole entry and some bytes
    WriteFile(folder.Path("short.dta"), builder.Build().bytes);
    {
        ArchiveRef ref{Register(folder.Path("short.dta"))};
        ASSERT_NE(ref.archive, nullptr);
        EXPECT_EQ(OpenAndRead("a"), Bytes{1});
        EXPECT_EQ(dtaOpen("bb", 1), -1);
    }
    // A size far beyond the end of the file is a short read: refused at once.
    builder.directorySize = 0xFFFFFFF0u;
    WriteFile(folder.Path("huge.dta"), builder.Build().bytes);
    Dta_read* archive = dtaCreate(folder.Path("huge.dta").c_str());
    ASSERT_NE(archive, nullptr);
    ArchiveRef ref{archive};
    EXPECT_FALSE(archive->LoadDirectory(kKey1, kKey2));
    EXPECT_EQ(dtaOpen("a", 1), -1);
}

TEST(Archive, header_cut_short_fails_to_load) {
    TempFolder folder;
    WriteFile(folder.Path("a.dta"), {'P', 'W', 'D', '0', 1, 2, 3});
    Dta_read* archive = dtaCreate(folder.Path("a.dta").c_str());
    ASSERT_NE(archive, nullptr);
    ArchiveRef ref{archive};
    EXPECT_FALSE(archive->LoadDirectory(kKey1, kKey2));
}

TEST(Archive, first_registered_archive_wins) {
    TempFolder folder;
    ArchiveBuilder one;
    one.AddStored("shared.txt", {1});
    ArchiveBuilder two;
    two.AddStored("shared.txt", {2});
    two.AddStored("only_two.txt", {3});
    WriteFile(folder.Path("one.dta"), one.Build().bytes);
    WriteFile(folder.Path("two.dta"), two.Build().bytes);
    {
        ArchiveRef first{Register(folder.Path("one.dta"))};
        ArchiveRef second{Register(folder.Path("two.dta"))};
        ArchiveRef again{Register(folder.Path("one.dta"))};
        ASSERT_TRUE(first.archive && second.archive && again.archive);
        EXPECT_EQ(OpenAndRead("shared.txt"), Bytes{1});
        EXPECT_EQ(OpenAndRead("only_two.txt"), Bytes{3});
        first.archive->Release();
        first.archive = nullptr;
        EXPECT_EQ(OpenAndRead("shared.txt"), Bytes{2});
    }
    EXPECT_EQ(dtaOpen("shared.txt", 1), -1);
}

TEST(Archive, last_release_frees_handles_into_the_archive) {
    TempFolder folder;
    ArchiveBuilder builder;
    builder.AddStored("a.txt", Pattern(100, 1));
    WriteFile(folder.Path("a.dta"), builder.Build().bytes);
    Dta_read* archive = Register(folder.Path("a.dta"));
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(dta::detail::CurrentLeakReport(),
              "Not released:  1  reference(s) of Dta_read.\nNot released:  1  Dta_read(s).\n");
    archive->AddRef();
    const int32_t handle = dtaOpen("a.txt", 1);
    ASSERT_GE(handle, 0);
    EXPECT_EQ(archive->Release(), 1u);
    uint8_t byte = 0;
    EXPECT_EQ(dtaRead(handle, &byte, 1), 1);
    EXPECT_EQ(archive->Release(), 0u);
    EXPECT_EQ(dtaRead(handle, &byte, 1), -1);
    EXPECT_EQ(dtaSeek(handle, 0, 0), -1);
    EXPECT_EQ(dtaClose(handle), 1);
    EXPECT_EQ(dta::detail::CurrentLeakReport(), "");
}

TEST(Archive, entry_that_cannot_be_read_ends_the_search) {
    TempFolder folder;
    ArchiveBuilder broken;
    broken.AddStored("name.txt", {1});
    BuiltArchive built = broken.Build();
    // Point the entry header past the end of the file (the directory is the
    // last thing in it, so its entry offset field can be rewritten).
    Bytes& bytes = built.bytes;
    const dta::format::Key key = dta::format::MakeKey(kKey1, kKey2);
    uint8_t* dir = bytes.data() + built.directoryOffset;
    dta::format::ScrambleRun(dir, 28, key);
    dta::format::WriteLe32(dir + 4, 0x7FFFFF00);
    dta::format::ScrambleRun(dir, 28, key);
    WriteFile(folder.Path("broken.dta"), bytes);
    ArchiveBuilder good;
    good.AddStored("name.txt", {2});
    WriteFile(folder.Path("good.dta"), good.Build().bytes);
    {
        ArchiveRef first{Register(folder.Path("broken.dta"))};
        ArchiveRef second{Register(folder.Path("good.dta"))};
        ASSERT_TRUE(first.archive && second.archive);
        EXPECT_EQ(dtaOpen("name.txt", 1), -1);
    }
    // A stored name whose length runs past the end of the file is a failed
    // read too, even though its length alone already differs.
    ArchiveBuilder cut;
    cut.directoryFirst = true;  // the entry's name and data end the file
    TestEntry entry;
    entry.name = "name.txt";
    entry.bodies = StoredBodies({1});
    entry.decodedSize = 1;
    entry.nameLength = 200;
    cut.Add(entry);
    WriteFile(folder.Path("cut.dta"), cut.Build().bytes);
    ArchiveRef first{Register(folder.Path("cut.dta"))};
    ArchiveRef second{Register(folder.Path("good.dta"))};
    ASSERT_TRUE(first.archive && second.archive);
    EXPECT_EQ(dtaOpen("name.txt", 1), -1);
}

TEST(Archive, damaged_entries_are_not_found) {
    TempFolder folder;
    ArchiveBuilder builder;
    TestEntry longName;
    longName.name = "n.txt";
    longName.bodies = StoredBodies({1});
    longName.decodedSize = 1;
    longName.nameLength = 0x7FFF;  // longer than any name may be
    builder.Add(longName);
    WriteFile(folder.Path("a.dta"), builder.Build().bytes);
    ArchiveRef ref{Register(folder.Path("a.dta"))};
    ASSERT_NE(ref.archive, nullptr);
    EXPECT_EQ(dtaOpen("n.txt", 1), -1);
    EXPECT_EQ(dtaOpen(std::string(260, 'n').c_str(), 1), -1);
    EXPECT_EQ(dtaOpen(nullptr, 1), -1);
}

TEST(Archive, entry_with_its_first_block_cut_off_is_not_opened) {
    TempFolder folder;
    ArchiveBuilder builder;
    builder.directoryFirst = true;
    builder.AddStored("cut.txt", {1, 2, 3});
    BuiltArchive built = builder.Build();
    // Header and method byte must be there in full.
    Bytes bytes(built.bytes.begin(), built.bytes.begin() + built.firstBlockOffsets[0] + 4);
    WriteFile(folder.Path("a.dta"), bytes);
    {
        ArchiveRef ref{Register(folder.Path("a.dta"))};
        ASSERT_NE(ref.archive, nullptr);
        EXPECT_EQ(dtaOpen("cut.txt", 1), -1);
    }
    bytes.push_back(built.bytes[bytes.size()]);
    WriteFile(folder.Path("b.dta"), bytes);
    ArchiveRef whole{Register(folder.Path("b.dta"))};
    const int32_t handle = dtaOpen("cut.txt", 1);
    EXPECT_GE(handle, 0);
    uint8_t data[3];
    EXPECT_EQ(dtaRead(handle, data, 3), -1);  // the body is cut short
    EXPECT_EQ(dtaClose(handle), 1);
}

TEST(Archive, long_runs_of_one_key_find_each_name_and_the_first_of_equal_names) {
    // 60 names of one length and one byte sum: digits that add up the same
    // (19 + 91, 28 + 82, ...), some sharing their 16-byte tail, so the lookup
    // goes through the run's tail order. A name given twice is found as the
    // one that stands first in the directory.
    TempFolder folder;
    ArchiveBuilder builder;
    std::vector<std::string> names;
    for (int a = 0; a < 10; ++a) {
        for (int b = 0; b < 6; ++b) {
            const std::string digits = std::to_string(a) + std::to_string(9 - a);
            const std::string front = std::to_string(b) + std::to_string(5 - b);
            names.push_back("set" + front + "\\very_long_file_name_" + digits + ".bin");
        }
    }
    for (size_t i = 0; i < names.size(); ++i)
        builder.AddStored(names[i], {static_cast<uint8_t>(i)}, i % 2 == 0);
    builder.AddStored(names[7], {0xEE});  // the same name again, behind the first
    WriteFile(folder.Path("a.dta"), builder.Build().bytes);
    ArchiveRef ref{Register(folder.Path("a.dta"))};
    ASSERT_NE(ref.archive, nullptr);
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(OpenAndRead(names[i]), Bytes{static_cast<uint8_t>(i)}) << names[i];
    // Same key and tail as entries, another front; same key, another tail.
    EXPECT_EQ(dtaOpen("ste05\\very_long_file_name_19.bin", 1), -1);
    EXPECT_EQ(dtaOpen("set05\\very_long_file_name_19.bni", 1), -1);
}

TEST(Archive, an_unsorted_directory_finds_only_what_the_search_reaches) {
    // Sorted, the directory is ab, ba (one key), zz, zzz; swapping the second
    // and fourth entries (56 bytes apart, so the scrambling still fits)
    // leaves "ba" in a run of its own that the binary search never reaches.
    TempFolder folder;
    ArchiveBuilder builder;
    builder.AddStored("ab", {1});
    builder.AddStored("ba", {2});
    builder.AddStored("zz", {3});
    builder.AddStored("zzz", {4});
    BuiltArchive built = builder.Build();
    uint8_t* second = built.bytes.data() + built.directoryOffset + 28;
    std::swap_ranges(second, second + 28, second + 56);
    WriteFile(folder.Path("a.dta"), built.bytes);
    ArchiveRef ref{Register(folder.Path("a.dta"))};
    ASSERT_NE(ref.archive, nullptr);
    EXPECT_EQ(OpenAndRead("ab"), Bytes{1});
    EXPECT_EQ(dtaOpen("ba", 1), -1);
    EXPECT_EQ(dtaOpen("zz", 1), -1);
}
