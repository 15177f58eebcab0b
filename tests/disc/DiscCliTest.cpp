#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "disc/cli.h"
#include "tests/disc/disc_set_builder.h"

using disctest::Demo;
using disctest::DiscSetBuilder;

namespace {

struct ToolRun {
    int code = -1;
    std::string out;
    std::string err;
};

ToolRun RunTool(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    ToolRun run;
    run.code = disc::RunKorvoDisc(args, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(DiscCli, help_version_and_usage_errors) {
    ToolRun help = RunTool({"--help"});
    EXPECT_EQ(help.code, disc::kExitOk);
    EXPECT_TRUE(Has(help.out, "korvo-disc check DISC_FOLDER..."));
    EXPECT_TRUE(Has(help.out, "Exit codes"));
    ToolRun version = RunTool({"--version"});
    EXPECT_EQ(version.code, disc::kExitOk);
    EXPECT_TRUE(Has(version.out, "korvo-disc "));
    ToolRun options = RunTool({"help", "check"});
    EXPECT_EQ(options.code, disc::kExitOk);
    EXPECT_TRUE(Has(options.out, "--strict"));

    EXPECT_EQ(RunTool({}).code, disc::kExitUsage);
    ToolRun unknown = RunTool({"burn", "x"});
    EXPECT_EQ(unknown.code, disc::kExitUsage);
    EXPECT_TRUE(Has(unknown.err, "unknown command burn"));
    EXPECT_EQ(RunTool({"check"}).code, disc::kExitUsage);
    EXPECT_EQ(RunTool({"check", "--frobnicate", "x"}).code, disc::kExitUsage);
    EXPECT_EQ(RunTool({"check", "-q", "-v", "x"}).code, disc::kExitUsage);
}

TEST(DiscCli, a_missing_folder_or_a_folder_that_is_no_disc_fails_with_a_reason) {
    dtatest::TempFolder folder;
    ToolRun missing = RunTool({"check", folder.Path("nowhere")});
    EXPECT_EQ(missing.code, disc::kExitFailed);
    EXPECT_TRUE(Has(missing.err, "no such folder"));
    ToolRun empty = RunTool({"check", folder.Path("")});
    EXPECT_EQ(empty.code, disc::kExitFailed);
    EXPECT_TRUE(Has(empty.out, "PWdata.dta: error: missing")) << empty.out;
}

TEST(DiscCli, a_sound_set_passes_as_a_set_folder_and_as_disc_folders) {
    dtatest::TempFolder folder;
    const std::string root = DiscSetBuilder(Demo::TwoDiscs).Build(folder.Path("set"));
    ToolRun whole = RunTool({"check", "--strict", root});
    EXPECT_EQ(whole.code, disc::kExitOk) << whole.out;
    EXPECT_EQ(whole.out, "0 errors, 0 warnings\n");
    ToolRun discs = RunTool({"check", "-v", root + "/disc1", root + "/disc2"});
    EXPECT_EQ(discs.code, disc::kExitOk) << discs.out;
    EXPECT_TRUE(Has(discs.out, "note: 2 discs, 11 add_file lines")) << discs.out;
    ToolRun quiet = RunTool({"check", "-q", root});
    EXPECT_EQ(quiet.out, "");
}

TEST(DiscCli, warnings_pass_unless_strict_and_errors_fail) {
    dtatest::TempFolder folder;
    DiscSetBuilder warned(Demo::OneDisc);
    warned.script += "\nAdd_file x x 1 0\n";
    const std::string warnedRoot = warned.Build(folder.Path("warned"));
    ToolRun lenient = RunTool({"check", warnedRoot});
    EXPECT_EQ(lenient.code, disc::kExitOk);
    EXPECT_TRUE(Has(lenient.out, "idata.txt:")) << lenient.out;
    EXPECT_TRUE(Has(lenient.out, ": warning: \"Add_file\" is not a directive word")) << lenient.out;
    EXPECT_TRUE(Has(lenient.out, "0 errors, 1 warning\n")) << lenient.out;
    EXPECT_EQ(RunTool({"check", "--strict", warnedRoot}).code, disc::kExitFailed);

    DiscSetBuilder broken(Demo::OneDisc);
    broken.script += "\nvar is_patch = yes\n";
    ToolRun failed = RunTool({"check", broken.Build(folder.Path("broken"))});
    EXPECT_EQ(failed.code, disc::kExitFailed);
    EXPECT_TRUE(Has(failed.out, ": error: is_patch = \"yes\"")) << failed.out;
}
