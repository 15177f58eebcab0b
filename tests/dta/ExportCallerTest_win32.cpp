// An outside program calling PWsetup.exe's exports the way a program built
// with another compiler would: a copy of PWsetup.exe marked as a library is
// loaded with LoadLibraryA, the functions are found by their decorated names,
// and the archive object's operations are called by slot through its table
// of operations in the thiscall convention. The program's own start-up never
// runs in the loaded copy, so this also shows that the library needs none.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "tests/dta/export_image_win32.h"
#include "tests/support/wine_fixture_win32.h"
#include "dta/pack/packer.h"

using korvo::test::ReadWholeFile;
using korvo::test::ScratchFolder;
using korvo::test::WriteWholeFile;

namespace {

// The exported functions, as their callers declare them.
using CreateFn = void*(__stdcall*)(const char* path);
using OpenFn = int32_t(__stdcall*)(const char* name, int32_t archiveFirst);
using ReadFn = int32_t(__stdcall*)(int32_t handle, void* buffer, uint32_t count);
using SeekFn = int32_t(__stdcall*)(int32_t handle, int32_t offset, uint32_t origin);
using CloseFn = int32_t(__stdcall*)(int32_t handle);
using DeleteFn = int32_t(__stdcall*)(const char* path);
using OpenWriteFn = int32_t(__stdcall*)(const char* path, uint32_t flags);
using WriteFn = int32_t(__stdcall*)(int32_t handle, const void* buffer, uint32_t count);
using GetTimeFn = int32_t(__stdcall*)(int32_t handle, uint32_t* fileTime, int32_t fromFile);
using Bin2TextFn = uint32_t(__stdcall*)(char* text, uint32_t length);
using ForceFn = void(__stdcall*)();
using LeaksFn = void(__stdcall*)(int32_t enable);

// The archive object's operations by slot: `this` travels in ECX.
using AddRefFn = void(__attribute__((thiscall)) *)(void* self);
using ReleaseFn = uint32_t(__attribute__((thiscall)) *)(void* self);
using LoadDirectoryFn = bool(__attribute__((thiscall)) *)(void* self, uint32_t key1, uint32_t key2);
constexpr int kSlotAddRef = 1;
constexpr int kSlotRelease = 2;
constexpr int kSlotLoadDirectory = 3;

template <typename Fn>
Fn Slot(void* object, int slot) {
    return reinterpret_cast<Fn>((*static_cast<void***>(object))[slot]);
}

struct Exports {
    CreateFn create = nullptr;
    OpenFn open = nullptr;
    ReadFn read = nullptr;
    SeekFn seek = nullptr;
    CloseFn close = nullptr;
    DeleteFn remove = nullptr;
    OpenWriteFn openWrite = nullptr;
    WriteFn write = nullptr;
    GetTimeFn getTime = nullptr;
    Bin2TextFn bin2Text = nullptr;
    ForceFn force = nullptr;
    LeaksFn leaks = nullptr;
};

constexpr uint64_t kScriptTime = 0x01C2A1B2C3D4E5F6ull;
const std::string kScript = "game_name \"Korvo\"\r\nadd_file \"a.bin\" \"a.bin\"\r\n";

std::vector<uint8_t> BigData() {
    std::vector<uint8_t> data(100000);
    uint32_t x = 12345;
    for (size_t i = 0; i < data.size(); ++i) {
        x = x * 1103515245u + 12345u;
        data[i] = (i % 7 == 0) ? uint8_t(x >> 24) : uint8_t('a' + i % 13);
    }
    return data;
}

class ExportCaller : public ::testing::Test {
protected:
    // The decorated names and the thiscall table exist in 32-bit code only.
    static constexpr bool kThirtyTwoBit = sizeof(void*) == 4;

