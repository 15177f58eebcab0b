#include <gtest/gtest.h>

#include <set>

#include "setup/setup_rules.h"

namespace setup {
namespace {

TEST(SetupRules, each_check_box_drives_its_own_record_byte) {
    const CheckBox boxes[] = {
        CheckBox::Fullscreen,         CheckBox::TripleBuffering,    CheckBox::Sound,
        CheckBox::LowDetailTextures,  CheckBox::VerticalSync,       CheckBox::TruecolorTextures,
        CheckBox::TruecolorLightmaps, CheckBox::CompressedTextures, CheckBox::SuspendWhenInactive,
        CheckBox::HardwareTnL,        CheckBox::DisableEax,         CheckBox::SoftwareMixingOnly,
        CheckBox::ClipAlways,         CheckBox::MultipassRendering, CheckBox::WBuffer,
    };
    const SetupRecordBytes before = EncodeSetupRecord(SetupRecord());
    std::set<size_t> seen;
    for (CheckBox box : boxes) {
        SetupRecord r;
        SetCheckBoxValue(r, box, !CheckBoxValue(r, box));
        const SetupRecordBytes after = EncodeSetupRecord(r);
        for (size_t i = 0; i < after.size(); ++i) {
            if (after[i] == before[i]) continue;
            EXPECT_TRUE(seen.insert(i).second) << "byte " << i << " used twice";
        }
    }
    EXPECT_EQ(seen, (std::set<size_t>{19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 38}));

    SetupRecord r;
    SetCheckBoxValue(r, CheckBox::Sound, false);
    EXPECT_EQ(r.soundDisabled, 1) << "the Sound box is the inverse of soundDisabled";
}

TEST(SetupRules, windowed_mode_and_disabled_sound_grey_their_controls) {
    SetupRecord r;
    r.fullscreen = 0;
    r.soundDisabled = 1;
    EnableState e = ComputeEnables(r, false);
    EXPECT_FALSE(e.verticalSync || e.refreshList || e.bitDepthList);
    EXPECT_FALSE(e.speakerList || e.softwareMixingOnly || e.disableEax || e.wBuffer);

    r.fullscreen = 1;
    r.soundDisabled = 0;
    e = ComputeEnables(r, true);
    EXPECT_TRUE(e.verticalSync && e.refreshList && e.bitDepthList);
    EXPECT_TRUE(e.speakerList && e.softwareMixingOnly && e.disableEax && e.wBuffer);
}

TEST(SetupRules, autodetect_picks_the_row_of_the_video_memory_size) {
    struct Row {
        int vramMB;
        uint32_t width, height, depth;
        uint8_t truecolorTextures, lowDetail, compressed, truecolorLightmaps;
    };
    const Row rows[] = {
        {0, 640, 480, 16, 0, 1, 1, 0},     {8, 640, 480, 16, 0, 1, 1, 0},   {9, 800, 600, 16, 0, 1, 1, 1},
        {16, 800, 600, 16, 0, 1, 1, 1},    {17, 800, 600, 32, 0, 0, 1, 1},  {32, 800, 600, 32, 0, 0, 1, 1},
        {33, 1024, 768, 32, 0, 0, 1, 1},   {64, 1024, 768, 32, 0, 0, 1, 1}, {65, 1280, 1024, 32, 1, 0, 0, 1},
        {128, 1280, 1024, 32, 1, 0, 0, 1},
    };
    for (const Row& row : rows) {
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
    // Every byte set away from what autodetect would choose.
    SetupRecordBytes bytes{};
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(0x40 + i);
    SetupRecord r;
    ASSERT_TRUE(DecodeSetupRecord(bytes.data(), bytes.size(), &r));
    ApplyAutodetect(r, 64);
    const SetupRecordBytes after = EncodeSetupRecord(r);

    // Kept: marker, adapter, tripleBuffering, disableEax, speakerSetup, language, wBuffer, extras.
    for (size_t i : {0, 1, 25, 30, 33, 34, 35, 36, 37, 38}) EXPECT_EQ(after[i], bytes[i]) << "byte " << i;
    for (size_t i = offsets::kExtraFloat1; i < after.size(); ++i)
        EXPECT_EQ(after[i], bytes[i]) << "byte " << i;

    SetupRecord expected = r;  // the preset and fixed switches
    expected.multipassRendering = 0;
    expected.suspendWhenInactive = 1;
    expected.clipAlways = 0;
    expected.antialiasing = 0;
    expected.fullscreen = 1;
    expected.hardwareTnL = 1;
    expected.verticalSync = 0;
    expected.refreshRate = 0;
    expected.soundDisabled = 0;
    expected.softwareMixingOnly = 0;
    EXPECT_FALSE(RecordsDiffer(r, expected));
}

}  // namespace
}  // namespace setup
