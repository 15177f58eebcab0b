#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "dta/dta.h"
#include "installer/engine/install_script.h"
#include "dta/pack/packer.h"

namespace fs = std::filesystem;
using installer::Setting;

namespace {

// The settings every script that start-up takes must set.
const std::string kRequired =
    "var game_name Korvo\nvar reg_path \"Software\\Korvo\"\nvar reg_idir_key InstallDir\n"
    "var reg_version_key Version\nvar version 1.0\n";

// Runs each test in a folder of its own, since the script is looked for in
// the current folder first.
class InstallScriptReader : public testing::Test {
protected:
    void SetUp() override {
        previous_ = fs::current_path();
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        folder_ = fs::temp_directory_path() / ("korvo_script_" + std::to_string(stamp));
        fs::create_directories(folder_);
        fs::current_path(folder_);
    }
    void TearDown() override {
        fs::current_path(previous_);
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    static void WriteFile(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }

    // An archive holding `script` as idata.txt (LZ blocks, scrambled).
    std::string PackScript(const std::string& script) {
        dta::pack::PackInput input;
        input.name = "idata.txt";
        input.data.assign(script.begin(), script.end());
        input.method = dta::pack::Method::Lz;
        std::vector<uint8_t> image;
        std::string error;
        EXPECT_TRUE(dta::pack::BuildArchive({input}, dta::pack::kDefaultKey1, dta::pack::kDefaultKey2, &image,
                                            &error))
            << error;
        std::string path = (folder_ / "PWdata.dta").string();
        WriteFile(path, std::string(image.begin(), image.end()));
        return path;
    }

    installer::SettingsTable settings_;
    installer::ScriptLists lists_;
    installer::InstallerFolders folders_;
    installer::InstallScriptTarget target_{settings_, lists_, folders_};

private:
    fs::path previous_;
    fs::path folder_;
};

}  // namespace

TEST_F(InstallScriptReader, reads_a_plain_script_file_and_fails_on_a_missing_or_empty_one) {
    settings_.Set(Setting::Version, "1.0");
    EXPECT_EQ(installer::ReadInstallScript(target_).status, installer::ScriptStatus::Unreadable);
    WriteFile("idata.txt", "");
    EXPECT_EQ(installer::ReadInstallScript(target_).status, installer::ScriptStatus::Unreadable);
    EXPECT_STREQ(settings_.Text(Setting::Version), "1.0");

    WriteFile("idata.txt",
              kRequired + "var game_name Gold\r\ndst_path C:\\Korvo\r\nadd_file a.dta a.dta 1 0\r\n");
    int32_t before = dtaOpen("idata.txt", 0);
    ASSERT_GE(before, 0);
    dtaClose(before);
    ASSERT_TRUE(installer::ReadInstallScript(target_).Ok());
    EXPECT_STREQ(settings_.Text(Setting::GameName), "Gold");
    EXPECT_STREQ(folders_.Destination(), "C:\\Korvo\\");
    ASSERT_EQ(lists_.addFile.size(), 1u);
    // The reader closed its handle: the next open gets the same lowest slot back.
    int32_t after = dtaOpen("idata.txt", 0);
    EXPECT_EQ(after, before);
    dtaClose(after);
}

TEST_F(InstallScriptReader, reads_a_script_of_several_blocks_from_the_archive_and_prefers_a_plain_file) {
    std::string script = kRequired + "var version 2.0\n";
    for (int i = 0; i < 2000; ++i) script += "add_file data\\file" + std::to_string(i) + ".bin same 1 0\n";
    ASSERT_GT(script.size(), 2u * 32768u);
    Dta_read* archive = dtaCreate(PackScript(script).c_str());
    ASSERT_NE(archive, nullptr);
    ASSERT_TRUE(archive->LoadDirectory(dta::pack::kDefaultKey1, dta::pack::kDefaultKey2));

    ASSERT_TRUE(installer::ReadInstallScript(target_).Ok());
    EXPECT_STREQ(settings_.Text(Setting::Version), "2.0");
    ASSERT_EQ(lists_.addFile.size(), 2000u);
    EXPECT_STREQ(lists_.addFile[1999]->firstName, "data\\file1999.bin");

    WriteFile("idata.txt", kRequired + "var version 3.0\n");
    ASSERT_TRUE(installer::ReadInstallScript(target_).Ok());
    EXPECT_STREQ(settings_.Text(Setting::Version), "3.0");
    archive->Release();
}

TEST_F(InstallScriptReader, a_damaged_or_incomplete_script_is_refused_with_its_reason_and_changes_nothing) {
    // A bad line deep in an archived script of several blocks.
    std::string script = kRequired;
    for (int i = 0; i < 2000; ++i) script += "add_file data\\file" + std::to_string(i) + ".bin same 1 0\n";
    script += "add_file data\\last.bin ..\\..\\last.bin 1 0\n";
    Dta_read* archive = dtaCreate(PackScript(script).c_str());
    ASSERT_NE(archive, nullptr);
    ASSERT_TRUE(archive->LoadDirectory(dta::pack::kDefaultKey1, dta::pack::kDefaultKey2));
    installer::ScriptResult result = installer::ReadInstallScript(target_);
    EXPECT_EQ(result.status, installer::ScriptStatus::Damaged);
    EXPECT_EQ(result.line, 2006u);
    EXPECT_EQ(result.reason, "add_file name \"..\\..\\last.bin\" is not a relative name inside its folder");
    EXPECT_TRUE(lists_.addFile.empty());
    EXPECT_STREQ(settings_.Text(Setting::GameName), "");
    archive->Release();

    // Every line good, a required setting missing.
    WriteFile("idata.txt", "var game_name Korvo\nadd_file a.dta a.dta 1 0\n");
    result = installer::ReadInstallScript(target_);
    EXPECT_EQ(result.status, installer::ScriptStatus::Damaged);
    EXPECT_EQ(result.line, 0u);
    EXPECT_EQ(result.reason, "the setting reg_path is not set");
    EXPECT_TRUE(lists_.addFile.empty());
}
