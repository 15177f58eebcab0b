#include <gtest/gtest.h>

#include <cstring>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "dta/format.h"
#include "tests/tools/run_dta.h"
#include "tests/tools/temp_folder.h"
#include "tools/cli.h"
#include "tools/command.h"
#include "dta/pack/packer.h"
#include "tools/safe_path.h"

using namespace dta::tools;
using namespace dta::pack;
namespace fs = std::filesystem;

namespace {

// Packs hand-named entries directly, for names the file system cannot carry.
std::string PackNames(const TempFolder& dir, const std::vector<std::string>& names) {
    std::vector<PackInput> inputs;
    for (const std::string& n : names) {
        PackInput in;
        in.name = n;
        in.data = Bytes("data of " + n);
        inputs.push_back(in);
    }
    std::vector<uint8_t> image;
    std::string error;
    EXPECT_TRUE(BuildArchive(inputs, kDefaultKey1, kDefaultKey2, &image, &error)) << error;
    return dir.Write("names.dta", image);
}

}  // namespace

TEST(Cli, pack_list_cat_extract_verify_a_folder) {
    TempFolder dir;
    dir.Write("src/readme.txt", Bytes(std::string(3000, 'r')));
    dir.Write("src/data/level1.map", Bytes("map"));
    // Entries of whole blocks only, one and two.
    dir.Write("src/one.bin", Bytes(std::string(32768, '1')));
    dir.Write("src/two.bin", Bytes(std::string(65536, '2')));
    const std::string archive = dir / "out.dta";

    Outcome pack = Dta({"pack", "--method", "lz", archive, "-C", dir / "src", "."});
    ASSERT_EQ(pack.code, 0) << pack.err;

    Outcome list = Dta({"list", archive});
    EXPECT_EQ(list.code, 0);
    EXPECT_NE(list.out.find("data\\level1.map"), std::string::npos);
    EXPECT_NE(list.out.find("readme.txt"), std::string::npos);
    EXPECT_NE(list.out.find("lz"), std::string::npos);

    Outcome cat = Dta({"cat", archive, "DATA\\LEVEL1.MAP"});
    EXPECT_EQ(cat.code, 0);
    EXPECT_EQ(cat.out, "map");

    Outcome extract = Dta({"extract", "-C", dir / "x", archive});
    EXPECT_EQ(extract.code, 0) << extract.err;
    EXPECT_EQ(TempFolder::Read(dir / "x/data/level1.map"), Bytes("map"));
    EXPECT_EQ(TempFolder::Read(dir / "x/readme.txt").size(), 3000u);
    EXPECT_EQ(TempFolder::Read(dir / "x/one.bin"), Bytes(std::string(32768, '1')));
    EXPECT_EQ(TempFolder::Read(dir / "x/two.bin"), Bytes(std::string(65536, '2')));

    Outcome verify = Dta({"verify", archive});
    EXPECT_EQ(verify.code, 0) << verify.out;
}

TEST(Cli, options_apply_to_the_files_after_them) {
    TempFolder dir;
    const std::string a = dir.Write("a.txt", Bytes(std::string(100, 'a')));
    const std::string b = dir.Write("b.txt", Bytes(std::string(100, 'b')));
    const std::string archive = dir / "o.dta";
    Outcome pack = Dta({"pack", "--key1", "0x1234", "--key2", "abcd", archive, "-C", dir.path().string(),
                        "--method", "stored", "--no-scramble", "a.txt", "--method", "lz", "--scramble",
                        "--as", "folder/named.txt", b});
    ASSERT_EQ(pack.code, 0) << pack.err;
    Outcome list = Dta({"list", "--key1", "1234", "--key2", "ABCD", archive});
    ASSERT_EQ(list.code, 0) << list.err;
    std::istringstream lines(list.out);
    std::string line, aLine, bLine;
    while (std::getline(lines, line)) {
        if (line.find("a.txt") != std::string::npos) aLine = line;
        if (line.find("folder\\named.txt") != std::string::npos) bLine = line;
    }
    EXPECT_NE(aLine.find(" stored "), std::string::npos) << aLine;
    EXPECT_NE(aLine.find(" --- "), std::string::npos) << aLine;
    EXPECT_NE(bLine.find(" lz "), std::string::npos) << bLine;
    EXPECT_NE(bLine.find(" s-- "), std::string::npos) << bLine;
    // The default key words open nothing here.
    EXPECT_NE(Dta({"cat", archive, "a.txt"}).code, 0);
}

