#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "disc/archive_reader.h"
#include "disc/check.h"
#include "disc/cli.h"
#include "disc/iso_image.h"
#include "installer/engine/installer_flow.h"
#include "tests/disc/disc_set_builder.h"

using disctest::Demo;

namespace fs = std::filesystem;

namespace {

struct Built {
    int code = -1;
    std::string out;
};

Built Build(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    Built built;
    built.code = disc::RunKorvoDisc(args, out, err);
    built.out = out.str() + err.str();
    return built;
}

std::string CheckListing(const std::string& root) {
    std::vector<disc::DiscFolder> discs;
    std::string error;
    EXPECT_TRUE(disc::GatherDiscs({root}, &discs, &error)) << error;
    disc::Findings findings;
    std::vector<std::string> notes;
    disc::CheckDiscSet(discs, &findings, &notes);
    std::string text;
    for (const disc::Finding& f : findings.All()) text += disc::Format(f) + "\n";
    return text;
}

std::string ScriptOf(const fs::path& disc1) {
    disc::ArchiveReader data;
    std::string error;
    EXPECT_TRUE(data.Open((disc1 / "PWdata.dta").string(), installer::kDataArchiveKey1,
                          installer::kDataArchiveKey2, &error))
        << error;
    std::vector<uint8_t> bytes;
    bool found = false;
    EXPECT_TRUE(data.Read("idata.txt", &bytes, &found, &error)) << error;
    return std::string(bytes.begin(), bytes.end());
}

// Only the finished set is left beside OUT: no half-built folder.
std::vector<std::string> Beside(const fs::path& out) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(out.parent_path()))
        names.push_back(entry.path().filename().string());
    return names;
}

}  // namespace

TEST(DiscBuild, the_demo_projects_become_sets_that_check_clean_with_measured_sizes) {
    for (Demo demo : {Demo::OneDisc, Demo::TwoDiscs, Demo::Patch}) {
        SCOPED_TRACE(static_cast<int>(demo));
        dtatest::TempFolder folder;
        disctest::LayOutProject(demo, folder.Path("project"));
        const fs::path out = folder.Path("work/out");
        fs::create_directories(out.parent_path());
        const Built built = Build({"build", folder.Path("project"), out.string()});
        ASSERT_EQ(built.code, disc::kExitOk) << built.out;
        EXPECT_NE(built.out.find("wrote request_space_full = "), std::string::npos) << built.out;
        EXPECT_EQ(CheckListing(out.string()), "");
        EXPECT_EQ(Beside(out), std::vector<std::string>{"out"});

        const std::string script = ScriptOf(out / "disc1");
        EXPECT_NE(script.find("\r\n"), std::string::npos);  // Windows line ends
        // The demo's placeholder was replaced where it stood.
        EXPECT_EQ(script.find("request_space_full = 8388608"), std::string::npos);
        if (demo == Demo::TwoDiscs) {
            EXPECT_TRUE(fs::exists(out / "disc2/data/levels/level2.map"));
            EXPECT_TRUE(fs::exists(out / "disc2/bilboard1.dta"));
            EXPECT_TRUE(fs::exists(out / "disc2/EAX3/setup.exe"));
        }
        if (demo == Demo::Patch) {
            EXPECT_TRUE(fs::exists(out / "disc1/patch/a8.dta"));
            EXPECT_NE(script.find("request_space_backup = "), std::string::npos);
            EXPECT_EQ(script.find("request_space_backup = 4194304"), std::string::npos);
        }
    }
}

