#include <gtest/gtest.h>

#include <vector>

#include "setup/setup_model.h"
#include "tests/setup/scripted_provider.h"

namespace setup {
namespace {

using testing::Mode;
using testing::ScriptedAdapter;
using testing::ScriptedProvider;
using testing::Texts;
using Strings = std::vector<std::string>;
namespace fmt = d3dformat;

// One adapter with the usual modes in both depths; 2 samples in a window,
// 2 and 4 full screen.
ScriptedProvider UsualHardware(int vramMB) {
    ScriptedProvider p;
    ScriptedAdapter a;
    for (uint32_t format : {fmt::kR5G6B5, fmt::kX8R8G8B8}) {
        for (auto wh : {std::make_pair(640u, 480u), std::make_pair(800u, 600u), std::make_pair(1024u, 768u),
                        std::make_pair(1280u, 1024u)}) {
            a.modes.push_back(Mode(wh.first, wh.second, format, 60));
            a.modes.push_back(Mode(wh.first, wh.second, format, 85));
        }
        a.multisample.insert({format, true, 2});
        a.multisample.insert({format, false, 2});
        a.multisample.insert({format, false, 4});
    }
    p.adapters = {a};
    p.videoMemoryBytes = static_cast<uint64_t>(vramMB) << 20;
    return p;
}

// A stored record that this hardware offers in every detail.
SetupRecordBytes FittingValue() {
    SetupRecord r;
    r.width = 1024;
    r.height = 768;
    r.bitDepth = 16;
    r.refreshRate = 85;
    r.fullscreen = 1;
    r.antialiasing = 4;
    r.hardwareTnL = 0;
    r.multipassRendering = 1;
    r.extraFloat1 = 0x40000000u;  // 2.0f
    r.extraInt4 = 77;
    return EncodeSetupRecord(r);
}

TEST(SetupModel, without_a_stored_value_opening_autodetects_and_exit_asks) {
    ScriptedProvider p = UsualHardware(64);
    SetupModel model(p);
    EXPECT_FALSE(model.LoadStored(nullptr, 0));
    ASSERT_TRUE(model.Open());
    EXPECT_EQ(model.record().width, 1024u);
    EXPECT_EQ(model.record().height, 768u);
    EXPECT_EQ(model.record().fullscreen, 1);
    EXPECT_EQ(model.devices().resolutions().Selected()->text, "1024 x  768");
    EXPECT_TRUE(model.ExitNeedsConfirmation(nullptr, 0));
}

TEST(SetupModel, stored_values_of_62_or_64_bytes_are_ignored) {
    const SetupRecordBytes good = FittingValue();
    for (size_t size : {size_t{62}, size_t{64}}) {
        std::vector<uint8_t> stored(good.begin(), good.end());
        stored.resize(size, 0);
        ScriptedProvider p = UsualHardware(128);
        SetupModel model(p);
        EXPECT_FALSE(model.LoadStored(stored.data(), stored.size()));
        ASSERT_TRUE(model.Open());
        EXPECT_EQ(model.record().width, 1280u) << "autodetect ran";
        EXPECT_EQ(model.record().truecolorTextures, 1);
        EXPECT_EQ(model.record().compressedTextures, 0);
    }
}

TEST(SetupModel, a_stored_value_that_fits_the_hardware_exits_without_a_question) {
    const SetupRecordBytes stored = FittingValue();
    ScriptedProvider p = UsualHardware(64);
    SetupModel model(p);
    ASSERT_TRUE(model.LoadStored(stored.data(), stored.size()));
    ASSERT_TRUE(model.Open());
    EXPECT_FALSE(model.ExitNeedsConfirmation(stored.data(), stored.size()));
    EXPECT_EQ(model.devices().refreshRates().Selected()->text, "85 Hz");
    EXPECT_EQ(model.devices().bitDepths().Selected()->text, "16");
    EXPECT_EQ(model.devices().antialiasing().Selected()->text, " 4x");
    EXPECT_TRUE(model.IsChecked(CheckBox::MultipassRendering));

    // Saving writes the loaded bytes back, the game's extra values among them.
    EXPECT_EQ(model.Save(), stored);
}

TEST(SetupModel, a_stored_value_with_both_rendering_paths_is_corrected_on_opening) {
    SetupRecord r;
    r.hardwareTnL = 1;
    r.multipassRendering = 1;
    const SetupRecordBytes stored = EncodeSetupRecord(r);
    ScriptedProvider p = UsualHardware(64);
    SetupModel model(p);
    ASSERT_TRUE(model.LoadStored(stored.data(), stored.size()));
    ASSERT_TRUE(model.Open());
    EXPECT_FALSE(model.IsChecked(CheckBox::MultipassRendering));
    EXPECT_TRUE(model.ExitNeedsConfirmation(stored.data(), stored.size()));
}

TEST(SetupModel, truecolor_textures_below_64_mb_need_a_yes_and_above_need_none) {
    ScriptedProvider p = UsualHardware(32);
    SetupModel model(p);
    ASSERT_TRUE(model.Open());
    ASSERT_FALSE(model.IsChecked(CheckBox::TruecolorTextures));

    EXPECT_EQ(model.ClickCheckBox(CheckBox::TruecolorTextures, true), Question::TruecolorTextures);
    model.AnswerTruecolorQuestion(false);
    EXPECT_FALSE(model.IsChecked(CheckBox::TruecolorTextures));

    EXPECT_EQ(model.ClickCheckBox(CheckBox::TruecolorTextures, true), Question::TruecolorTextures);
    model.AnswerTruecolorQuestion(true);
    EXPECT_TRUE(model.IsChecked(CheckBox::TruecolorTextures));

    // The lightmap box never asks, and unticking never asks.
    model.ClickCheckBox(CheckBox::TruecolorLightmaps, false);
    EXPECT_EQ(model.ClickCheckBox(CheckBox::TruecolorLightmaps, true), Question::None);
    EXPECT_EQ(model.ClickCheckBox(CheckBox::TruecolorTextures, false), Question::None);

    ScriptedProvider big = UsualHardware(64);
    SetupModel roomy(big);
    ASSERT_TRUE(roomy.Open());
    EXPECT_EQ(roomy.ClickCheckBox(CheckBox::TruecolorTextures, true), Question::None);
    EXPECT_TRUE(roomy.IsChecked(CheckBox::TruecolorTextures));
}

TEST(SetupModel, hardware_tnl_and_multipass_untick_each_other) {
    ScriptedProvider p = UsualHardware(64);
    SetupModel model(p);
    ASSERT_TRUE(model.Open());
    ASSERT_TRUE(model.IsChecked(CheckBox::HardwareTnL));

    model.ClickCheckBox(CheckBox::MultipassRendering, true);
    EXPECT_TRUE(model.IsChecked(CheckBox::MultipassRendering));
    EXPECT_FALSE(model.IsChecked(CheckBox::HardwareTnL));

    model.ClickCheckBox(CheckBox::HardwareTnL, true);
    EXPECT_TRUE(model.IsChecked(CheckBox::HardwareTnL));
    EXPECT_FALSE(model.IsChecked(CheckBox::MultipassRendering));

    // Another box while multipass is on keeps multipass and T&L off.
    model.ClickCheckBox(CheckBox::MultipassRendering, true);
    model.ClickCheckBox(CheckBox::ClipAlways, true);
    EXPECT_TRUE(model.IsChecked(CheckBox::MultipassRendering));
    EXPECT_FALSE(model.IsChecked(CheckBox::HardwareTnL));
}

TEST(SetupModel, a_click_stores_every_box_as_it_shows) {
    SetupRecord r;
    r.clipAlways = 2;     // shows ticked
    r.soundDisabled = 7;  // Sound shows unticked
    r.verticalSync = 0xFF;
    const SetupRecordBytes stored = EncodeSetupRecord(r);
    ScriptedProvider p = UsualHardware(64);
    SetupModel model(p);
    ASSERT_TRUE(model.LoadStored(stored.data(), stored.size()));
    ASSERT_TRUE(model.Open());
    EXPECT_EQ(model.record().clipAlways, 2) << "opening alone keeps the stored bytes";

    model.ClickCheckBox(CheckBox::TripleBuffering, true);
    EXPECT_EQ(model.record().clipAlways, 1);
    EXPECT_EQ(model.record().soundDisabled, 1);
    EXPECT_EQ(model.record().verticalSync, 1);
    EXPECT_EQ(model.record().tripleBuffering, 1);
}

TEST(SetupModel, unticking_sound_greys_the_sound_controls) {
    ScriptedProvider p = UsualHardware(64);
    SetupModel model(p);
    ASSERT_TRUE(model.Open());
    EXPECT_TRUE(model.Enables().speakerList);
    model.ClickCheckBox(CheckBox::Sound, false);
    EXPECT_EQ(model.record().soundDisabled, 1);
    const EnableState e = model.Enables();
    EXPECT_FALSE(e.speakerList);
    EXPECT_FALSE(e.softwareMixingOnly);
    EXPECT_FALSE(e.disableEax);
    EXPECT_TRUE(e.verticalSync);
}

TEST(SetupModel, unticking_fullscreen_greys_mode_controls_and_offers_window_antialiasing) {
    for (bool hardwareTnL : {true, false}) {
        ScriptedProvider p = UsualHardware(64);
        SetupModel model(p);
        ASSERT_TRUE(model.Open());
        if (!hardwareTnL) model.ClickCheckBox(CheckBox::HardwareTnL, false);
        ASSERT_EQ(Texts(model.devices().antialiasing()), (Strings{" OFF", " 2x", " 4x"}));

        model.ClickCheckBox(CheckBox::Fullscreen, false);
        SCOPED_TRACE(hardwareTnL);
        const EnableState e = model.Enables();
        EXPECT_FALSE(e.verticalSync);
        EXPECT_FALSE(e.refreshList);
        EXPECT_FALSE(e.bitDepthList);
        EXPECT_EQ(Texts(model.devices().antialiasing()), (Strings{" OFF", " 2x"}));
    }
}

TEST(SetupModel, without_w_buffer_support_the_box_is_clear_greyed_and_saved_as_zero) {
    ScriptedProvider p = UsualHardware(64);
    p.adapters[0].rasterCaps = 0;
    SetupModel model(p);
    const SetupRecordBytes stored = EncodeSetupRecord(SetupRecord());  // wBuffer 1
    ASSERT_TRUE(model.LoadStored(stored.data(), stored.size()));
    ASSERT_TRUE(model.Open());
    EXPECT_FALSE(model.IsChecked(CheckBox::WBuffer));
    EXPECT_FALSE(model.Enables().wBuffer);
    model.ClickCheckBox(CheckBox::HardwareTnL, false);  // so the click below refreshes nothing
    model.ClickCheckBox(CheckBox::WBuffer, true);
    EXPECT_FALSE(model.IsChecked(CheckBox::WBuffer));
    EXPECT_EQ(model.Save()[offsets::kWBuffer], 0);
}

TEST(SetupModel, choosing_another_adapter_checks_its_w_buffer_support) {
    ScriptedProvider p = UsualHardware(64);
    p.adapters.push_back(p.adapters[0]);
    p.adapters[1].rasterCaps = 0;
    SetupModel model(p);
    ASSERT_TRUE(model.Open());
    ASSERT_TRUE(model.IsChecked(CheckBox::WBuffer));
    ASSERT_TRUE(model.SelectAdapter(1));
    EXPECT_FALSE(model.Enables().wBuffer);
    EXPECT_FALSE(model.IsChecked(CheckBox::WBuffer));
}

TEST(SetupModel, saving_keeps_the_extra_values_or_writes_their_defaults) {
    {
        ScriptedProvider p = UsualHardware(64);
        SetupModel model(p);
        ASSERT_TRUE(model.Open());
        ASSERT_TRUE(model.Autodetect());
        const SetupRecordBytes saved = model.Save();
        const SetupRecordBytes defaults = EncodeSetupRecord(SetupRecord());
        EXPECT_TRUE(std::equal(saved.begin() + 39, saved.end(), defaults.begin() + 39));
    }
    {
        SetupRecordBytes stored = FittingValue();
        for (size_t i = 39; i < stored.size(); ++i) stored[i] = static_cast<uint8_t>(0xC0 + i);
        ScriptedProvider p = UsualHardware(128);
        SetupModel model(p);
        ASSERT_TRUE(model.LoadStored(stored.data(), stored.size()));
        ASSERT_TRUE(model.Open());
        ASSERT_TRUE(model.Autodetect());
        model.ClickCheckBox(CheckBox::ClipAlways, true);
        const SetupRecordBytes saved = model.Save();
        EXPECT_TRUE(std::equal(saved.begin() + 39, saved.end(), stored.begin() + 39));
    }
}

TEST(SetupModel, speaker_and_language_lists_follow_the_record) {
    SetupRecord r;
    r.language = 7;  // unknown: nothing selected, kept until the player picks
    r.speakerSetup = 9;
    const SetupRecordBytes stored = EncodeSetupRecord(r);
    ScriptedProvider p = UsualHardware(64);
    SetupModel model(p);
    ASSERT_TRUE(model.LoadStored(stored.data(), stored.size()));
    ASSERT_TRUE(model.Open());
    EXPECT_EQ(model.languages().selected, -1);
    EXPECT_EQ(model.speakerSelection(), -1);
    EXPECT_EQ(model.Save(), stored);

    EXPECT_EQ(Texts(model.languages()), (Strings{"English", "Deutch", "Cesky"}));
    ASSERT_TRUE(model.SelectLanguage(2));
    EXPECT_EQ(model.record().language, static_cast<uint32_t>(kLanguageCesky));
    EXPECT_FALSE(model.SelectLanguage(3));
    ASSERT_TRUE(model.SelectSpeakers(3));
    EXPECT_EQ(model.speakerSelection(), 3);
    EXPECT_FALSE(model.SelectSpeakers(4));
}

}  // namespace
}  // namespace setup