    static void SetUpTestSuite() {
        if (!kThirtyTwoBit) return;
        folder_ = new ScratchFolder;
        ASSERT_TRUE(folder_->ok());

        // The copy, marked as a library: Wine relocates and links it fully.
        const std::string bytes = ReadWholeFile(korvo::test::PwsetupPath());
        korvo::test::PeImage image(std::vector<uint8_t>(bytes.begin(), bytes.end()));
        ASSERT_TRUE(image.MakeLibrary()) << korvo::test::PwsetupPath();
        const std::string copy = *folder_ / "PWsetup.exe";
        ASSERT_TRUE(WriteWholeFile(copy, std::string(image.bytes().begin(), image.bytes().end())));
        module_ = LoadLibraryA(copy.c_str());
        ASSERT_NE(module_, nullptr) << "LoadLibraryA failed: " << GetLastError();

        e_.create = Find<CreateFn>("_dtaCreate@4");
        e_.open = Find<OpenFn>("_dtaOpen@8");
        e_.read = Find<ReadFn>("_dtaRead@12");
        e_.seek = Find<SeekFn>("_dtaSeek@12");
        e_.close = Find<CloseFn>("_dtaClose@4");
        e_.remove = Find<DeleteFn>("_dtaDelete@4");
        e_.openWrite = Find<OpenWriteFn>("_dtaOpenWrite@8");
        e_.write = Find<WriteFn>("_dtaWrite@12");
        e_.getTime = Find<GetTimeFn>("_dtaGetTime@12");
        e_.bin2Text = Find<Bin2TextFn>("_dtaBin2Text@8");
        e_.force = Find<ForceFn>("_dtaSetDtaFirstForce@0");
        e_.leaks = Find<LeaksFn>("_dtaDumpMemoryLeaks@4");

        std::vector<dta::pack::PackInput> inputs(2);
        inputs[0].name = "idata.txt";
        inputs[0].data.assign(kScript.begin(), kScript.end());
        inputs[0].fileTime = kScriptTime;
        inputs[1].name = "data\\big.bin";
        inputs[1].data = BigData();
        std::vector<uint8_t> archive;
        std::string error;
        ASSERT_TRUE(dta::pack::BuildArchive(inputs, dta::pack::kDefaultKey1, dta::pack::kDefaultKey2,
                                            &archive, &error))
            << error;
        archivePath_ = *folder_ / "PWdata.dta";
        ASSERT_TRUE(WriteWholeFile(archivePath_, std::string(archive.begin(), archive.end())));
        // Relative names resolve against the current folder.
        ASSERT_TRUE(SetCurrentDirectoryA(folder_->path().c_str()));
    }

    static void TearDownTestSuite() {
        SetCurrentDirectoryA("C:\\");
        // Unmapped first, or the copy could not be deleted with its folder.
        if (module_ != nullptr) FreeLibrary(module_);
        module_ = nullptr;
        delete folder_;
        folder_ = nullptr;
    }

