// `dta pack` as a user runs it: entry names, the archive itself in the
// folder, lossless default and explicit wave coding, threads, standard
// output, and what a failure leaves behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "dta/format.h"
#include "tests/tools/run_dta.h"
#include "tests/tools/temp_folder.h"
#include "dta/pack/wave_file.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Noisy(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> out(n);
    for (size_t i = 0; i < n; ++i)
        out[i] = (i / 700) % 2 ? static_cast<uint8_t>(rng()) : static_cast<uint8_t>(i / 9);
    return out;
}

// A 16-bit mono sound with steps too steep for the delta coder to follow.
std::vector<uint8_t> HarshSound(size_t frames) {
    std::vector<uint8_t> f(dta::format::wave_header::kSize + 2 * frames);
    dta::pack::WriteWaveHeader(f.data(), 1, 22050, 16, static_cast<uint32_t>(2 * frames));
    std::mt19937 rng(5);
    for (size_t i = 0; i < frames; ++i)
        dta::format::WriteLe16(&f[dta::format::wave_header::kSize + 2 * i], static_cast<uint16_t>(rng()));
    return f;
}

std::vector<std::string> Names(const std::string& listing) {
    std::vector<std::string> names;
    std::istringstream lines(listing);
    std::string line;
    std::getline(lines, line);  // the column heads
    while (std::getline(lines, line))
        if (line.size() > 63) names.push_back(line.substr(63));
    return names;
}

}  // namespace

TEST(Pack, names_entries_as_tar_does) {
    TempFolder dir;
    dir.Write("src/readme.txt", Bytes("r"));
    dir.Write("src/sub/deep.txt", Bytes("d"));
    const std::string archive = dir / "out.dta";
    using V = std::vector<std::string>;

    // A folder under its own name; -C reads the names after it in a folder.
    ASSERT_EQ(Dta({"pack", "-q", archive, "-C", dir.path().string(), "src"}).code, 0);
    EXPECT_EQ(Names(Dta({"list", archive}).out), (V{"src\\readme.txt", "src\\sub\\deep.txt"}));
    ASSERT_EQ(Dta({"pack", "-q", archive, "-C", dir / "src", "."}).code, 0);
    EXPECT_EQ(Names(Dta({"list", archive}).out), (V{"readme.txt", "sub\\deep.txt"}));
    // Names are read lexically; --as names the next file.
    ASSERT_EQ(Dta({"pack", "-q", archive, "-C", dir.path().string(), "src/./sub/../readme.txt", "--as",
                   "x/y.txt", "src/sub/deep.txt"})
                  .code,
              0);
    EXPECT_EQ(Names(Dta({"list", archive}).out), (V{"src\\readme.txt", "x\\y.txt"}));
    // A root or drive is dropped, with a warning.
    Outcome rooted = Dta({"pack", "-q", archive, dir / "src/readme.txt"});
    ASSERT_EQ(rooted.code, 0) << rooted.err;
    EXPECT_NE(rooted.err.find("warning: removed the leading root"), std::string::npos) << rooted.err;
    const V names = Names(Dta({"list", archive}).out);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_NE(names[0].find("\\src\\readme.txt"), std::string::npos);
    EXPECT_NE(names[0].find(':'), 0u);
    EXPECT_NE(names[0][0], '\\');
}

TEST(Pack, double_dash_ends_the_options_and_list_sorts_by_name_or_key) {
    TempFolder dir;
    dir.Write("src/-b.txt", Bytes("dash"));
    dir.Write("src/zz.txt", Bytes("z"));
    dir.Write("src/a.txt", Bytes("a"));
    const std::string archive = dir / "d.dta";
    Outcome pack = Dta({"pack", "-q", archive, "-C", dir / "src", "--", "zz.txt", "-b.txt", "a.txt"});
    ASSERT_EQ(pack.code, 0) << pack.err;
    EXPECT_EQ(Dta({"cat", archive, "--", "-B.TXT"}).out, "dash");
    using V = std::vector<std::string>;
    EXPECT_EQ(Names(Dta({"list", archive}).out), (V{"-b.txt", "a.txt", "zz.txt"}));
    // Lookup keys: the length, then the byte sum of the upper-cased name.
    EXPECT_EQ(Names(Dta({"list", "--sort=key", archive}).out), (V{"a.txt", "-b.txt", "zz.txt"}));
}

TEST(Pack, never_packs_the_archive_it_writes) {
    TempFolder dir;
    dir.Write("data/a.txt", Bytes("a"));
    const std::string archive = dir / "data/self.dta";
    // The first time the archive doesn't exist yet; the second time it does.
    for (int round = 0; round < 2; ++round) {
        Outcome pack = Dta({"pack", archive, "-C", dir / "data", "."});
        ASSERT_EQ(pack.code, 0) << pack.err;
        EXPECT_EQ(Names(Dta({"list", archive}).out), std::vector<std::string>{"a.txt"});
        EXPECT_EQ(pack.err.find("self.dta") != std::string::npos, round == 1) << pack.err;
    }
}

