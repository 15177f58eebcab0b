#include <gtest/gtest.h>

#include <set>

#include "setup/setup_rules.h"

namespace setup {
namespace {

constexpr CheckBox kAllBoxes[] = {
    CheckBox::Fullscreen,         CheckBox::TripleBuffering,    CheckBox::Sound,
    CheckBox::LowDetailTextures,  CheckBox::VerticalSync,       CheckBox::TruecolorTextures,
    CheckBox::TruecolorLightmaps, CheckBox::CompressedTextures, CheckBox::SuspendWhenInactive,
    CheckBox::HardwareTnL,        CheckBox::DisableEax,         CheckBox::SoftwareMixingOnly,
    CheckBox::ClipAlways,         CheckBox::MultipassRendering, CheckBox::WBuffer,
};

TEST(SetupRules, each_check_box_drives_its_own_record_byte) {
    const SetupRecordBytes before = EncodeSetupRecord(SetupRecord());
    std::set<size_t> seen;
    for (CheckBox box : kAllBoxes) {
        SetupRecord r;
        SetCheckBoxValue(r, box, !CheckBoxValue(r, box));
        const SetupRecordBytes after = EncodeSetupRecord(r);
        size_t changed = 0, at = 0;
        for (size_t i = 0; i < after.size(); ++i) {
            if (after[i] != before[i]) {
                ++changed;
                at = i;
            }
        }
        EXPECT_EQ(changed, 1u) << "box " << static_cast<int>(box);
        EXPECT_TRUE(seen.insert(at).second) << "two boxes share byte " << at;
    }
    EXPECT_EQ(seen, (std::set<size_t>{19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 38}));
}

TEST(SetupRules, the_sound_box_is_the_inverse_of_sound_disabled) {
    SetupRecord r;
    EXPECT_TRUE(CheckBoxValue(r, CheckBox::Sound));
    SetCheckBoxValue(r, CheckBox::Sound, false);
    EXPECT_EQ(r.soundDisabled, 1);
    EXPECT_FALSE(CheckBoxValue(r, CheckBox::Sound));
}

TEST(SetupRules, windowed_mode_and_disabled_sound_grey_their_controls) {
    SetupRecord r;
    r.fullscreen = 0;
    r.soundDisabled = 1;
    EnableState e = ComputeEnables(r, false);
    EXPECT_FALSE(e.verticalSync);
    EXPECT_FALSE(e.refreshList);
    EXPECT_FALSE(e.bitDepthList);
    EXPECT_FALSE(e.speakerList);
    EXPECT_FALSE(e.softwareMixingOnly);
    EXPECT_FALSE(e.disableEax);
    EXPECT_FALSE(e.wBuffer);

    r.fullscreen = 1;
    r.soundDisabled = 0;
    e = ComputeEnables(r, true);
    EXPECT_TRUE(e.verticalSync && e.refreshList && e.bitDepthList);
    EXPECT_TRUE(e.speakerList && e.softwareMixingOnly && e.disableEax && e.wBuffer);
}

struct AutodetectRow {
    int vramMB;
    uint32_t width, height, depth;
    uint8_t truecolorTextures, lowDetail, compressed, truecolorLightmaps;
};

TEST(SetupRules, autodetect_picks_the_row_of_the_video_memory_size) {
    const AutodetectRow rows[] = {
        {0, 640, 480, 16, 0, 1, 1, 0},     {8, 640, 480, 16, 0, 1, 1, 0},   {9, 800, 600, 16, 0, 1, 1, 1},
        {16, 800, 600, 16, 0, 1, 1, 1},    {17, 800, 600, 32, 0, 0, 1, 1},  {32, 800, 600, 32, 0, 0, 1, 1},
        {33, 1024, 768, 32, 0, 0, 1, 1},   {64, 1024, 768, 32, 0, 0, 1, 1}, {65, 1280, 1024, 32, 1, 0, 0, 1},
        {128, 1280, 1024, 32, 1, 0, 0, 1},
    };
    for (const AutodetectRow& row : rows) {
        SetupRecord r;
        ApplyAutodetect(r, row.vramMB);
        SCOPED_TRACE(row.vramMB);
        EXPECT_EQ(r.width, row.width);
        EXPECT_EQ(r.height, row.height);
        EXPECT_EQ(r.bitDepth, row.depth);
        EXPECT_EQ(r.truecolorTextures, row.truecolorTextures);
        EXPECT_EQ(r.lowDetailTextures, row.lowDetail);
        EXPECT_EQ(r.compressedTextures, row.compressed);
        EXPECT_EQ(r.truecolorLightmaps, row.truecolorLightmaps);
    }
}

TEST(SetupRules, autodetect_sets_the_fixed_switches_and_keeps_the_personal_ones) {
    SetupRecord r;
    r.adapter = 1;
    r.tripleBuffering = 1;
    r.disableEax = 0;
    r.speakerSetup = kSpeakersSurround51;
    r.language = kLanguageCesky;
    r.wBuffer = 0;
    r.extraInt1 = 99;
    r.multipassRendering = 1;
    r.suspendWhenInactive = 0;
    r.clipAlways = 1;
    r.antialiasing = 4;
    r.hardwareTnL = 0;
    r.verticalSync = 1;
    r.refreshRate = 85;
    r.soundDisabled = 1;
    r.softwareMixingOnly = 1;
    ApplyAutodetect(r, 64);

    EXPECT_EQ(r.adapter, 1);
    EXPECT_EQ(r.tripleBuffering, 1);
    EXPECT_EQ(r.disableEax, 0);
    EXPECT_EQ(r.speakerSetup, kSpeakersSurround51);
    EXPECT_EQ(r.language, static_cast<uint32_t>(kLanguageCesky));
    EXPECT_EQ(r.wBuffer, 0);
    EXPECT_EQ(r.extraInt1, 99u);

    EXPECT_EQ(r.multipassRendering, 0);
    EXPECT_EQ(r.suspendWhenInactive, 1);
    EXPECT_EQ(r.clipAlways, 0);
    EXPECT_EQ(r.antialiasing, 0);
    EXPECT_EQ(r.fullscreen, 1);
    EXPECT_EQ(r.hardwareTnL, 1);
    EXPECT_EQ(r.verticalSync, 0);
    EXPECT_EQ(r.refreshRate, 0u);
    EXPECT_EQ(r.soundDisabled, 0);
    EXPECT_EQ(r.softwareMixingOnly, 0);
}

}  // namespace
}  // namespace setup
