#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "disc/check.h"
#include "tests/disc/disc_set_builder.h"

using disc::Severity;
using disctest::Demo;
using disctest::DiscSetBuilder;
using disctest::Picture;

namespace fs = std::filesystem;

namespace {

struct Checked {
    disc::Findings findings;
    std::vector<std::string> notes;

    std::string Listing() const {
        std::string text;
        for (const disc::Finding& f : findings.All()) text += disc::Format(f) + "\n";
        return text;
    }
};

Checked Check(const std::string& root) {
    Checked checked;
    std::vector<disc::DiscFolder> discs;
    std::string error;
    EXPECT_TRUE(disc::GatherDiscs({root}, &discs, &error)) << error;
    disc::CheckDiscSet(discs, &checked.findings, &checked.notes);
    return checked;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string Append(const std::string& script, const std::string& line) {
    return script + (script.empty() || script.back() == '\n' ? "" : "\n") + line + "\n";
}

// One mistake: how it is made, and what check must say about it.
struct Mistake {
    const char* name;
    Demo demo;
    std::function<void(DiscSetBuilder&)> make;
    std::function<void(const fs::path& root)> damage;  // on the laid-out set; may be empty
    Severity severity;
    std::string where;     // the end of the finding's file
    std::string lineText;  // a text on the line at fault; empty: no line ...
    uint32_t line;         // ... unless this names one
    std::string says;      // a part of the message
};

const std::string kLongFolder = "C:\\" + std::string(495, 'k');

const Mistake kMistakes[] = {
    {"unknown setting name", Demo::OneDisc,
     [](DiscSetBuilder& b) { b.script = Append(b.script, "var game_nmae = Korvo"); }, nullptr,
     Severity::Error, "idata.txt", "game_nmae", 0, "unknown setting \"game_nmae\""},
    {"boolean that is not true or false", Demo::OneDisc,
     [](DiscSetBuilder& b) {
         b.script = disctest::ReplaceLine(b.script, "var validate_cd = true", "var validate_cd = True");
     },
     nullptr, Severity::Error, "idata.txt", "validate_cd = True", 0,
     "\"True\" is neither true nor false: PWsetup reads it as false"},
    {"number with a unit", Demo::OneDisc,
     [](DiscSetBuilder& b) {
         b.script =
             disctest::ReplaceLine(b.script, "var request_space_compact", "var request_space_compact = 4MB");
     },
     nullptr, Severity::Error, "idata.txt", "request_space_compact", 0,
     "is not a plain decimal number: PWsetup reads it as 4"},
    {"required setting missing", Demo::OneDisc,
     [](DiscSetBuilder& b) { b.script = disctest::ReplaceLine(b.script, "var reg_path", ""); }, nullptr,
     Severity::Error, "idata.txt", "", 0, "the setting reg_path is not set"},
    {"directive word in the wrong case", Demo::OneDisc,
     [](DiscSetBuilder& b) { b.script = Append(b.script, "Add_file korvo.ini korvo.ini 1 0"); }, nullptr,
     Severity::Warning, "idata.txt", "Add_file", 0, "\"Add_file\" is not a directive word"},
    {"file line with one name", Demo::OneDisc,
     [](DiscSetBuilder& b) { b.script = Append(b.script, "add_file  korvo.ini"); }, nullptr,
     Severity::Warning, "idata.txt", "add_file  korvo.ini", 0,
     "add_file needs two names: the line is skipped"},
    {"destination named twice", Demo::OneDisc,
     [](DiscSetBuilder& b) { b.script = Append(b.script, "add_file korvo.ini Data/Levels/LEVEL1.map 1 0"); },
     nullptr, Severity::Error, "idata.txt", "LEVEL1", 0,
     "\"Data/Levels/LEVEL1.map\" is named twice (first on line"},
    {"destination that climbs out", Demo::OneDisc,
     [](DiscSetBuilder& b) { b.script = Append(b.script, "add_file korvo.ini ..\\korvo.ini 1 0"); }, nullptr,
     Severity::Error, "idata.txt", "..\\korvo.ini", 0, "is not a relative name inside its folder"},
    {"destination on a drive", Demo::OneDisc,
     [](DiscSetBuilder& b) { b.script = Append(b.script, "add_file korvo.ini C:\\korvo.ini 1 0"); }, nullptr,
     Severity::Error, "idata.txt", "C:\\korvo.ini", 0, "is not a relative name inside its folder"},
    {"destination from the root", Demo::OneDisc,
     [](DiscSetBuilder& b) { b.script = Append(b.script, "add_file korvo.ini \\Windows\\korvo.ini 1 0"); },
     nullptr, Severity::Error, "idata.txt", "\\Windows\\korvo.ini", 0,
     "is not a relative name inside its folder"},
    {"line over the reader's limit", Demo::OneDisc,
     [](DiscSetBuilder& b) { b.script = Append(b.script, "// " + std::string(520, 'x')); }, nullptr,
     Severity::Error, "idata.txt", "// xxxx", 0, "523 characters long, over the limit of 511"},
    {"destination path over the copy's limit", Demo::OneDisc,
     [](DiscSetBuilder& b) {
         b.script = disctest::ReplaceLine(b.script, "dst_path", "dst_path \"" + kLongFolder + "\"");
     },
     nullptr, Severity::Error, "idata.txt", "add_file data\\levels\\level1.map", 0,
     "is 521 characters, over the copy's limit of 511"},
    {"source on another disc than its number", Demo::TwoDiscs,
     [](DiscSetBuilder& b) {
         b.script = disctest::ReplaceLine(b.script, "add_file data\\levels\\level2.map",
                                          "add_file data\\levels\\level2.map data\\levels\\level2.map 1 0");
     },
     nullptr, Severity::Error, "idata.txt", "level2.map", 0,
     "add_file \"data\\levels\\level2.map\" is not on disc 1"},
    {"source on a disc the set lacks", Demo::OneDisc,
     [](DiscSetBuilder& b) { b.script = Append(b.script, "add_file korvo.ini extra.ini 3 0"); }, nullptr,
     Severity::Error, "idata.txt", "extra.ini", 0, "is on disc 3, but the set has 1 disc"},
    {"empty disc", Demo::OneDisc, [](DiscSetBuilder&) {},
     [](const fs::path& root) { fs::create_directories(root / "disc2"); }, Severity::Error, "disc2", "", 0,
     "disc 2 is empty"},
    {"request_space_full below the files", Demo::OneDisc,
     [](DiscSetBuilder& b) {
         b.measure = false;
         b.script =
             disctest::ReplaceLine(b.script, "var request_space_full", "var request_space_full = 1000");
     },
     nullptr, Severity::Error, "idata.txt", "request_space_full = 1000", 0,
     "request_space_full is 1,000 bytes, below the "},
    {"request_space_backup below the backups", Demo::Patch,
     [](DiscSetBuilder& b) {
         b.script =
             disctest::ReplaceLine(b.script, "var request_space_backup", "var request_space_backup = 10");
     },
     nullptr, Severity::Error, "idata.txt", "request_space_backup = 10", 0,
     "request_space_backup is 10 bytes, below the "},
    {"billboard count against the discs", Demo::OneDisc,
     [](DiscSetBuilder& b) {
         b.script = disctest::ReplaceLine(b.script, "var num_of_bilboards =", "var num_of_bilboards = 6");
     },
     nullptr, Severity::Warning, "idata.txt", "num_of_bilboards = 6", 0,
     "num_of_bilboards is 6, but 1 disc of 4 (num_of_bilboards_per_cd) show 4"},
    {"missing picture", Demo::OneDisc, [](DiscSetBuilder& b) { b.billboards[0].erase("bilboard2.bmp"); },
     nullptr, Severity::Warning, "disc1/bilboard0.dta", "", 0,
     "no bilboard2.bmp: disc 1 shows fewer pictures"},
    {"billboard counts of billions", Demo::OneDisc,
     [](DiscSetBuilder& b) {
         b.script =
             disctest::ReplaceLine(b.script, "var num_of_bilboards =", "var num_of_bilboards = 4000000000");
         b.script = disctest::ReplaceLine(b.script, "var num_of_bilboards_per_cd",
                                          "var num_of_bilboards_per_cd = 2000000000");
     },
     nullptr, Severity::Warning, "disc1/bilboard0.dta", "", 0,
     "no bilboard4.bmp: disc 1 shows fewer pictures"},
    {"picture numbered for another disc", Demo::TwoDiscs,
     [](DiscSetBuilder& b) { b.billboards[0]["bilboard4.bmp"] = Picture(); }, nullptr, Severity::Error,
     "disc1/bilboard0.dta", "", 0, "bilboard4.bmp is outside disc 1's pictures 0 to 3"},
    {"picture the installer can't draw", Demo::OneDisc,
     [](DiscSetBuilder& b) { b.billboards[0]["bilboard2.bmp"] = Picture(800, 600, 8); }, nullptr,
     Severity::Error, "disc1/bilboard0.dta", "", 0, "bilboard2.bmp is not a picture the installer can draw"},
    {"picture of another size", Demo::OneDisc,
     [](DiscSetBuilder& b) { b.billboards[0]["bilboard1.bmp"] = Picture(640, 480); }, nullptr,
     Severity::Warning, "disc1/bilboard0.dta", "", 0, "bilboard1.bmp is 640 x 480 pixels"},
    {"disc without its billboard archive", Demo::OneDisc, [](DiscSetBuilder& b) { b.billboards.clear(); },
     nullptr, Severity::Warning, "disc1", "", 0, "no bilboard0.dta: the screen stays black"},
    {"licence text missing", Demo::OneDisc, [](DiscSetBuilder& b) { b.license = false; }, nullptr,
     Severity::Error, "disc1/PWdata.dta", "", 0, "no license.txt"},
    {"patch notes missing", Demo::Patch, [](DiscSetBuilder& b) { b.patchNotes = false; }, nullptr,
     Severity::Error, "disc1/PWdata.dta", "", 0, "no patch.txt"},
    {"patch without its check archive", Demo::Patch, [](DiscSetBuilder& b) { b.patchArchive.reset(); },
     nullptr, Severity::Error, "disc1/patch/a8.dta", "", 0, "missing: PWsetup refuses the patch"},
    {"patch check archive without a version mark", Demo::Patch,
     [](DiscSetBuilder& b) {
         b.patchArchive = {{{"patch\\notes.txt", {'E', 'N'}}}};
     },
     nullptr, Severity::Error, "disc1/patch/a8.dta", "", 0, "no entry patch\\version.txt"},
    {"patch replaces a file it does not back up", Demo::Patch,
     [](DiscSetBuilder& b) { b.script = disctest::ReplaceLine(b.script, "backup_file korvo.ini", ""); },
     nullptr, Severity::Warning, "idata.txt", "add_file patch\\korvo.ini", 0,
     "\"korvo.ini\" has no backup_file line"},
    {"disc label of another disc", Demo::TwoDiscs, [](DiscSetBuilder&) {},
     [](const fs::path& root) {
         dtatest::WriteFile((root / "disc2/.windows-label").string(),
                            {'K', 'O', 'R', 'V', 'O', '_', 'C', 'D', '_', '1'});
     },
     Severity::Error, "disc2/.windows-label", "", 1,
     "the volume label is \"KORVO_CD_1\", but validate_cd asks disc 2 for KORVO_CD_2"},
    {"no data archive", Demo::OneDisc, [](DiscSetBuilder&) {},
     [](const fs::path& root) { fs::remove(root / "disc1/PWdata.dta"); }, Severity::Error, "disc1/PWdata.dta",
     "", 0, "missing: PWsetup has no install script"},
};

}  // namespace

TEST(DiscCheck, the_demo_sets_give_no_error_and_no_warning) {
    for (Demo demo : {Demo::OneDisc, Demo::TwoDiscs, Demo::Patch}) {
        dtatest::TempFolder folder;
        const std::string root = DiscSetBuilder(demo).Build(folder.Path("set"));
        const Checked checked = Check(root);
        EXPECT_TRUE(checked.findings.All().empty()) << "demo " << static_cast<int>(demo) << ":\n"
                                                    << checked.Listing();
    }
}

TEST(DiscCheck, each_mistake_is_reported_with_its_place_and_reason) {
    for (const Mistake& mistake : kMistakes) {
        SCOPED_TRACE(mistake.name);
        DiscSetBuilder builder(mistake.demo);
        mistake.make(builder);
        dtatest::TempFolder folder;
        const std::string root = builder.Build(folder.Path("set"));
        if (mistake.damage) mistake.damage(root);
        const uint32_t line = mistake.lineText.empty()
                                  ? mistake.line
                                  : disctest::LineOf(builder.script + "\n", mistake.lineText);
        ASSERT_TRUE(mistake.lineText.empty() || line > 0);
        const Checked checked = Check(root);
        bool reported = false;
        for (const disc::Finding& f : checked.findings.All()) {
            reported = reported || (f.severity == mistake.severity && EndsWith(f.where, mistake.where) &&
                                    f.line == line && f.message.find(mistake.says) != std::string::npos);
        }
        EXPECT_TRUE(reported) << "expected at " << mistake.where << ":" << line << ": " << mistake.says
                              << "\nfound:\n"
                              << checked.Listing();
    }
}

TEST(DiscCheck, a_damaged_script_is_read_to_its_end_and_every_fault_named) {
    // PWsetup stops at the first broken rule; check goes on and names each.
    DiscSetBuilder builder(Demo::OneDisc);
    builder.script = Append(builder.script, "add_file a ..\\a 1 0");
    builder.script = Append(builder.script, "add_file b b 0 0");
    builder.script = Append(builder.script, "var Version = 2");
    dtatest::TempFolder folder;
    const Checked checked = Check(builder.Build(folder.Path("set")));
    std::vector<uint32_t> lines;
    for (const disc::Finding& f : checked.findings.All())
        if (f.severity == Severity::Error && f.where == "idata.txt") lines.push_back(f.line);
    const uint32_t first = disctest::LineOf(builder.script, "add_file a ..");
    EXPECT_EQ(lines, (std::vector<uint32_t>{first, first + 1, first + 2})) << checked.Listing();
}

TEST(DiscCheck, files_are_found_in_any_letter_case_and_labels_compare_without_it) {
    DiscSetBuilder builder(Demo::TwoDiscs);
    builder.script = disctest::ReplaceLine(builder.script, "add_file data\\sounds.dta",
                                           "add_file DATA\\Sounds.DTA data\\sounds.dta 2 1");
    dtatest::TempFolder folder;
    const std::string root = builder.Build(folder.Path("set"));
    dtatest::WriteFile(root + "/disc2/.windows-label",
                       {'k', 'o', 'r', 'v', 'o', '_', 'c', 'd', '_', '2', '\r', '\n'});
    const Checked checked = Check(root);
    EXPECT_TRUE(checked.findings.All().empty()) << checked.Listing();
}
