// `dta extract` and `dta cat` as a user runs them: existing files, entry
// times, selecting entries, and archives that are not archives.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/tools/run_dta.h"
#include "tests/tools/temp_folder.h"

namespace fs = std::filesystem;

namespace {

// Packs src/ (a.txt, b.txt, data/level1.map, data/level2.map) into t.dta.
std::string PackSample(const TempFolder& dir) {
    dir.Write("src/a.txt", Bytes("new a"));
    dir.Write("src/b.txt", Bytes("new b"));
    dir.Write("src/data/level1.map", Bytes("map 1"));
    dir.Write("src/data/level2.map", Bytes("map 2"));
    const std::string archive = dir / "t.dta";
    Outcome pack = Dta({"pack", "-q", archive, "-C", dir / "src", "."});
    EXPECT_EQ(pack.code, 0) << pack.err;
    return archive;
}

std::string Text(const std::string& path) {
    const std::vector<uint8_t> bytes = TempFolder::Read(path);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(Extract, existing_files_stop_it_unless_forced_or_kept) {
    TempFolder dir;
    const std::string archive = PackSample(dir);
    const std::string out = dir / "out";
    dir.Write("out/a.txt", Bytes("old a"));

    // Without -f or -k the first existing file stops everything, once.
    Outcome plain = Dta({"extract", "-C", out, archive});
    EXPECT_EQ(plain.code, 1);
    EXPECT_NE(plain.err.find("a.txt exists"), std::string::npos) << plain.err;
    EXPECT_EQ(std::count(plain.err.begin(), plain.err.end(), '\n'), 1) << plain.err;
    EXPECT_EQ(Text(out + "/a.txt"), "old a");

    Outcome keep = Dta({"extract", "-k", "-C", out, archive});
    EXPECT_EQ(keep.code, 0) << keep.err;
    EXPECT_EQ(Text(out + "/a.txt"), "old a");
    EXPECT_EQ(Text(out + "/b.txt"), "new b");
    EXPECT_EQ(Text(out + "/data/level2.map"), "map 2");

    // A second extraction in the same place with -f: every file again.
    Outcome force = Dta({"extract", "-f", "-v", "-C", out, archive});
    EXPECT_EQ(force.code, 0) << force.err;
    EXPECT_EQ(Text(out + "/a.txt"), "new a");
    EXPECT_EQ(std::count(force.out.begin(), force.out.end(), '\n'), 4) << force.out;

    EXPECT_EQ(Dta({"extract", "-f", "-k", "-C", out, archive}).code, 2);
    // Nothing but the entries was left in the folder.
    size_t files = 0;
    for (const auto& e : fs::recursive_directory_iterator(out)) files += e.is_regular_file();
    EXPECT_EQ(files, 4u);
}

TEST(Extract, a_folder_in_the_way_is_never_replaced_nor_a_file_in_the_way_of_a_folder) {
    TempFolder dir;
    const std::string archive = PackSample(dir);
    fs::create_directories(dir.path() / "out/b.txt");
    for (const char* flag : {"-f", "-q"}) {
        Outcome x = Dta({"extract", flag, "-C", dir / "out", archive, "b.txt"});
        EXPECT_EQ(x.code, 1);
        EXPECT_NE(x.err.find("is a folder"), std::string::npos) << x.err;
        EXPECT_TRUE(fs::is_directory(dir.path() / "out/b.txt"));
    }
    // The file keeps its place and the message gives a reason.
    dir.Write("out/data", Bytes("a file"));
    Outcome x = Dta({"extract", "-f", "-C", dir / "out", archive, "data/*"});
    EXPECT_EQ(x.code, 1);
    EXPECT_EQ(std::count(x.err.begin(), x.err.end(), '\n'), 1) << x.err;
    const size_t at = x.err.find("data: ");
    ASSERT_NE(at, std::string::npos) << x.err;
    EXPECT_NE(x.err.find("dta: cannot create folder "), std::string::npos) << x.err;
    EXPECT_GT(x.err.size(), at + 10) << x.err;
    EXPECT_EQ(Text(dir / "out/data"), "a file");
}

TEST(Extract, sets_each_file_time_from_the_entry) {
    TempFolder dir;
    const std::string source = dir.Write("src/old.txt", Bytes("old"));
    const auto then = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    fs::last_write_time(source, then);
    ASSERT_EQ(Dta({"pack", "-q", dir / "t.dta", "-C", dir / "src", "old.txt"}).code, 0);
    ASSERT_EQ(Dta({"extract", "-C", dir / "out", dir / "t.dta"}).code, 0);
    const auto got = fs::last_write_time(dir.path() / "out/old.txt");
    EXPECT_LT(std::chrono::abs(got - then), std::chrono::seconds(1));
}

TEST(Extract, selects_entries_by_name_or_pattern_with_either_slash) {
    TempFolder dir;
    dir.Write("src/database/x.txt", Bytes("not below data"));
    const std::string archive = PackSample(dir);
    Outcome some = Dta({"extract", "-v", "-C", dir / "out", archive, "DATA/level?.MAP", "b*"});
    ASSERT_EQ(some.code, 0) << some.err;
    EXPECT_TRUE(fs::exists(dir.path() / "out/data/level1.map"));
    EXPECT_TRUE(fs::exists(dir.path() / "out/b.txt"));
    EXPECT_FALSE(fs::exists(dir.path() / "out/a.txt"));
    // A folder name selects what lies below it, not a folder its name begins.
    ASSERT_EQ(Dta({"extract", "-C", dir / "out2", archive, "data"}).code, 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "out2/data"), fs::directory_iterator()), 2);
    EXPECT_FALSE(fs::exists(dir.path() / "out2/database"));

