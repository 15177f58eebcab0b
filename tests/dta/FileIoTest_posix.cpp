// The file layer's POSIX side for what the installer's copy needs: appending,
// folders, moves across volumes and the installer's backslash paths.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "dta/file_io.h"
#include "tests/dta/archive_builder.h"

using dtatest::TempFolder;
namespace io = dta::io;
namespace fs = std::filesystem;

namespace {

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void Put(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

bool Append(const std::string& path, const std::string& text) {
    io::OwnedFile file(io::OpenAppend(path.c_str()));
    uint32_t written = 0;
    return file.Valid() && io::Write(file.Get(), text.data(), static_cast<uint32_t>(text.size()), &written) &&
           written == text.size();
}

}  // namespace

TEST(FileIo, append_creates_then_adds_at_the_end_and_refuses_read_only_files) {
    TempFolder dir;
    const std::string path = dir.Path("journal.txt");
    ASSERT_TRUE(Append(path, "one\r\n"));
    ASSERT_TRUE(Append(path, "two\r\n"));
    EXPECT_EQ(Contents(path), "one\r\ntwo\r\n");
    ASSERT_TRUE(io::SetReadOnly(path.c_str()));
    EXPECT_FALSE(Append(path, "three\r\n"));
    EXPECT_EQ(Contents(path), "one\r\ntwo\r\n");
    EXPECT_EQ(io::OpenAppend(nullptr), io::kInvalidFile);
}

TEST(FileIo, unshared_reads_open_files_only_and_release_them_on_reset) {
    TempFolder dir;
    const std::string path = dir.Path("source.bin");
    Put(path, "source");
    io::OwnedFile held(io::OpenRead(path.c_str(), false, io::Share::None));
    ASSERT_TRUE(held.Valid());
    uint64_t size = 0;
    EXPECT_TRUE(io::Size(held.Get(), &size));
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(io::OpenRead(dir.Path("").c_str(), false, io::Share::None), io::kInvalidFile);
    held.Reset();
    EXPECT_FALSE(held.Valid());
    EXPECT_FALSE(io::Size(held.Get(), &size));
}

TEST(FileIo, folders_are_made_one_level_at_a_time_and_removed_only_when_empty) {
    TempFolder dir;
    const std::string top = dir.Path("top"), inner = dir.Path("top/inner"), file = inner + "/file.bin";
    EXPECT_FALSE(io::CreateFolder(inner.c_str()));  // its parent is missing
    ASSERT_TRUE(io::CreateFolder(top.c_str()));
    EXPECT_TRUE(io::CreateFolder(top.c_str()));  // there already
    ASSERT_TRUE(io::CreateFolder(inner.c_str()));
    EXPECT_TRUE(io::IsFolder(inner.c_str()));
    Put(file, "x");
    EXPECT_FALSE(io::IsFolder(file.c_str()));
    EXPECT_FALSE(io::CreateFolder(file.c_str()));  // a file is in the way
    EXPECT_FALSE(io::RemoveFolder(inner.c_str()));
    ASSERT_TRUE(io::Delete(file.c_str()));
    EXPECT_TRUE(io::RemoveFolder(inner.c_str()));
    EXPECT_FALSE(io::IsFolder(inner.c_str()));
    EXPECT_FALSE(io::IsFolder(nullptr));
}

TEST(FileIo, move_replaces_its_target_also_across_volumes_but_never_a_read_only_one) {
    TempFolder dir;
    const std::string a = dir.Path("a.bin"), b = dir.Path("b.bin");
    Put(a, "moved");
    Put(b, "replaced");
    ASSERT_TRUE(io::Move(a.c_str(), b.c_str()));
    EXPECT_EQ(Contents(b), "moved");
    EXPECT_FALSE(fs::exists(a));
    EXPECT_FALSE(io::Move(a.c_str(), b.c_str()));  // nothing to move
    EXPECT_EQ(Contents(b), "moved");

    Put(a, "again");
    ASSERT_TRUE(io::SetReadOnly(b.c_str()));
    EXPECT_FALSE(io::Move(a.c_str(), b.c_str()));
    EXPECT_EQ(Contents(a), "again");
    EXPECT_EQ(Contents(b), "moved");

    // /dev/shm is a file system of its own on most machines: the move there
    // copies and deletes.
    struct stat here, there;
    if (::stat(dir.Path("").c_str(), &here) != 0 || ::stat("/dev/shm", &there) != 0 ||
        here.st_dev == there.st_dev)
        GTEST_SKIP() << "no second file system to move to";
    const std::string away = "/dev/shm/korvo_move_" + std::to_string(::getpid());
    ASSERT_TRUE(io::Move(a.c_str(), away.c_str()));
    EXPECT_EQ(Contents(away), "again");
    EXPECT_FALSE(fs::exists(a));
    ASSERT_TRUE(io::Move(away.c_str(), a.c_str()));
    EXPECT_EQ(Contents(a), "again");
    EXPECT_FALSE(fs::exists(away));
}

TEST(FileIo, installer_paths_take_slashes_for_backslashes) {
    char path[] = "data\\maps\\level1.dta";
    io::ToSystemSeparators(path);
    EXPECT_STREQ(path, "data/maps/level1.dta");
    io::ToSystemSeparators(nullptr);  // nothing to do, and no crash
}
