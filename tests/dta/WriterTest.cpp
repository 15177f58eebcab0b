// The plain-file writer, direct and with safe replacement.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include <sys/stat.h>

#include "dta/dta.h"
#include "tests/dta/archive_builder.h"

using namespace dtatest;
namespace fs = std::filesystem;

namespace {

constexpr uint32_t kHidden = 0x1;
constexpr uint32_t kSafe = 0x100;
constexpr uint32_t kEmpty = 0x10000;
constexpr uint32_t kForce = 0x100000;

// chmod without write permission sets the read-only attribute on Windows.
void MakeReadOnly(const std::string& path) {
    ::chmod(path.c_str(), S_IREAD);
}

bool IsReadOnly(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && (info.st_mode & S_IWRITE) == 0;
}

}  // namespace

TEST(Writer, safe_mode_keeps_the_rest_of_the_target) {
    TempFolder folder;
    const std::string target = folder.Path("t.bin");
    WriteFile(target, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    const int32_t h = dtaOpenWrite(target.c_str(), kSafe);
    ASSERT_GE(h, 0);
    EXPECT_TRUE(FileExists(target + ".tmp"));
    EXPECT_EQ(dtaWrite(h, "abc", 3), 3);
    EXPECT_EQ(ReadFile(target).size(), 10u);  // untouched until the close
    EXPECT_EQ(dtaClose(h), 1);
    EXPECT_EQ(ReadFile(target), (Bytes{'a', 'b', 'c', 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_FALSE(FileExists(target + ".tmp"));
}

TEST(Writer, abandoned_safe_write_leaves_the_target_alone) {
    TempFolder folder;
    const std::string target = folder.Path("t.bin");
    WriteFile(target, {1, 2, 3});
    for (bool nullBuffer : {true, false}) {
        const int32_t h = dtaOpenWrite(target.c_str(), kSafe | kEmpty);
        ASSERT_GE(h, 0);
        EXPECT_EQ(dtaWrite(h, "xyz", 3), 3);
        if (nullBuffer) {
            EXPECT_EQ(dtaWrite(h, nullptr, 3), -1);
        } else {
            EXPECT_EQ(dtaWrite(h, "big", 0x80000000u), -1);
        }
        EXPECT_EQ(dtaWrite(h, "more", 4), 4);  // goes on, but can't undo the failure
        EXPECT_EQ(dtaClose(h), 1);
        EXPECT_EQ(ReadFile(target), (Bytes{1, 2, 3}));
        EXPECT_FALSE(FileExists(target + ".tmp"));
    }
}

TEST(Writer, failed_replacement_is_reported_and_keeps_the_data_and_the_attribute) {
    TempFolder folder;
    // A folder with something in it can't be replaced by a file; a read-only
    // one has its attribute cleared for the move and put back when it fails.
    const std::string target = folder.Path("occupied");
    fs::create_directory(target);
    WriteFile(folder.Path("occupied/inside.txt"), {1});
    const int32_t h = dtaOpenWrite(target.c_str(), kSafe | kEmpty);
    ASSERT_GE(h, 0);
    EXPECT_EQ(dtaWrite(h, "data", 4), 4);
    ::chmod(target.c_str(), 0555);
    EXPECT_EQ(dtaClose(h), 0);
    EXPECT_EQ(ReadFile(target + ".tmp"), (Bytes{'d', 'a', 't', 'a'}));
    EXPECT_TRUE(fs::is_directory(target));
#if !defined(_WIN32)  // no read-only mark on Windows folders; the Win32 tests use a held file
    EXPECT_TRUE(IsReadOnly(target));
#endif
    // The slot was freed all the same.
    EXPECT_EQ(dtaClose(h), 1);
    EXPECT_EQ(dtaWrite(h, "x", 1), -1);
}

TEST(Writer, a_stale_temporary_file_never_shows_through) {
    TempFolder folder;
    const std::string target = folder.Path("t.bin");
    const std::string temp = target + ".tmp";
    // No target: the write starts empty, not from what the old file held.
    WriteFile(temp, {'S', 'T', 'A', 'L', 'E', '-', 'D', 'A', 'T', 'A'});
    int32_t h = dtaOpenWrite(target.c_str(), kSafe);
    ASSERT_GE(h, 0);
    EXPECT_EQ(dtaWrite(h, "ab", 2), 2);
    EXPECT_EQ(dtaClose(h), 1);
    EXPECT_EQ(ReadFile(target), (Bytes{'a', 'b'}));
    EXPECT_FALSE(FileExists(temp));
    // A target shorter than the stale file: exactly the target's bytes.
    WriteFile(temp, {'S', 'T', 'A', 'L', 'E', '-', 'D', 'A', 'T', 'A'});
    h = dtaOpenWrite(target.c_str(), kSafe);
    ASSERT_GE(h, 0);
    EXPECT_EQ(dtaSeek(h, 0, 2), 2);
    EXPECT_EQ(dtaWrite(h, "c", 1), 1);
    EXPECT_EQ(dtaClose(h), 1);
    EXPECT_EQ(ReadFile(target), (Bytes{'a', 'b', 'c'}));
    // A read-only stale file is removed only with the force flag; without it
    // the open is refused and nothing is created.
    fs::remove(target);
    WriteFile(temp, {'S', 'T', 'A', 'L', 'E'});
    MakeReadOnly(temp);
    EXPECT_EQ(dtaOpenWrite(target.c_str(), kSafe), -1);
    EXPECT_FALSE(FileExists(target));
    h = dtaOpenWrite(target.c_str(), kSafe | kForce);
    ASSERT_GE(h, 0);
    EXPECT_EQ(dtaWrite(h, "d", 1), 1);
    EXPECT_EQ(dtaClose(h), 1);
    EXPECT_EQ(ReadFile(target), (Bytes{'d'}));
}

TEST(Writer, a_target_that_cannot_be_copied_whole_refuses_the_open) {
    TempFolder folder;
    std::vector<std::string> targets = {folder.Path("folder")};
    fs::create_directory(targets[0]);
#if !defined(_WIN32)
    // A pipe would block a plain open for reading until a writer comes.
    targets.push_back(folder.Path("pipe"));
    ASSERT_EQ(::mkfifo(targets[1].c_str(), 0666), 0);
#endif
    for (const std::string& target : targets) {
        for (const bool stale : {false, true}) {
            if (stale) WriteFile(target + ".tmp", {'o', 'l', 'd'});
            EXPECT_EQ(dtaOpenWrite(target.c_str(), kSafe), -1) << target;
            EXPECT_FALSE(FileExists(target + ".tmp")) << target;
        }
    }
    EXPECT_TRUE(fs::is_directory(targets[0]));
}

TEST(Writer, read_only_targets) {
    TempFolder folder;
    const std::string target = folder.Path("ro.bin");
    WriteFile(target, {1, 2, 3, 4});
    MakeReadOnly(target);
    // Direct mode: refused unless forced.
    EXPECT_EQ(dtaOpenWrite(target.c_str(), 0), -1);
    int32_t h = dtaOpenWrite(target.c_str(), kForce);
    ASSERT_GE(h, 0);
    EXPECT_FALSE(IsReadOnly(target));
    EXPECT_EQ(dtaWrite(h, "z", 1), 1);
    EXPECT_EQ(dtaClose(h), 1);
    EXPECT_EQ(ReadFile(target), (Bytes{'z', 2, 3, 4}));
    // Safe mode: the close clears the old target's attribute to replace it.
    MakeReadOnly(target);
    h = dtaOpenWrite(target.c_str(), kSafe | kEmpty);
    ASSERT_GE(h, 0);
    EXPECT_EQ(dtaWrite(h, "new", 3), 3);
    EXPECT_EQ(dtaClose(h), 1);
    EXPECT_EQ(ReadFile(target), (Bytes{'n', 'e', 'w'}));
    // Keeping the contents copies the read-only target; only the force flag
    // lets the copy be opened, and a refused open leaves no copy behind.
    MakeReadOnly(target);
    EXPECT_EQ(dtaOpenWrite(target.c_str(), kSafe), -1);
    EXPECT_FALSE(FileExists(target + ".tmp"));
    h = dtaOpenWrite(target.c_str(), kSafe | kForce);
    ASSERT_GE(h, 0);
    EXPECT_EQ(dtaWrite(h, "N", 1), 1);
    EXPECT_EQ(dtaClose(h), 1);
    EXPECT_EQ(ReadFile(target), (Bytes{'N', 'e', 'w'}));
}

TEST(Writer, writer_handles_seek_but_do_not_read) {
    TempFolder folder;
    const std::string target = folder.Path("w.bin");
    const int32_t h = dtaOpenWrite(target.c_str(), kEmpty | kHidden);
    ASSERT_GE(h, 0);
    EXPECT_EQ(dtaWrite(h, "0123456789", 10), 10);
    uint8_t byte = 0;
    EXPECT_EQ(dtaRead(h, &byte, 1), -1);
    EXPECT_EQ(dtaSeek(h, 0, 2), 10);
    EXPECT_EQ(dtaSeek(h, 4, 0), 4);
    EXPECT_EQ(dtaSeek(h, 0, 7), -1);
    EXPECT_EQ(dtaWrite(h, "ab", 2), 2);
    uint32_t time[2] = {};
    EXPECT_EQ(dtaGetTime(h, time, 0), 1);
    EXPECT_NE(time[1], 0u);
    EXPECT_EQ(dtaClose(h), 1);
    EXPECT_EQ(ReadFile(target), (Bytes{'0', '1', '2', '3', 'a', 'b', '6', '7', '8', '9'}));
    EXPECT_EQ(dtaOpenWrite(nullptr, 0), -1);
    EXPECT_EQ(dtaWrite(-1, "x", 1), -1);
}

TEST(Writer, read_handles_refuse_writes) {
    TempFolder folder;
    WriteFile(folder.Path("plain.txt"), {1, 2});
    ArchiveBuilder builder;
    builder.AddStored("entry", {3});
    WriteFile(folder.Path("a.dta"), builder.Build().bytes);
    ArchiveRef ref{Register(folder.Path("a.dta"))};
    ASSERT_NE(ref.archive, nullptr);
    const int32_t plain = dtaOpen(folder.Path("plain.txt").c_str(), 0);
    const int32_t entry = dtaOpen("entry", 1);
    ASSERT_GE(plain, 0);
    ASSERT_GE(entry, 0);
    EXPECT_EQ(dtaWrite(plain, "x", 1), -1);
    EXPECT_EQ(dtaWrite(entry, "x", 1), -1);
    EXPECT_EQ(ReadAll(plain), (Bytes{1, 2}));
    dtaClose(plain);
    dtaClose(entry);
}