    EXPECT_EQ(Dta({"cat", archive, "data/level2.map", "data\\LEVEL1.map"}).out, "map 2map 1");
    Outcome missing = Dta({"cat", archive, "a.txt", "nothing*"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.out, "new a");
    EXPECT_NE(missing.err.find("nothing*: not in the archive"), std::string::npos) << missing.err;
}

TEST(Extract, reads_the_archive_whatever_files_lie_in_the_current_folder) {
    TempFolder dir;
    const std::string archive = PackSample(dir);
    const fs::path before = fs::current_path();
    fs::create_directories(dir.path() / "work/data");
    fs::current_path(dir.path() / "work");
    dir.Write("work/a.txt", Bytes("a file of the entry's name"));
    dir.Write("work/data/level1.map", Bytes("another"));

    Outcome verify = Dta({"verify", archive});
    Outcome cat = Dta({"cat", archive, "a.txt", "data\\level1.map"});
    Outcome first = Dta({"extract", "-C", "out", archive});
    Outcome again = Dta({"extract", "-f", "-C", "out", archive});
    Outcome here = Dta({"extract", "-f", archive});
    fs::current_path(before);

    EXPECT_EQ(verify.code, 0) << verify.err;
    EXPECT_EQ(cat.out, "new amap 1");
    EXPECT_EQ(first.code, 0) << first.err;
    EXPECT_EQ(again.code, 0) << again.err;
    EXPECT_EQ(here.code, 0) << here.err;
    EXPECT_EQ(Text(dir / "work/out/a.txt"), "new a");
    EXPECT_EQ(Text(dir / "work/a.txt"), "new a");
    EXPECT_EQ(Text(dir / "work/data/level1.map"), "map 1");
}

TEST(Extract, a_folder_given_as_the_archive_says_so) {
    TempFolder dir;
    for (const char* command : {"list", "verify", "extract", "cat"}) {
        std::vector<std::string> args = {command, dir.path().string()};
        if (std::string(command) == "cat") args.push_back("x");
        Outcome o = Dta(args);
        EXPECT_EQ(o.code, 1) << command;
        EXPECT_NE(o.err.find("is a folder, not an archive"), std::string::npos) << o.err;
    }
}