TEST(Pack, is_lossless_unless_wave_coding_is_asked_for) {
    TempFolder dir;
    const std::vector<uint8_t> sound = HarshSound(30000);
    dir.Write("src/sound.wav", sound);
    dir.Write("src/notes.txt", Bytes("not a sound"));
    const std::string archive = dir / "s.dta";

    Outcome plain = Dta({"pack", archive, "-C", dir / "src", "."});
    ASSERT_EQ(plain.code, 0) << plain.err;
    EXPECT_EQ(plain.out.find("wave-coded"), std::string::npos) << plain.out;
    EXPECT_EQ(Bytes(Dta({"cat", archive, "sound.wav"}).out), sound);
    EXPECT_NE(LineWith(Dta({"list", archive}).out, "sound.wav").find(" s-- "), std::string::npos);

    // Asked for by name, wave coding is printed per file; in a folder the
    // other files stay lossless.
    Outcome wave = Dta({"pack", archive, "--method", "wave", "-C", dir / "src", "."});
    ASSERT_EQ(wave.code, 0) << wave.err;
    EXPECT_NE(wave.out.find("wave-coded, lossy: sound.wav"), std::string::npos) << wave.out;
    EXPECT_EQ(wave.out.find("notes.txt"), std::string::npos) << wave.out;
    const std::vector<uint8_t> back = Bytes(Dta({"cat", archive, "sound.wav"}).out);
    ASSERT_EQ(back.size(), sound.size());
    EXPECT_NE(back, sound);
    EXPECT_EQ(Dta({"cat", archive, "notes.txt"}).out, "not a sound");
    // list and verify show which entries are lossy.
    Outcome list = Dta({"list", archive});
    EXPECT_NE(LineWith(list.out, "sound.wav").find(" swl "), std::string::npos) << list.out;
    EXPECT_NE(LineWith(list.out, "notes.txt").find(" s-- "), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("2 entries, 1 lossy"), std::string::npos) << list.out;
    Outcome verify = Dta({"verify", archive});
    EXPECT_EQ(verify.code, 0);
    EXPECT_NE(verify.out.find("ok     sound.wav  (lossy)"), std::string::npos) << verify.out;
    EXPECT_NE(verify.out.find("1 of them lossy"), std::string::npos) << verify.out;
}

TEST(Pack, output_does_not_depend_on_the_thread_count) {
    TempFolder dir;
    for (int i = 0; i < 6; ++i) dir.Write("src/f" + std::to_string(i) + ".bin", Noisy(20000 + 30000 * i, i));
    dir.Write("src/sound.wav", HarshSound(50000));
    std::vector<std::vector<uint8_t>> images;
    for (const char* threads : {"1", "2", "7"}) {
        const std::string archive = dir / (std::string("t") + threads + ".dta");
        Outcome pack =
            Dta({"pack", "-q", "-j", threads, archive, "--method", "wave", "-C", dir / "src", "."});
        ASSERT_EQ(pack.code, 0) << pack.err;
        images.push_back(TempFolder::Read(archive));
    }
    EXPECT_EQ(images[0], images[1]);
    EXPECT_EQ(images[0], images[2]);
    EXPECT_EQ(Dta({"verify", "-q", dir / "t7.dta"}).code, 0);
}

TEST(Pack, writes_to_standard_output_when_asked) {
    TempFolder dir;
    dir.Write("src/a.txt", Bytes("alpha"));
    Outcome pack = Dta({"pack", "-o", "-", "-C", dir / "src", "a.txt"});
    ASSERT_EQ(pack.code, 0) << pack.err;
    ASSERT_EQ(pack.out.compare(0, 4, "PWD0"), 0);
    EXPECT_NE(pack.err.find("packed 1 entry into standard output"), std::string::npos);
    const std::string archive = dir.Write("copy.dta", Bytes(pack.out));
    EXPECT_EQ(Dta({"cat", archive, "a.txt"}).out, "alpha");
    // Nothing is left in the folder but what was there.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

TEST(Pack, never_replaces_a_folder) {
    TempFolder dir;
    fs::create_directories(dir.path() / "emptydir");
    const std::string file = dir.Write("a.txt", Bytes("a"));
    Outcome pack = Dta({"pack", dir / "emptydir", file});
    EXPECT_EQ(pack.code, 1);
    EXPECT_NE(pack.err.find("is a folder"), std::string::npos) << pack.err;
    EXPECT_TRUE(fs::is_directory(dir.path() / "emptydir"));
    EXPECT_TRUE(fs::is_empty(dir.path() / "emptydir"));
}
