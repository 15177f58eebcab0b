// The archive library's Win32 file operations against the real system (Wine).
#include <gtest/gtest.h>

#include "dta/file_io.h"
#include "tests/support/wine_fixture_win32.h"

using korvo::test::Attributes;
using korvo::test::FileExists;
using korvo::test::ReadWholeFile;
using korvo::test::ScratchFolder;
using korvo::test::WriteWholeFile;
namespace io = dta::io;

namespace {

// Closes a file of the seam when the test ends, whatever happened.
struct Closer {
    io::FileHandle file;
    ~Closer() {
        if (file != io::kInvalidFile) {
            io::Close(file);
        }
    }
};

}  // namespace

TEST(DtaFileIo, reads_seeks_and_sizes_an_existing_file) {
    ScratchFolder dir;
    ASSERT_TRUE(dir.ok());
    const std::string path = dir / "data.bin";
    ASSERT_TRUE(WriteWholeFile(path, "0123456789"));

    Closer f{io::OpenRead(path.c_str(), true)};
    ASSERT_NE(f.file, io::kInvalidFile);
    uint64_t size = 0;
    ASSERT_TRUE(io::Size(f.file, &size));
    EXPECT_EQ(size, 10u);

    uint64_t pos = 0;
    ASSERT_TRUE(io::Seek(f.file, -3, io::SeekOrigin::End, &pos));
    EXPECT_EQ(pos, 7u);
    char buf[8] = {};
    uint32_t got = 0;
    ASSERT_TRUE(io::Read(f.file, buf, sizeof buf, &got));
    EXPECT_EQ(got, 3u);  // a short read at the end is no error
    EXPECT_EQ(std::string(buf, got), "789");

    ASSERT_TRUE(io::Seek(f.file, 2, io::SeekOrigin::Begin, &pos));
    ASSERT_TRUE(io::Seek(f.file, 3, io::SeekOrigin::Current, &pos));
    EXPECT_EQ(pos, 5u);
    EXPECT_FALSE(io::Seek(f.file, -100, io::SeekOrigin::Begin, &pos));  // before the start
    // A low part of all bits set is a position like any other, not an error.
    ASSERT_TRUE(io::Seek(f.file, 0xFFFFFFFFll, io::SeekOrigin::Begin, &pos));
    EXPECT_EQ(pos, 0xFFFFFFFFull);
}

TEST(DtaFileIo, reads_at_offsets_and_into_pieces_up_to_the_end_and_past_4_gib) {
    ScratchFolder dir;
    const std::string path = dir / "data.bin";
    ASSERT_TRUE(WriteWholeFile(path, "0123456789"));
    Closer f{io::OpenRead(path.c_str(), true)};
    ASSERT_NE(f.file, io::kInvalidFile);

    char buf[16] = {};
    uint32_t got = 0;
    ASSERT_TRUE(io::ReadAt(f.file, 3, buf, 4, &got));
    EXPECT_EQ(std::string(buf, got), "3456");
    // Up to the end is a short read, at or past it an empty one: no errors.
    ASSERT_TRUE(io::ReadAt(f.file, 7, buf, 8, &got));
    EXPECT_EQ(std::string(buf, got), "789");
    ASSERT_TRUE(io::ReadAt(f.file, 10, buf, 8, &got));
    EXPECT_EQ(got, 0u);
    ASSERT_TRUE(io::ReadAt(f.file, 0x100000000ull, buf, 8, &got));
    EXPECT_EQ(got, 0u);

    char a[3] = {}, b[2] = {}, c[9] = {};
    const io::Piece pieces[] = {{a, 3}, {b, 2}, {c, 9}};
    uint64_t total = 0;
    ASSERT_TRUE(io::ReadPiecesAt(f.file, 1, pieces, 3, &total));
    EXPECT_EQ(total, 9u);
    EXPECT_EQ(std::string(a, 3) + std::string(b, 2) + std::string(c, 4), "123456789");

    // A sparse file with bytes past 4 GiB: the high part of the offset counts.
    const std::string big = dir / "big.bin";
    {
        Closer w{io::OpenWrite(big.c_str(), true, false)};
        ASSERT_NE(w.file, io::kInvalidFile);
        uint64_t at = 0;
        uint32_t written = 0;
        ASSERT_TRUE(io::Write(w.file, "low", 3, &written));
        ASSERT_TRUE(io::Seek(w.file, 0x100000005ll, io::SeekOrigin::Begin, &at));
        ASSERT_TRUE(io::Write(w.file, "high", 4, &written));
    }
    Closer r{io::OpenRead(big.c_str(), true)};
    ASSERT_TRUE(io::ReadAt(r.file, 0x100000005ull, buf, 8, &got));
    EXPECT_EQ(std::string(buf, got), "high");
    ASSERT_TRUE(io::ReadAt(r.file, 0, buf, 3, &got));
    EXPECT_EQ(std::string(buf, got), "low");
}