TEST(Cli, failed_pack_writes_nothing_and_keeps_the_old_archive) {
    TempFolder dir;
    const std::string archive = dir / "keep.dta";
    dir.Write("keep.dta", Bytes("old contents"));
    const std::string good = dir.Write("good.txt", Bytes("x"));

    Outcome missing = Dta({"pack", archive, good, dir / "no-such-file"});
    EXPECT_NE(missing.code, 0);
    EXPECT_FALSE(missing.err.empty());
    Outcome twice = Dta({"pack", archive, "-C", dir.path().string(), "good.txt", "--as", "GOOD.TXT", good});
    EXPECT_NE(twice.code, 0);
    Outcome notWave = Dta({"pack", "--method", "wave", archive, good});
    EXPECT_NE(notWave.code, 0);
    Outcome unwritable = Dta({"pack", dir / "no-folder/new.dta", good});
    EXPECT_NE(unwritable.code, 0);

    EXPECT_EQ(TempFolder::Read(archive), Bytes("old contents"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

TEST(Cli, usage_errors_and_help) {
    EXPECT_EQ(Dta({"--help"}).code, 0);
    EXPECT_NE(Dta({"--help"}).out.find("dta pack"), std::string::npos);
    EXPECT_EQ(Dta({}).code, 2);
    EXPECT_EQ(Dta({"frobnicate", "x"}).code, 2);
    EXPECT_EQ(Dta({"list"}).code, 2);
    EXPECT_EQ(Dta({"list", "--key1", "xyz", "a.dta"}).code, 2);
    EXPECT_EQ(Dta({"pack", "--method", "zip", "a.dta", "b"}).code, 2);
    TempFolder dir;
    const std::string notArchive = dir.Write("plain.dta", Bytes("PWD1 and more"));
    Outcome list = Dta({"list", notArchive});
    EXPECT_EQ(list.code, 1);
    EXPECT_NE(list.err.find("not a .dta archive"), std::string::npos);
    EXPECT_EQ(Dta({"cat", notArchive, "x"}).code, 1);

    // Help for every command, both ways; the version; the honest word on
    // what verify cannot see.
    EXPECT_NE(Dta({"--help"}).out.find("payload damage can't be detected: the format has no checksums"),
              std::string::npos);
    EXPECT_NE(Dta({"help", "verify"}).out.find("Payload damage can't be detected"), std::string::npos);
    for (const char* command : {"list", "verify", "cat", "extract", "pack"}) {
        Outcome help = Dta({"help", command});
        EXPECT_EQ(help.code, 0) << command;
        EXPECT_NE(help.out.find(std::string("Usage: dta ") + command), std::string::npos) << help.out;
        EXPECT_EQ(Dta({command, "--help"}).out, help.out) << command;
    }
    EXPECT_EQ(Dta({"help", "frobnicate"}).code, 2);
    Outcome version = Dta({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out.compare(0, 4, "dta "), 0) << version.out;
    EXPECT_EQ(Dta({"list", "-v", "-q", notArchive}).code, 2);
    // -v is offered only where it names more: list, verify and cat refuse it.
    for (const char* command : {"list", "verify", "cat"}) {
        Outcome verbose = Dta({command, "-v", notArchive, "a"});
        EXPECT_EQ(verbose.code, 2) << command;
        EXPECT_NE(verbose.err.find("-v"), std::string::npos) << command << verbose.err;
        EXPECT_EQ(Dta({"help", command}).out.find("--verbose"), std::string::npos) << command;
    }
    EXPECT_NE(Dta({"help", "extract"}).out.find("--verbose"), std::string::npos);
    // A name that starts with a slash is a path on every system, not an option.
    Outcome rooted = Dta({"list", "/no/such/archive.dta"});
    EXPECT_EQ(rooted.code, 1) << rooted.err;
    EXPECT_NE(rooted.err.find("cannot open /no/such/archive.dta: "), std::string::npos) << rooted.err;
}

TEST(Cli, extract_never_writes_outside_the_folder) {
    TempFolder dir;
    const std::string archive =
        PackNames(dir, {"ok\\inside.txt", "..\\escape.txt", "a\\..\\..\\escape2.txt", "\\rooted.txt",
                        "/rooted2.txt", "C:\\drive.txt", "c:drive2.txt", "a\\\\double.txt"});
    fs::create_directories(dir.path() / "out");
    Outcome extract = Dta({"extract", "-C", dir / "out", archive});
    EXPECT_EQ(extract.code, 1);
    EXPECT_EQ(TempFolder::Read(dir / "out/ok/inside.txt"), Bytes("data of ok\\inside.txt"));
    // Only the accepted entry landed, and nothing outside "out".
    size_t files = 0;
    for (const auto& e : fs::recursive_directory_iterator(dir.path()))
        if (e.is_regular_file()) ++files;
    EXPECT_EQ(files, 2u);  // names.dta and out/ok/inside.txt
    EXPECT_NE(extract.err.find("..\\escape.txt"), std::string::npos);
}

TEST(Cli, split_entry_name_accepts_only_plain_relative_names) {
    std::vector<std::string> parts;
    EXPECT_TRUE(SplitEntryName("a\\b/c.txt", &parts));
    EXPECT_EQ(parts, (std::vector<std::string>{"a", "b", "c.txt"}));
    EXPECT_TRUE(SplitEntryName("..data", &parts));
    for (const char* bad : {"", "\\x", "x\\", ".", "..", "a\\.\\b", "a\\..", "C:x", "a\\\\b"})
        EXPECT_FALSE(SplitEntryName(bad, &parts)) << bad;
}

TEST(Cli, one_name_rule_gives_the_real_reason) {
    const std::pair<const char*, const char*> cases[] = {
        {"b 2024-01-01 12:00.log", "':' is not allowed in a name"},
        {"dir\\", "trailing backslash"},
        {"\\abs", "the name is absolute (leading backslash)"},
        {"C:\\x", "':' is not allowed in a name"},
        {"..\\evil.txt", "a '..' part leaves the folder"},
        {".\\x", "a '.' part in the name"},
        {"a\\\\b", "two backslashes in a row"},
        {"line\nbreak", "control characters are not allowed in a name"},
        {"", "the name is empty"},
    };
    for (const auto& [name, reason] : cases) EXPECT_EQ(EntryNameProblem(name), reason) << name;
    EXPECT_EQ(EntryNameProblem(std::string("a\0b", 3)), "a NUL byte is not allowed in a name");
    EXPECT_EQ(EntryNameProblem(std::string(260, 'x')), "the name is longer than 259 bytes");
    EXPECT_EQ(EntryNameProblem(std::string(259, 'x')), "");
    EXPECT_EQ(EntryNameProblem("data\\maps\\..a.map"), "");

    // Extract gives the same reason; --as refuses what extract would.
    TempFolder dir;
    const std::string archive = PackNames(dir, {"x:y.txt", "ok.txt"});
    const Outcome extract = Dta({"extract", "-C", dir.path().string(), archive});
    EXPECT_EQ(extract.code, 1);
    EXPECT_NE(extract.err.find("refused: ':' is not allowed in a name"), std::string::npos) << extract.err;
    dir.Write("in.txt", Bytes("i"));
    for (const char* as : {"..\\evil.txt", "\\abs", "C:\\x", "a\nb"}) {
        const Outcome pack = Dta({"pack", "-q", dir / "as.dta", "--as", as, dir / "in.txt"});
        EXPECT_EQ(pack.code, 1) << as;
        EXPECT_NE(pack.err.find("refused: " + EntryNameProblem(as)), std::string::npos) << pack.err;
        EXPECT_FALSE(fs::exists(dir / "as.dta"));
    }
}

TEST(Cli, a_garbage_directory_is_given_up_early_with_one_summary_line) {
    TempFolder dir;
    // A sound header, then a directory of zeros: unscrambled, its keys
    // alternate between two values, so the order breaks at entry 1.
    namespace format = dta::format;
    const size_t claimed = 40000;
    std::vector<uint8_t> garbage(format::kMagicSize + format::archive_header::kSize + claimed * 28, 0);
    std::memcpy(garbage.data(), "PWD0", 4);
    uint8_t* header = garbage.data() + format::archive_header::kOffset;
    format::WriteLe32(header + format::archive_header::kDirectoryOffset, 20);
    format::WriteLe32(header + format::archive_header::kDirectorySize, claimed * 28);
    format::ScrambleRun(header, format::archive_header::kSize, format::MakeKey(kDefaultKey1, kDefaultKey2));
    const std::string archive = dir.Write("garbage.dta", garbage);
    for (const char* command : {"list", "verify"}) {
        const Outcome run = Dta({command, archive});
        EXPECT_EQ(run.code, 1) << command;
        EXPECT_NE(run.err.find("directory not sorted by lookup key"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("directory entries from there on were not read"), std::string::npos)
            << run.err;
        size_t lines = 0;
        for (char c : run.out + run.err) lines += c == '\n';
        EXPECT_LT(lines, 10u) << command;
    }
}

TEST(Cli, control_characters_in_names_are_shown_escaped) {
    TempFolder dir;
    const std::string archive = PackNames(dir, {"a\nb   1 entry", "title\033]0;owned\007.txt", "tab\there"});
    for (const char* command : {"list", "verify"}) {
        const Outcome run = Dta({command, archive});
        const std::string all = run.out + run.err;
        EXPECT_EQ(all.find('\033'), std::string::npos) << command;
        EXPECT_EQ(all.find('\007'), std::string::npos) << command;
        EXPECT_EQ(all.find('\t'), std::string::npos) << command;
        EXPECT_NE(all.find("a\\nb   1 entry"), std::string::npos) << all;
        EXPECT_NE(all.find("title\\033]0;owned\\a.txt"), std::string::npos) << all;
        EXPECT_NE(all.find("tab\\there"), std::string::npos) << all;
    }
    // Extract refuses the names, and its messages escape them too.
    const Outcome extract = Dta({"extract", "-C", dir.path().string(), archive});
    EXPECT_EQ(extract.code, 1);
    EXPECT_EQ(extract.err.find('\033'), std::string::npos);
    EXPECT_NE(extract.err.find("(a\\nb   1 entry): refused: control characters"), std::string::npos)
        << extract.err;
    EXPECT_EQ(Escaped(std::string("\x01\x7f\r", 3)), "\\001\\177\\r");
}

TEST(Cli, help_help_a_missing_entry_name_and_the_time_zone_are_plain) {
    const Outcome help = Dta({"help", "help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out, Dta({"help"}).out);
    TempFolder dir;
    const std::string archive = PackNames(dir, {"a.txt"});
    const Outcome cat = Dta({"cat", archive});
    EXPECT_EQ(cat.code, 2);
    EXPECT_NE(cat.err.find("no entry name given"), std::string::npos) << cat.err;
    EXPECT_NE(Dta({"list", archive}).out.find("time (UTC)"), std::string::npos);
}

TEST(Cli, verify_reports_a_damaged_entry) {
    TempFolder dir;
    dir.Write("src/good.txt", Bytes(std::string(5000, 'g')));
    dir.Write("src/bad.txt", Bytes(std::string(5000, 'b')));
    const std::string archive = dir / "v.dta";
    ASSERT_EQ(Dta({"pack", "--method", "lz", "--no-scramble", archive, "-C", dir / "src", "."}).code, 0);
    ASSERT_EQ(Dta({"verify", archive}).code, 0);

    // bad.txt's LZ body starts with a run of 4111 'b'; turning its escape
    // into a back-reference points 4095 bytes before the block's start.
    std::vector<uint8_t> f = TempFolder::Read(archive);
    const std::vector<uint8_t> runOfB = {0x00, 0x0F, 0xFF, 'b'};
    auto at = std::search(f.begin(), f.end(), runOfB.begin(), runOfB.end());
    ASSERT_NE(at, f.end());
    at[0] = 0xFF;
    at[1] = 0xFF;
    dir.Write("v.dta", f);

    Outcome verify = Dta({"verify", archive});
    EXPECT_EQ(verify.code, 1);
    // Each failure once, on standard error.
    EXPECT_NE(verify.err.find("(bad.txt): block 0: back-reference before the block start at byte "),
              std::string::npos)
        << verify.err;
    EXPECT_EQ(verify.out.find("bad.txt"), std::string::npos) << verify.out;
    EXPECT_NE(verify.out.find("ok     good.txt"), std::string::npos) << verify.out;
}