TEST(DiscBuild, wrong_input_leaves_no_set_and_names_the_reason) {
    dtatest::TempFolder folder;
    disctest::LayOutProject(Demo::OneDisc, folder.Path("project"));
    const fs::path out = folder.Path("work/out");
    fs::create_directories(out.parent_path());

    // A file the script names is missing.
    fs::remove(folder.Path("project/files/korvo.ini"));
    Built missing = Build({"build", folder.Path("project"), out.string()});
    EXPECT_EQ(missing.code, disc::kExitFailed);
    EXPECT_NE(missing.out.find("idata.txt:"), std::string::npos) << missing.out;
    EXPECT_NE(missing.out.find("add_file \"korvo.ini\" is not in"), std::string::npos) << missing.out;
    EXPECT_TRUE(Beside(out).empty());

    // The built set fails its check: the licence page would be empty.
    disctest::LayOutProject(Demo::OneDisc, folder.Path("project"));
    fs::remove(folder.Path("project/license.txt"));
    Built unchecked = Build({"build", folder.Path("project"), out.string()});
    EXPECT_EQ(unchecked.code, disc::kExitFailed);
    EXPECT_NE(unchecked.out.find(out.generic_string() + "/disc1/PWdata.dta: error: no license.txt"),
              std::string::npos)
        << unchecked.out;
    EXPECT_TRUE(Beside(out).empty());

    // A damaged script stops the build before anything is copied.
    disctest::LayOutProject(Demo::OneDisc, folder.Path("project"));
    dtatest::WriteFile(folder.Path("project/idata.txt"), {'a', 'd', 'd', '_', 'f', 'i', 'l', 'e', ' ', 'x',
                                                          ' ', '.', '.', '\\', 'x', ' ', '1', '\n'});
    Built damaged = Build({"build", folder.Path("project"), out.string()});
    EXPECT_EQ(damaged.code, disc::kExitFailed);
    EXPECT_NE(damaged.out.find("idata.txt:1: error:"), std::string::npos) << damaged.out;
    EXPECT_TRUE(Beside(out).empty());

    // An existing OUT is never replaced.
    fs::create_directories(out / "keep");
    disctest::LayOutProject(Demo::OneDisc, folder.Path("project2"));
    Built exists = Build({"build", folder.Path("project2"), out.string()});
    EXPECT_EQ(exists.code, disc::kExitFailed);
    EXPECT_NE(exists.out.find("exists already"), std::string::npos) << exists.out;
    EXPECT_TRUE(fs::exists(out / "keep"));

    EXPECT_EQ(Build({"build", folder.Path("project2")}).code, disc::kExitUsage);
}

namespace {

// Standard output and error of a shell command.
std::string Output(const std::string& command) {
    std::string text;
    if (FILE* pipe = popen(("(" + command + ") 2>&1").c_str(), "r")) {
        char buffer[4096];
        size_t got = 0;
        while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, got);
        pclose(pipe);
    }
    return text;
}

// Relative path -> bytes of every regular file below `root`.
std::map<std::string, dtatest::Bytes> Tree(const fs::path& root) {
    std::map<std::string, dtatest::Bytes> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), root).generic_string()] =
                dtatest::ReadFile(entry.path().string());
    }
    return files;
}

}  // namespace

TEST(DiscBuild, iso_images_carry_the_disc_label_and_every_file_byte_for_byte) {
    if (std::system("command -v xorriso >/dev/null 2>&1") != 0) GTEST_SKIP() << "no xorriso";
    dtatest::TempFolder folder;
    disctest::LayOutProject(Demo::TwoDiscs, folder.Path("project"));
    const fs::path out = folder.Path("out");
    const Built built = Build({"build", "--iso", folder.Path("project"), out.string()});
    ASSERT_EQ(built.code, disc::kExitOk) << built.out;
    for (int d = 1; d <= 2; ++d) {
        const std::string name = "disc" + std::to_string(d);
        const fs::path image = out / (name + ".iso");
        ASSERT_TRUE(fs::exists(image));
        EXPECT_NE(Output("xorriso -indev '" + image.string() + "' -pvd_info")
                      .find("Volume Id    : KORVO_CD_" + std::to_string(d)),
                  std::string::npos);
        const fs::path back = folder.Path("back" + std::to_string(d));
        Output("xorriso -osirrox on -indev '" + image.string() + "' -extract / '" + back.string() +
               "' && chmod -R u+w '" + back.string() + "'");
        std::map<std::string, dtatest::Bytes> expected = Tree(out / name);
        expected.erase(".windows-label");  // the image's volume label says it
        EXPECT_EQ(Tree(back), expected) << name;
    }

    // check reads the images as discs, their volume labels as the discs' labels.
    const std::string image1 = (out / "disc1.iso").string();
    const Built clean = Build({"check", "--strict", image1, (out / "disc2.iso").string()});
    EXPECT_EQ(clean.code, disc::kExitOk) << clean.out;
    std::string error;
    const std::string wrong = folder.Path("wrong.iso");
    ASSERT_TRUE(disc::WriteIsoImage((out / "disc2").string(), wrong, "KORVO_CD_1", &error)) << error;
    const Built mislabelled = Build({"check", image1, wrong});
    EXPECT_EQ(mislabelled.code, disc::kExitFailed);
    EXPECT_NE(mislabelled.out.find(
                  wrong + ": error: the volume label is \"KORVO_CD_1\", but validate_cd asks disc 2 for "
                          "KORVO_CD_2"),
              std::string::npos)
        << mislabelled.out;
    const Built notImage = Build({"check", folder.Path("project/idata.txt")});
    EXPECT_EQ(notImage.code, disc::kExitFailed);
    EXPECT_NE(notImage.out.find("not an ISO 9660 image"), std::string::npos) << notImage.out;
}

