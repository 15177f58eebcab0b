// Opening names on disk or in archives, handle reuse and closing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "dta/dta.h"
#include "dta/format.h"
#include "tests/dta/archive_builder.h"

using namespace dtatest;

namespace {

// Runs the test body inside a folder that holds "both.txt" on disk (bytes
// {'d'}) and in a registered archive (bytes {'a'}), as the current folder.
class BothPlaces {
public:
    BothPlaces() : previous_(std::filesystem::current_path()) {
        ArchiveBuilder builder;
        builder.AddStored("both.txt", {'a'});
        builder.AddStored("archive_only.txt", {'z'});
        WriteFile(folder_.Path("x.dta"), builder.Build().bytes);
        WriteFile(folder_.Path("both.txt"), {'d'});
        WriteFile(folder_.Path("disk_only.txt"), {'k'});
        std::filesystem::current_path(folder_.Path(""));
        ref_.archive = Register("x.dta");
    }
    ~BothPlaces() { std::filesystem::current_path(previous_); }
    bool ok() const { return ref_.archive != nullptr; }

private:
    std::filesystem::path previous_;
    TempFolder folder_;
    ArchiveRef ref_;
};

Bytes Contents(const char* name, int32_t archiveFirst) {
    const int32_t handle = dtaOpen(name, archiveFirst);
    if (handle < 0) return {};
    Bytes bytes = ReadAll(handle);
    dtaClose(handle);
    return bytes;
}

}  // namespace

TEST(OpenFiles, disk_comes_first_unless_asked_for_the_archive) {
    BothPlaces places;
    ASSERT_TRUE(places.ok());
    EXPECT_EQ(Contents("both.txt", 0), Bytes{'d'});
    EXPECT_EQ(Contents("both.txt", 1), Bytes{'a'});
    // Each side falls back on the other.
    EXPECT_EQ(Contents("archive_only.txt", 0), Bytes{'z'});
    EXPECT_EQ(Contents("disk_only.txt", 1), Bytes{'k'});
    EXPECT_EQ(dtaOpen("nowhere.txt", 0), -1);
    EXPECT_EQ(dtaOpen("nowhere.txt", 1), -1);
    // A folder is no file.
    std::filesystem::create_directory("folder");
    EXPECT_EQ(dtaOpen("folder", 0), -1);
}

TEST(OpenFiles, forced_archive_first_holds_for_every_open) {
    // The switch can't be turned off again, so it is tried in a child process.
    EXPECT_EXIT(
        {
            BothPlaces places;
            dtaSetDtaFirstForce();
            const bool ok = places.ok() && Contents("both.txt", 0) == Bytes{'a'} &&
                            Contents("disk_only.txt", 0) == Bytes{'k'};
            std::_Exit(ok ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(OpenFiles, lowest_free_handle_is_reused) {
    BothPlaces places;
    ASSERT_TRUE(places.ok());
    const int32_t a = dtaOpen("both.txt", 0);
    const int32_t b = dtaOpen("both.txt", 1);
    const int32_t c = dtaOpen("disk_only.txt", 0);
    ASSERT_GE(a, 0);
    EXPECT_EQ(b, a + 1);
    EXPECT_EQ(c, a + 2);
    EXPECT_EQ(dtaClose(a), 1);
    EXPECT_EQ(dtaClose(b), 1);
    EXPECT_EQ(dtaOpen("archive_only.txt", 1), a);
    EXPECT_EQ(dtaOpen("both.txt", 0), b);
    for (int32_t h : {a, b, c}) EXPECT_EQ(dtaClose(h), 1);
    // A free slot closes as true, one past the table as false.
    EXPECT_EQ(dtaClose(a), 1);
    EXPECT_EQ(dtaClose(-1), 0);
    EXPECT_EQ(dtaClose(1 << 24), 0);
}

TEST(OpenFiles, delete_removes_plain_files_only) {
    TempFolder folder;
    WriteFile(folder.Path("gone.txt"), {1});
    EXPECT_EQ(dtaDelete(folder.Path("gone.txt").c_str()), 1);
    EXPECT_FALSE(FileExists(folder.Path("gone.txt")));
    EXPECT_EQ(dtaDelete(folder.Path("gone.txt").c_str()), 0);
    EXPECT_EQ(dtaDelete(nullptr), 0);
}

TEST(OpenFiles, threads_sharing_one_handle_take_their_reads_in_turn) {
    // An entry of numbered 4-byte words over several blocks.
    constexpr uint32_t kWords = 3 * 32768 / 4 + 100;
    Bytes data(kWords * 4);
    for (uint32_t i = 0; i < kWords; ++i) dta::format::WriteLe32(data.data() + 4 * i, i);
    ArchiveBuilder builder;
    builder.AddStored("words", data, true);
    TempFolder folder;
    WriteFile(folder.Path("w.dta"), builder.Build().bytes);
    ArchiveRef ref{Register(folder.Path("w.dta"))};
    ASSERT_NE(ref.archive, nullptr);
    const int32_t shared = dtaOpen("words", 1);
    ASSERT_GE(shared, 0);

    // Each thread reads whole words through the shared handle, and opens and
    // closes handles of its own meanwhile so that the table changes too.
    constexpr int kThreads = 4;
    std::vector<std::vector<uint32_t>> seen(kThreads);
    std::vector<int> failures(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            uint8_t word[4];
            for (int32_t got; (got = dtaRead(shared, word, 4)) != 0;) {
                if (got != 4) {
                    ++failures[t];
                    break;
                }
                seen[t].push_back(dta::format::ReadLe32(word));
                const int32_t own = dtaOpen("words", 1);
                if (own < 0 || dtaSeek(own, 4, 0) != 4 || dtaClose(own) != 1) ++failures[t];
            }
        });
    }
    for (std::thread& thread : threads) thread.join();

    std::vector<int> count(kWords, 0);
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(failures[t], 0) << "thread " << t;
        // One thread's words come in rising order: the shared position only moves on.
        EXPECT_TRUE(std::is_sorted(seen[t].begin(), seen[t].end())) << "thread " << t;
        for (uint32_t value : seen[t]) {
            ASSERT_LT(value, kWords);
            ++count[value];
        }
    }
    // Every word was delivered exactly once.
    EXPECT_EQ(std::count(count.begin(), count.end(), 1), static_cast<std::ptrdiff_t>(kWords));
    EXPECT_EQ(dtaClose(shared), 1);
}