TEST(DtaFileIo, refuses_missing_files_null_paths_and_bad_handles) {
    ScratchFolder dir;
    EXPECT_EQ(io::OpenRead((dir / "missing.bin").c_str(), false), io::kInvalidFile);
    EXPECT_EQ(io::OpenRead(nullptr, false), io::kInvalidFile);
    EXPECT_EQ(io::OpenWrite(nullptr, true, false), io::kInvalidFile);

    uint32_t got = 7;
    char buf[4];
    EXPECT_FALSE(io::Read(io::kInvalidFile, buf, sizeof buf, &got));
    EXPECT_EQ(got, 0u);
    uint64_t value = 0;
    EXPECT_FALSE(io::Seek(io::kInvalidFile, 0, io::SeekOrigin::Begin, &value));
    EXPECT_FALSE(io::Size(io::kInvalidFile, &value));
    EXPECT_FALSE(io::LastWriteTime(io::kInvalidFile, &value));
    EXPECT_FALSE(io::Close(io::kInvalidFile));
    EXPECT_FALSE(io::Delete(nullptr));
    EXPECT_FALSE(io::Copy(nullptr, "x"));
    EXPECT_FALSE(io::Replace("x", nullptr));
}

TEST(DtaFileIo, read_only_files_cannot_be_deleted_until_the_attribute_is_cleared) {
    ScratchFolder dir;
    const std::string path = dir / "ro.bin";
    ASSERT_TRUE(WriteWholeFile(path, "old"));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(io::IsReadOnly(path.c_str()));
    EXPECT_FALSE(io::Delete(path.c_str()));
    EXPECT_EQ(ReadWholeFile(path), "old");

    ASSERT_TRUE(io::ClearReadOnly(path.c_str()));
    EXPECT_FALSE(io::IsReadOnly(path.c_str()));
    EXPECT_NE(Attributes(path) & FILE_ATTRIBUTE_HIDDEN, 0u);  // other attributes stay
    EXPECT_TRUE(io::Delete(path.c_str()));
    EXPECT_FALSE(io::ClearReadOnly((dir / "missing").c_str()));
    EXPECT_FALSE(io::IsReadOnly((dir / "missing").c_str()));
}

TEST(DtaFileIo, copy_and_replace_overwrite_their_target) {
    ScratchFolder dir;
    const std::string a = dir / "a.bin", b = dir / "b.bin", c = dir / "c.bin";
    ASSERT_TRUE(WriteWholeFile(a, "new"));
    ASSERT_TRUE(WriteWholeFile(b, "old contents"));
    ASSERT_TRUE(io::Copy(a.c_str(), b.c_str()));
    EXPECT_EQ(ReadWholeFile(b), "new");
    EXPECT_TRUE(FileExists(a));

    ASSERT_TRUE(WriteWholeFile(c, "replacement"));
    ASSERT_TRUE(io::Replace(c.c_str(), b.c_str()));
    EXPECT_EQ(ReadWholeFile(b), "replacement");
    EXPECT_FALSE(FileExists(c));
    EXPECT_FALSE(io::Copy((dir / "missing").c_str(), b.c_str()));
    EXPECT_EQ(ReadWholeFile(b), "replacement");
    EXPECT_TRUE(io::Exists(b.c_str()));
    EXPECT_TRUE(io::Delete(b.c_str()));
    EXPECT_FALSE(io::Exists(b.c_str()));
}

TEST(DtaFileIo, last_write_time_is_the_system_file_time) {
    ScratchFolder dir;
    const std::string path = dir / "t.bin";
    ASSERT_TRUE(WriteWholeFile(path, "x"));
    HANDLE h =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FILETIME set{0x12345678u, 0x01D00000u};
    ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &set));
    CloseHandle(h);

    Closer f{io::OpenRead(path.c_str(), false)};
    uint64_t time = 0;
    ASSERT_TRUE(io::LastWriteTime(f.file, &time));
    EXPECT_EQ(time, 0x01D0000012345678ull);
}