// The measured count includes PWdata.dta, whose size depends on the count
// written into it; across a change in the count's digits every build still
// settles on a count the check agrees with.
TEST(DiscBuild, the_data_archive_size_settles_for_every_count_across_a_digit_change) {
    dtatest::TempFolder folder;
    disctest::LayOutProject(Demo::OneDisc, folder.Path("project"));
    const fs::path game = folder.Path("project/files/Game.exe");
    auto measured = [&](int run) -> uint64_t {
        const fs::path out = folder.Path("out" + std::to_string(run));
        const Built built = Build({"build", "-q", folder.Path("project"), out.string()});
        EXPECT_EQ(built.code, disc::kExitOk)
            << "Game.exe of " << fs::file_size(game) << " bytes: " << built.out;
        if (built.code != disc::kExitOk) return 0;
        EXPECT_EQ(CheckListing(out.string()), "");
        const std::string script = ScriptOf(out / "disc1");
        const size_t at = script.find("request_space_full = ");
        return at == std::string::npos ? 0 : std::stoull(script.substr(at + 21));
    };
    const uint64_t first = measured(0);
    ASSERT_GT(first, 0u);
    uint64_t power = 10;
    while (power <= first) power *= 10;
    // Game.exe grown so that the count runs from below `power` to above it.
    constexpr int kBuilds = 24;
    const uint64_t start = fs::file_size(game) + (power - first) - kBuilds / 2;
    int crossed = 0;
    for (int n = 0; n < kBuilds; ++n) {
        dtatest::WriteFile(game.string(), dtatest::Pattern(start + n, 7));
        const uint64_t full = measured(n + 1);
        if (full >= power) ++crossed;
    }
    EXPECT_GT(crossed, 0);
    EXPECT_LT(crossed, kBuilds);
}

// The installer given with --installer is disc 1's PWsetup.exe, also where
// an add_file line installs that file (the uninstaller): the line is measured
// on it, not on a PWsetup.exe of another size that the project's files hold.
TEST(DiscBuild, an_installer_given_apart_is_the_one_the_script_measures) {
    dtatest::TempFolder folder;
    disctest::LayOutProject(Demo::OneDisc, folder.Path("project"));
    ASSERT_TRUE(fs::exists(folder.Path("project/files/PWsetup.exe")));
    const fs::path installer = folder.Path("newer/PWsetup.exe");
    fs::create_directories(installer.parent_path());
    {
        std::ofstream file(installer, std::ios::binary);
        file << std::string(fs::file_size(folder.Path("project/files/PWsetup.exe")) + 8192, 'x');
    }
    const fs::path out = folder.Path("out");
    const Built built = Build({"build", "--installer", installer.string(), folder.Path("project"), out.string()});
    ASSERT_EQ(built.code, disc::kExitOk) << built.out;
    EXPECT_EQ(CheckListing(out.string()), "");
    EXPECT_EQ(fs::file_size(out / "disc1/PWsetup.exe"), fs::file_size(installer));
}
