// The writer against the real system: attributes, sharing, and the safe
// replacement of the target through "<target>.tmp" with MoveFileEx.
#include <windows.h>

#include <gtest/gtest.h>

#include "dta/dta.h"
#include "tests/support/wine_fixture_win32.h"

using korvo::test::Attributes;
using korvo::test::FileExists;
using korvo::test::ReadWholeFile;
using korvo::test::ScratchFolder;
using korvo::test::WriteWholeFile;

namespace {

constexpr uint32_t kHidden = 0x1;
constexpr uint32_t kSafe = 0x100;
constexpr uint32_t kEmpty = 0x10000;
constexpr uint32_t kForceReadOnly = 0x100000;

// A Win32 handle that closes itself.
class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }
    void Close() {
        if (ok()) CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE h_;
};

Handle OpenShared(const std::string& path, DWORD access, DWORD share) {
    return Handle(
        CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

TEST(DtaWriter, hidden_flag_gives_the_new_file_the_hidden_attribute_in_both_modes) {
    ScratchFolder dir;
    ASSERT_TRUE(dir.ok());
    const std::string direct = dir / "direct.cfg", safe = dir / "safe.cfg", plain = dir / "plain.cfg";
    for (const auto& [path, flags] : {std::pair{direct, kHidden | kEmpty},
                                      std::pair{safe, kHidden | kSafe | kEmpty}, std::pair{plain, kEmpty}}) {
        const int32_t h = dtaOpenWrite(path.c_str(), flags);
        ASSERT_GE(h, 0) << path;
        EXPECT_EQ(dtaWrite(h, "abc", 3), 3);
        EXPECT_TRUE(dtaClose(h));
        EXPECT_EQ(ReadWholeFile(path), "abc");
    }
    EXPECT_NE(Attributes(direct) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_NE(Attributes(safe) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ(Attributes(plain) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_FALSE(FileExists(safe + ".tmp"));
}

TEST(DtaWriter, safe_mode_keeps_the_target_readable_and_unchanged_until_the_close) {
    ScratchFolder dir;
    const std::string target = dir / "game.ini";
    ASSERT_TRUE(WriteWholeFile(target, "0123456789"));
    const int32_t h = dtaOpenWrite(target.c_str(), kSafe);
    ASSERT_GE(h, 0);
    EXPECT_EQ(dtaWrite(h, "abc", 3), 3);

    // The temporary file is not shared; the target is not touched at all.
    EXPECT_FALSE(OpenShared(target + ".tmp", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE).ok());
    EXPECT_TRUE(OpenShared(target, GENERIC_READ, FILE_SHARE_READ).ok());
    EXPECT_EQ(ReadWholeFile(target), "0123456789");
    EXPECT_EQ(dtaSeek(h, 0, 2), 10);  // the copy of the target's contents

    EXPECT_TRUE(dtaClose(h));
    EXPECT_EQ(ReadWholeFile(target), "abc3456789");
    EXPECT_FALSE(FileExists(target + ".tmp"));
}

TEST(DtaWriter, direct_mode_keeps_other_openers_out_while_writing) {
    ScratchFolder dir;
    const std::string target = dir / "direct.bin";
    const int32_t h = dtaOpenWrite(target.c_str(), kEmpty);
    ASSERT_GE(h, 0);
    EXPECT_FALSE(OpenShared(target, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE).ok());
    EXPECT_EQ(dtaOpen(target.c_str(), 0), -1);
    EXPECT_EQ(dtaOpenWrite(target.c_str(), 0), -1);
    EXPECT_EQ(dtaWrite(h, "xyz", 3), 3);
    EXPECT_EQ(dtaRead(h, nullptr, 0), -1);

    // dtaGetTime on a writer handle asks the system for the file's time.
    uint32_t time[2] = {};
    ASSERT_TRUE(dtaGetTime(h, time, 0));
    Handle reader(CreateFileA(target.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr));
    ASSERT_TRUE(reader.ok());
    FILETIME written{};
    ASSERT_TRUE(GetFileTime(reader.get(), nullptr, nullptr, &written));
    EXPECT_EQ(time[0], written.dwLowDateTime);
    EXPECT_EQ(time[1], written.dwHighDateTime);
    reader.Close();

    EXPECT_TRUE(dtaClose(h));
    EXPECT_TRUE(OpenShared(target, GENERIC_READ, FILE_SHARE_READ).ok());
}

TEST(DtaWriter, safe_mode_replaces_a_read_only_target) {
    ScratchFolder dir;
    const std::string target = dir / "locked.dat";
    ASSERT_TRUE(WriteWholeFile(target, "old old old"));
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));

    int32_t h = dtaOpenWrite(target.c_str(), kSafe | kEmpty);
    ASSERT_GE(h, 0);
    EXPECT_EQ(dtaWrite(h, "new", 3), 3);
    EXPECT_TRUE(dtaClose(h));
    EXPECT_EQ(ReadWholeFile(target), "new");
    EXPECT_FALSE(FileExists(target + ".tmp"));

    // Keeping the contents copies the read-only target (attribute and all);
    // the force flag lets the copy be opened.
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
    h = dtaOpenWrite(target.c_str(), kSafe | kForceReadOnly);
    ASSERT_GE(h, 0);
    EXPECT_EQ(dtaWrite(h, "N", 1), 1);
    EXPECT_TRUE(dtaClose(h));
    EXPECT_EQ(ReadWholeFile(target), "New");
    EXPECT_FALSE(FileExists(target + ".tmp"));
}

TEST(DtaWriter, direct_mode_clears_read_only_only_when_asked) {
    ScratchFolder dir;
    const std::string target = dir / "ro.bin";
    ASSERT_TRUE(WriteWholeFile(target, "keep"));
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(dtaOpenWrite(target.c_str(), 0), -1);
    EXPECT_NE(Attributes(target) & FILE_ATTRIBUTE_READONLY, 0u);

    const int32_t h = dtaOpenWrite(target.c_str(), kForceReadOnly);
    ASSERT_GE(h, 0);
    EXPECT_EQ(Attributes(target) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(dtaWrite(h, "K", 1), 1);
    EXPECT_TRUE(dtaClose(h));
    EXPECT_EQ(ReadWholeFile(target), "Keep");
}

TEST(DtaWriter, a_write_the_system_refuses_keeps_the_old_target_and_removes_the_temporary_file) {
    ScratchFolder dir;
    const std::string target = dir / "save.dat";
    ASSERT_TRUE(WriteWholeFile(target, "precious"));
    // Memory the system cannot read from: WriteFile fails on it.
    void* unreadable = VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS);
    ASSERT_NE(unreadable, nullptr);

    const int32_t h = dtaOpenWrite(target.c_str(), kSafe | kEmpty);
    ASSERT_GE(h, 0);
    EXPECT_EQ(dtaWrite(h, "first part", 10), 10);
    EXPECT_EQ(dtaWrite(h, unreadable, 4096), -1);
    EXPECT_EQ(dtaWrite(h, "more", 4), 4);  // later writes cannot undo the failure
    EXPECT_TRUE(dtaClose(h));
    VirtualFree(unreadable, 0, MEM_RELEASE);

    EXPECT_EQ(ReadWholeFile(target), "precious");
    EXPECT_FALSE(FileExists(target + ".tmp"));
}

TEST(DtaWriter, a_failed_replacement_reports_false_frees_the_handle_and_keeps_the_data) {
    ScratchFolder dir;
    const std::string target = dir / "busy.dat";
    ASSERT_TRUE(WriteWholeFile(target, "old"));
    const int32_t h = dtaOpenWrite(target.c_str(), kSafe | kEmpty);
    ASSERT_GE(h, 0);
    EXPECT_EQ(dtaWrite(h, "new data", 8), 8);
    {
        // Another program holds the read-only target open without sharing
        // deletion.
        ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
        Handle other = OpenShared(target, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
        ASSERT_TRUE(other.ok());
        EXPECT_FALSE(dtaClose(h));
    }
    EXPECT_EQ(ReadWholeFile(target), "old");
    EXPECT_NE(Attributes(target) & FILE_ATTRIBUTE_READONLY, 0u);  // put back after the failed move
    EXPECT_EQ(ReadWholeFile(target + ".tmp"), "new data");        // nothing lost
    // The handle was freed all the same: closing it again is the no-op of a
    // free slot, and the next open reuses it.
    EXPECT_TRUE(dtaClose(h));
    const int32_t again = dtaOpenWrite((dir / "next.dat").c_str(), kEmpty);
    EXPECT_EQ(again, h);
    EXPECT_TRUE(dtaClose(again));
}

TEST(DtaWriter, a_stale_temporary_file_never_shows_through) {
    ScratchFolder dir;
    const std::string target = dir / "t.bin";
    const std::string temp = target + ".tmp";
    // A hidden leftover, as a failed replacement of a hidden file leaves:
    // the system's copy refuses to overwrite it, so it goes first.
    for (const bool withTarget : {false, true}) {
        ASSERT_TRUE(WriteWholeFile(temp, "STALE-DATA"));
        ASSERT_TRUE(SetFileAttributesA(temp.c_str(), FILE_ATTRIBUTE_HIDDEN));
        if (withTarget) {
            ASSERT_TRUE(WriteWholeFile(target, "xy"));
        }
        const int32_t h = dtaOpenWrite(target.c_str(), kSafe);
        ASSERT_GE(h, 0);
        EXPECT_EQ(dtaWrite(h, "ab", 2), 2);
        EXPECT_TRUE(dtaClose(h));
        EXPECT_EQ(ReadWholeFile(target), "ab");
        EXPECT_FALSE(FileExists(temp));
        DeleteFileA(target.c_str());
    }
}

TEST(DtaWriter, a_target_that_cannot_be_copied_refuses_the_open_and_stays_untouched) {
    ScratchFolder dir;
    const std::string target = dir / "locked.dat";
    ASSERT_TRUE(WriteWholeFile(target, "in use"));
    {
        // Another program has the target open and shares nothing.
        Handle other = OpenShared(target, GENERIC_READ, 0);
        ASSERT_TRUE(other.ok());
        EXPECT_EQ(dtaOpenWrite(target.c_str(), kSafe), -1);
        EXPECT_FALSE(FileExists(target + ".tmp"));
    }
    EXPECT_EQ(ReadWholeFile(target), "in use");
    // Once it is free, the same open works and starts from its contents.
    const int32_t h = dtaOpenWrite(target.c_str(), kSafe);
    ASSERT_GE(h, 0);
    EXPECT_EQ(dtaWrite(h, "IN", 2), 2);
    EXPECT_TRUE(dtaClose(h));
    EXPECT_EQ(ReadWholeFile(target), "IN use");
}