TEST(DtaFileIo, a_file_held_unshared_cannot_be_opened_again_until_closed) {
    ScratchFolder dir;
    const std::string path = dir / "held.bin";
    ASSERT_TRUE(WriteWholeFile(path, "source"));
    {
        // Shared with readers: a second reader gets in, a writer does not.
        io::OwnedFile shared(io::OpenRead(path.c_str(), false));
        ASSERT_TRUE(shared.Valid());
        io::OwnedFile reader(io::OpenRead(path.c_str(), false));
        EXPECT_TRUE(reader.Valid());
        io::OwnedFile writer(io::OpenWrite(path.c_str(), false, false));
        EXPECT_FALSE(writer.Valid());
    }
    {
        io::OwnedFile held(io::OpenRead(path.c_str(), false, io::Share::None));
        ASSERT_TRUE(held.Valid());
        io::OwnedFile reader(io::OpenRead(path.c_str(), false));
        EXPECT_FALSE(reader.Valid());
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        EXPECT_FALSE(io::Delete(path.c_str()));
    }
    io::OwnedFile again(io::OpenRead(path.c_str(), false, io::Share::None));
    EXPECT_TRUE(again.Valid());
}

TEST(DtaFileIo, append_adds_at_the_end_while_others_read_and_refuses_read_only_files) {
    ScratchFolder dir;
    const std::string path = dir / "journal.txt";
    for (const char* line : {"one\r\n", "two\r\n"}) {
        io::OwnedFile file(io::OpenAppend(path.c_str()));
        ASSERT_TRUE(file.Valid());
        // A reader that lets the writer go on gets in (one that shares only
        // with readers is refused by the writer already there).
        HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(reader, INVALID_HANDLE_VALUE);
        if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
        uint32_t written = 0;
        ASSERT_TRUE(io::Write(file.Get(), line, 5, &written));
        EXPECT_EQ(written, 5u);
    }
    EXPECT_EQ(ReadWholeFile(path), "one\r\ntwo\r\n");
    ASSERT_TRUE(io::SetReadOnly(path.c_str()));
    EXPECT_EQ(io::OpenAppend(path.c_str()), io::kInvalidFile);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    ASSERT_TRUE(io::ClearReadOnly(path.c_str()));
}

TEST(DtaFileIo, folders_are_made_one_level_at_a_time_and_removed_only_when_empty) {
    ScratchFolder dir;
    const std::string top = dir / "top", inner = dir / "top\\inner";
    EXPECT_FALSE(io::CreateFolder(inner.c_str()));  // its parent is missing
    ASSERT_TRUE(io::CreateFolder(top.c_str()));
    EXPECT_TRUE(io::CreateFolder(top.c_str()));  // there already
    ASSERT_TRUE(io::CreateFolder(inner.c_str()));
    EXPECT_TRUE(io::IsFolder(inner.c_str()));
    EXPECT_FALSE(io::RemoveFolder(top.c_str()));
    ASSERT_TRUE(WriteWholeFile(inner + "\\file.bin", "x"));
    EXPECT_FALSE(io::IsFolder((inner + "\\file.bin").c_str()));
    EXPECT_FALSE(io::CreateFolder((inner + "\\file.bin").c_str()));  // a file is in the way
    EXPECT_FALSE(io::RemoveFolder(inner.c_str()));
    ASSERT_TRUE(io::Delete((inner + "\\file.bin").c_str()));
    EXPECT_TRUE(io::RemoveFolder(inner.c_str()));
    EXPECT_FALSE(io::IsFolder(inner.c_str()));
}

TEST(DtaFileIo, move_replaces_its_target_and_paths_keep_their_backslashes) {
    ScratchFolder dir;
    const std::string a = dir / "a.bin", b = dir / "b.bin";
    ASSERT_TRUE(WriteWholeFile(a, "moved"));
    ASSERT_TRUE(WriteWholeFile(b, "replaced"));
    ASSERT_TRUE(io::Move(a.c_str(), b.c_str()));
    EXPECT_EQ(ReadWholeFile(b), "moved");
    EXPECT_FALSE(FileExists(a));
    EXPECT_FALSE(io::Move(a.c_str(), b.c_str()));
    EXPECT_EQ(ReadWholeFile(b), "moved");

    char path[] = "C:\\Games\\Korvo\\data";
    io::ToSystemSeparators(path);
    EXPECT_STREQ(path, "C:\\Games\\Korvo\\data");
}
