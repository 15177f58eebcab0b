#include "installer/system/install_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/tools/temp_folder.h"

namespace installer {
namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class InstallLogTest : public testing::Test {
protected:
    void SetUp() override { ResetInstallLog(); }
    void TearDown() override { ResetInstallLog(); }
    TempFolder folder_;
};

TEST_F(InstallLogTest, lines_wait_for_the_file_then_go_to_it_one_line_each_with_time_and_kind) {
    LogLine(LogKind::Run, "command line %s", "D:\\ /S");
    EXPECT_NE(HeldInstallLogLines().find("  run  command line D:\\ /S"), std::string::npos);
    const std::string path = (folder_ / "Korvo install.log");
    ASSERT_TRUE(SetInstallLogFile(path));
    EXPECT_EQ(HeldInstallLogLines(), "");
    LogLine(LogKind::Message, "91 \"Can not read file\r\nCD 1\": %s", "Cancel");
    LogLine(LogKind::File, "%s", std::string(3000, 'x').c_str());  // longer than the line buffer
    // A second file is ignored: a run has one log.
    EXPECT_TRUE(SetInstallLogFile((folder_ / "other.log")));
    EXPECT_FALSE(std::filesystem::exists((folder_ / "other.log")));

    std::istringstream text(ReadAll(path));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();  // Windows ends lines with CR LF
        lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(12), "  run  command line D:\\ /S");
    EXPECT_EQ(lines[1].substr(12), "  message  91 \"Can not read file | CD 1\": Cancel");
    EXPECT_EQ(lines[2].size(), 12 + 8 + 3000u);
    EXPECT_EQ(lines[0][2], ':');
    EXPECT_EQ(lines[0][8], '.');
}

TEST_F(InstallLogTest, a_file_that_cannot_be_written_is_reported_once_and_left_alone) {
    std::vector<std::string> reports;
    SetInstallLogFailureHandler([&reports](const std::string& path, const std::string& reason) {
        reports.push_back(path + ": " + reason);
        LogLine(LogKind::Failure, "the handler may log: the line is dropped");
    });
    LogLine(LogKind::Run, "before");
    const std::string path = (folder_ / "missing/folder/x.log");
    EXPECT_FALSE(SetInstallLogFile(path));
    LogLine(LogKind::Run, "after");
    ASSERT_EQ(reports.size(), 1u);
    // The system's reason follows the path (its wording is the system's).
    EXPECT_EQ(reports[0].rfind(path + ": ", 0), 0u) << reports[0];
    EXPECT_GT(reports[0].size(), path.size() + 4);
    EXPECT_EQ(HeldInstallLogLines(), "");
}

}  // namespace
}  // namespace installer