    template <typename Fn>
    static Fn Find(const char* name) {
        // Through void*: FARPROC's own type says nothing about the function.
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

    void SetUp() override {
        if (!kThirtyTwoBit) GTEST_SKIP() << "stdcall names and thiscall slots are 32-bit calling conventions";
        ASSERT_NE(module_, nullptr);
        ASSERT_NE(e_.create, nullptr);
    }

    // Registers the test archive with the installer's key words.
    void* OpenArchive() {
        void* archive = e_.create(archivePath_.c_str());
        if (archive != nullptr && !Slot<LoadDirectoryFn>(archive, kSlotLoadDirectory)(
                                      archive, dta::pack::kDefaultKey1, dta::pack::kDefaultKey2)) {
            ADD_FAILURE() << "LoadDirectory failed";
        }
        return archive;
    }

    // Reads a whole file as the installer does: size from the end, back to
    // the start, one read of everything.
    std::string ReadAll(int32_t handle) {
        const int32_t size = e_.seek(handle, 0, 2);
        if (size < 0 || e_.seek(handle, 0, 0) != 0) return "<seek failed>";
        std::string data(size_t(size), '\0');
        const int32_t got = e_.read(handle, data.data(), uint32_t(size));
        if (got != size) return "<read " + std::to_string(got) + ">";
        return data;
    }

    static ScratchFolder* folder_;
    static HMODULE module_;
    static Exports e_;
    static std::string archivePath_;
};

ScratchFolder* ExportCaller::folder_ = nullptr;
HMODULE ExportCaller::module_ = nullptr;
Exports ExportCaller::e_;
std::string ExportCaller::archivePath_;

}  // namespace

TEST_F(ExportCaller, every_export_is_found_by_name_and_by_ordinal) {
    const char* names[] = {
        "_dtaBin2Text@8",         "_dtaClose@4", "_dtaCreate@4",    "_dtaDelete@4", "_dtaDumpMemoryLeaks@4",
        "_dtaGetTime@12",         "_dtaOpen@8",  "_dtaOpenWrite@8", "_dtaRead@12",  "_dtaSeek@12",
        "_dtaSetDtaFirstForce@0", "_dtaWrite@12"};
    for (WORD ordinal = 1; ordinal <= 12; ++ordinal) {
        FARPROC byName = GetProcAddress(module_, names[ordinal - 1]);
        EXPECT_NE(byName, nullptr) << names[ordinal - 1];
        EXPECT_EQ(byName, GetProcAddress(module_, MAKEINTRESOURCEA(ordinal))) << names[ordinal - 1];
    }
    EXPECT_EQ(GetProcAddress(module_, "dtaOpen"), nullptr);  // only the decorated names
}

TEST_F(ExportCaller, reads_archive_entries_the_way_the_installer_does) {
    void* archive = OpenArchive();
    ASSERT_NE(archive, nullptr);

    const int32_t script = e_.open("idata.txt", 0);
    ASSERT_GE(script, 0);
    EXPECT_EQ(ReadAll(script), kScript);
    uint32_t time[2] = {};
    ASSERT_TRUE(e_.getTime(script, time, 0));
    EXPECT_EQ(time[0], uint32_t(kScriptTime));
    EXPECT_EQ(time[1], uint32_t(kScriptTime >> 32));

    const int32_t big = e_.open("DATA\\BIG.BIN", 1);  // any letter case
    ASSERT_GE(big, 0);
    EXPECT_NE(big, script);
    const std::vector<uint8_t> expected = BigData();
    EXPECT_EQ(ReadAll(big), std::string(expected.begin(), expected.end()));
    // Part way through the second block, then past the end.
    ASSERT_EQ(e_.seek(big, 40000, 0), 40000);
    uint8_t some[16] = {};
    ASSERT_EQ(e_.read(big, some, sizeof some), int32_t(sizeof some));
    EXPECT_EQ(0, memcmp(some, expected.data() + 40000, sizeof some));
    EXPECT_EQ(e_.seek(big, 1, 2), -1);

    EXPECT_EQ(e_.open("missing.txt", 0), -1);
    EXPECT_TRUE(e_.close(script));
    EXPECT_TRUE(e_.close(big));
    EXPECT_EQ(Slot<ReleaseFn>(archive, kSlotRelease)(archive), 0u);
}

TEST_F(ExportCaller, the_last_release_through_the_table_frees_handles_into_the_archive) {
    void* archive = OpenArchive();
    ASSERT_NE(archive, nullptr);
    Slot<AddRefFn>(archive, kSlotAddRef)(archive);
    const int32_t handle = e_.open("idata.txt", 1);
    ASSERT_GE(handle, 0);

    EXPECT_EQ(Slot<ReleaseFn>(archive, kSlotRelease)(archive), 1u);
    char byte = 0;
    EXPECT_EQ(e_.read(handle, &byte, 1), 1);  // still registered
    EXPECT_EQ(Slot<ReleaseFn>(archive, kSlotRelease)(archive), 0u);
    EXPECT_EQ(e_.read(handle, &byte, 1), -1);
    EXPECT_TRUE(e_.close(handle));
    EXPECT_EQ(e_.open("idata.txt", 1), -1);  // nothing registered any more
}

TEST_F(ExportCaller, bad_arguments_fail_cleanly) {
    EXPECT_EQ(e_.create(nullptr), nullptr);
    EXPECT_EQ(e_.create((folder_->path() + "missing.dta").c_str()), nullptr);
    EXPECT_EQ(e_.open(nullptr, 0), -1);
    EXPECT_EQ(e_.read(-1, nullptr, 1), -1);
    EXPECT_EQ(e_.read(1000, nullptr, 1), -1);
    EXPECT_EQ(e_.seek(1000, 0, 0), -1);
    EXPECT_FALSE(e_.close(1000));
    EXPECT_EQ(e_.write(1000, "x", 1), -1);
    uint32_t time[2];
    EXPECT_FALSE(e_.getTime(1000, time, 0));
    EXPECT_EQ(e_.bin2Text(nullptr, 10), 0u);
    EXPECT_FALSE(e_.remove(nullptr));
}

TEST_F(ExportCaller, writes_converts_and_deletes_files_through_the_exports) {
    const std::string target = *folder_ / "written.txt";
    ASSERT_TRUE(WriteWholeFile(target, "old contents"));
    const int32_t handle = e_.openWrite(target.c_str(), 0x100 | 0x10000);
    ASSERT_GE(handle, 0);
    EXPECT_EQ(e_.write(handle, "A\r\nB\r\n", 6), 6);
    EXPECT_EQ(e_.read(handle, nullptr, 0), -1);        // writer handles are not read
    EXPECT_EQ(ReadWholeFile(target), "old contents");  // untouched until the close
    EXPECT_TRUE(e_.close(handle));
    std::string text = ReadWholeFile(target);
    ASSERT_EQ(text, "A\r\nB\r\n");
    EXPECT_FALSE(korvo::test::FileExists(target + ".tmp"));

    EXPECT_EQ(e_.bin2Text(text.data(), uint32_t(text.size())), 4u);
    EXPECT_EQ(text.substr(0, 4), "A\nB\n");
    EXPECT_TRUE(e_.remove(target.c_str()));
    EXPECT_FALSE(korvo::test::FileExists(target));
    EXPECT_FALSE(e_.remove(target.c_str()));
    e_.leaks(0);  // callable; the report stays off
}

// Runs last in the program: the switch cannot be turned off again.
TEST_F(ExportCaller, after_the_force_switch_archives_win_over_disk_files) {
    ASSERT_TRUE(WriteWholeFile(*folder_ / "idata.txt", "from disk"));
    void* archive = OpenArchive();
    ASSERT_NE(archive, nullptr);
    int32_t handle = e_.open("idata.txt", 0);
    ASSERT_GE(handle, 0);
    EXPECT_EQ(ReadAll(handle), "from disk");
    EXPECT_TRUE(e_.close(handle));

    e_.force();
    handle = e_.open("idata.txt", 0);
    ASSERT_GE(handle, 0);
    EXPECT_EQ(ReadAll(handle), kScript);
    EXPECT_TRUE(e_.close(handle));
    EXPECT_EQ(Slot<ReleaseFn>(archive, kSlotRelease)(archive), 0u);
}
