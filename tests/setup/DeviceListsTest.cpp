#include <gtest/gtest.h>

#include <memory>

#include "setup/device_lists.h"
#include "tests/setup/scripted_provider.h"

namespace setup {
namespace {

using testing::Mode;
using testing::ScriptedAdapter;
using testing::ScriptedProvider;
using testing::Texts;
using Strings = std::vector<std::string>;
namespace fmt = d3dformat;

ScriptedAdapter TwoDepthAdapter(std::string name = "Card") {
    ScriptedAdapter a;
    a.description = std::move(name);
    a.modes = {Mode(1024, 768, fmt::kX8R8G8B8, 60), Mode(800, 600, fmt::kR5G6B5, 60),
               Mode(800, 600, fmt::kX8R8G8B8, 75), Mode(1024, 768, fmt::kR5G6B5, 85)};
    return a;
}

TEST(DeviceLists, video_memory_class_and_texts) {
    EXPECT_EQ(VideoMemoryClassMB(0), 1);
    EXPECT_EQ(VideoMemoryClassMB(1ull << 20), 1);
    EXPECT_EQ(VideoMemoryClassMB(3ull << 20), 4);
    EXPECT_EQ(VideoMemoryClassMB(62ull << 20), 64);
    EXPECT_EQ(VideoMemoryClassMB((64ull << 20) + (512u << 10)), 64) << "the fraction is dropped";
    EXPECT_EQ(VideoMemoryClassMB(65ull << 20), 128);
    EXPECT_EQ(VideoMemoryClassMB(128ull << 20), 128);
    EXPECT_EQ(VideoMemoryClassMB(~0ull), 1 << 30) << "an absurd size stays a positive int";
    EXPECT_EQ(DriverVersionText(0x0006000E000118F5ull), "Driver version: 6.14.01.6389");
    EXPECT_EQ(ResolutionText(800, 600), " 800 x  600");
    EXPECT_EQ(ResolutionText(1024, 768), "1024 x  768");
}

TEST(DeviceLists, without_a_graphics_object_building_fails_and_lists_stay_empty) {
    ScriptedProvider p;
    p.adapters = {TwoDepthAdapter()};
    DeviceLists lists(p);
    SetupRecord r;
    ASSERT_TRUE(lists.BuildAdapterList(r));
    p.createFails = true;
    EXPECT_FALSE(lists.BuildAdapterList(r));
    EXPECT_TRUE(lists.adapters().items.empty());
    EXPECT_TRUE(lists.resolutions().items.empty());
    EXPECT_TRUE(lists.refreshRates().items.empty());
}

TEST(DeviceLists, an_adapter_setting_out_of_range_falls_back_to_the_first) {
    for (int8_t setting : {int8_t{3}, int8_t{2}, int8_t{-1}}) {
        ScriptedProvider p;
        p.adapters = {TwoDepthAdapter("First"), TwoDepthAdapter("Second")};
        DeviceLists lists(p);
        SetupRecord r;
        r.adapter = setting;
        ASSERT_TRUE(lists.BuildAdapterList(r));
        EXPECT_EQ(r.adapter, 0) << int(setting);
        EXPECT_EQ(Texts(lists.adapters()), (Strings{"First", "Second"}));
        EXPECT_EQ(lists.adapters().selected, 0);
    }
}

TEST(DeviceLists, adapters_without_identifier_are_left_out_and_the_shown_one_is_stored) {
    ScriptedProvider p;
    p.adapters = {TwoDepthAdapter("Broken"), TwoDepthAdapter("Second"), TwoDepthAdapter("Third")};
    p.adapters[0].identifierFails = true;
    DeviceLists lists(p);
    SetupRecord r;
    r.adapter = 2;
    ASSERT_TRUE(lists.BuildAdapterList(r));
    EXPECT_EQ(Texts(lists.adapters()), (Strings{"Second", "Third"}));
    EXPECT_EQ(lists.adapters().Selected()->value, 2);

    r.adapter = 0;
    ASSERT_TRUE(lists.BuildAdapterList(r));
    EXPECT_EQ(lists.adapters().selected, 0);
    EXPECT_EQ(r.adapter, 1) << "the record names the adapter the list shows";
}

TEST(DeviceLists, adapter_information_shows_driver_version_and_video_memory) {
    ScriptedProvider p;
    p.adapters = {TwoDepthAdapter()};
    p.adapters[0].driverVersion = 0x0006000E000118F5ull;
    p.videoMemoryBytes = 61ull << 20;
    DeviceLists lists(p);
    SetupRecord r;
    ASSERT_TRUE(lists.BuildAdapterList(r));
    EXPECT_EQ(lists.driverVersionText(), "Driver version: 6.14.01.6389");
    EXPECT_EQ(lists.videoMemoryText(), "VRAM: 64MB");
    EXPECT_EQ(lists.vramMB(), 64);

    p.videoMemoryFails = true;
    p.adapters[0].identifierFails = true;
    p.adapters.push_back(TwoDepthAdapter());
    ASSERT_TRUE(lists.BuildAdapterList(r));
    EXPECT_EQ(lists.vramMB(), 0);
    EXPECT_EQ(lists.videoMemoryText(), "VRAM: 0MB");
    EXPECT_EQ(lists.driverVersionText(), "Driver version: 0.00.00.0000") << "adapter 1 is the one shown";
}

TEST(DeviceLists, resolution_table_merges_modes_in_first_seen_order) {
    ScriptedProvider p;
    ScriptedAdapter a;
    a.modes = {Mode(1024, 768, fmt::kA8R8G8B8), Mode(640, 480, 20 /* R8G8B8 */),
               Mode(800, 600, fmt::kX1R5G5B5), Mode(1024, 768, fmt::kR5G6B5), Mode(512, 384, fmt::kX8R8G8B8)};
    a.failingModes = {4};
    a.multisample = {{fmt::kR5G6B5, true, 2}, {fmt::kR5G6B5, false, 4}, {fmt::kX1R5G5B5, false, 2}};
    p.adapters = {a};
    DeviceLists lists(p);
    SetupRecord r;
    ASSERT_TRUE(lists.BuildAdapterList(r));

    const auto& table = lists.resolutionTable();
    ASSERT_EQ(table.size(), 2u) << "other formats and failing modes are skipped";
    EXPECT_EQ(table[0].width, 1024u);
    EXPECT_EQ(table[0].flags,
              resflag::k16Bit | resflag::k32Bit | resflag::kWindowed2x | resflag::kFullscreen4x);
    EXPECT_EQ(table[1].width, 800u);
    EXPECT_EQ(table[1].flags, resflag::k16Bit | resflag::kFullscreen2x);

    // Sorted by text: 800 x 600 first; values still index the table.
    EXPECT_EQ(Texts(lists.resolutions()), (Strings{" 800 x  600", "1024 x  768"}));
    EXPECT_EQ(lists.resolutions().items[0].value, 1);
    EXPECT_EQ(lists.resolutions().selected, 0);
}

TEST(DeviceLists, no_more_than_256_resolutions_are_listed) {
    ScriptedProvider p;
    ScriptedAdapter a;
    for (uint32_t i = 0; i < 300; ++i) a.modes.push_back(Mode(1000 + i, 500, fmt::kR5G6B5));
    a.modes.push_back(Mode(1000, 500, fmt::kX8R8G8B8));  // a late mode of a listed resolution
    p.adapters = {a};
    DeviceLists lists(p);
    SetupRecord r;
    r.width = 1000;
    r.height = 500;
    ASSERT_TRUE(lists.BuildAdapterList(r));
    ASSERT_EQ(lists.resolutionTable().size(), kMaxResolutions);
    EXPECT_EQ(lists.resolutions().items.size(), kMaxResolutions);
    EXPECT_EQ(lists.resolutionTable().back().width, 1255u);
    EXPECT_EQ(Texts(lists.bitDepths()), (Strings{"16", "32"})) << "its 32-bit mode still counts";
}

TEST(DeviceLists, an_absurd_mode_count_is_bounded) {
    ScriptedProvider p;
    ScriptedAdapter a = TwoDepthAdapter();
    a.overrideModeCount = true;
    a.modeCount = 0xFFFFFFFFu;
    p.adapters = {a};
    DeviceLists lists(p);
    SetupRecord r;
    ASSERT_TRUE(lists.BuildAdapterList(r));
    EXPECT_EQ(lists.resolutionTable().size(), 2u);
    // One pass for the table, one per refresh list build.
    EXPECT_LE(p.enumCalls, 4ull * kMaxModesPerAdapter);
}

// A single resolution 800 x 600 with the given formats.
std::unique_ptr<DeviceLists> BuildSingle(ScriptedProvider& p, std::vector<uint32_t> formats, SetupRecord& r) {
    ScriptedAdapter a;
    for (uint32_t f : formats) a.modes.push_back(Mode(800, 600, f, 60));
    p.adapters = {a};
    auto lists = std::make_unique<DeviceLists>(p);
    EXPECT_TRUE(lists->BuildAdapterList(r));
    return lists;
}

TEST(DeviceLists, bit_depth_list_moves_the_setting_to_an_offered_depth) {
    struct Case {
        std::vector<uint32_t> formats;
        uint32_t stored;
        Strings items;
        int selected;
        uint32_t after;
    };
    const Case cases[] = {
        {{fmt::kX8R8G8B8}, 16, {"32"}, 0, 32},
        {{fmt::kR5G6B5, fmt::kX1R5G5B5}, 32, {"16"}, 0, 16},
        {{fmt::kR5G6B5, fmt::kA8R8G8B8}, 32, {"16", "32"}, 1, 32},
        {{fmt::kR5G6B5, fmt::kA8R8G8B8}, 16, {"16", "32"}, 0, 16},
        // A depth the list cannot show stays until the player picks one.
        {{fmt::kR5G6B5, fmt::kA8R8G8B8}, 24, {"16", "32"}, 1, 24},
        {{fmt::kR5G6B5}, 24, {"16"}, 0, 24},
    };
    for (const Case& c : cases) {
        ScriptedProvider p;
        SetupRecord r;
        r.bitDepth = c.stored;
        auto lists = BuildSingle(p, c.formats, r);
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(Texts(lists->bitDepths()), c.items);
        EXPECT_EQ(lists->bitDepths().selected, c.selected);
        EXPECT_EQ(r.bitDepth, c.after);
    }
}

TEST(DeviceLists, an_unknown_resolution_leaves_depth_empty_and_antialiasing_off) {
    ScriptedProvider p;
    SetupRecord r;
    r.width = 1280;
    r.height = 1024;
    r.antialiasing = 2;
    auto lists = BuildSingle(p, {fmt::kR5G6B5}, r);
    EXPECT_EQ(lists->resolutions().selected, -1);
    EXPECT_TRUE(lists->bitDepths().items.empty());
    EXPECT_EQ(lists->bitDepths().selected, -1);
    EXPECT_EQ(Texts(lists->antialiasing()), (Strings{" OFF"}));
    EXPECT_EQ(lists->antialiasing().selected, -1) << "neither list has a selection";
    EXPECT_EQ(r.bitDepth, 32u);
    EXPECT_EQ(r.antialiasing, 2);
}

TEST(DeviceLists, refresh_list_holds_the_rates_of_the_current_mode_and_depth) {
    ScriptedProvider p;
    ScriptedAdapter a;
    a.modes = {Mode(800, 600, fmt::kX8R8G8B8, 60), Mode(800, 600, fmt::kA8R8G8B8, 60),
               Mode(800, 600, fmt::kX8R8G8B8, 0),  Mode(800, 600, fmt::kX8R8G8B8, 100),
               Mode(800, 600, fmt::kR5G6B5, 85),   Mode(1024, 768, fmt::kX8R8G8B8, 85),
               Mode(800, 600, fmt::kX8R8G8B8, 72)};
    p.adapters = {a};
    DeviceLists lists(p);
    SetupRecord r;
    r.refreshRate = 100;
    ASSERT_TRUE(lists.BuildAdapterList(r));
    // 60 Hz in two 32-bit formats is listed once; rate 0 adds nothing.
    EXPECT_EQ(Texts(lists.refreshRates()), (Strings{"Default", "60 Hz", "100 Hz", "72 Hz"}));
    EXPECT_EQ(lists.refreshRates().Selected()->value, 100);
    EXPECT_EQ(r.refreshRate, 100u);

    r.refreshRate = 85;  // offered only at 16 bits or at another resolution
    lists.BuildRefreshList(r);
    EXPECT_EQ(lists.refreshRates().selected, 0);
    EXPECT_EQ(r.refreshRate, 0u);
}

TEST(DeviceLists, antialiasing_offers_the_levels_of_the_screen_mode) {
    ScriptedProvider p;
    ScriptedAdapter a;
    a.modes = {Mode(800, 600, fmt::kX8R8G8B8)};
    a.multisample = {{fmt::kX8R8G8B8, true, 2}, {fmt::kX8R8G8B8, false, 2}, {fmt::kX8R8G8B8, false, 4}};
    p.adapters = {a};
    DeviceLists lists(p);
    SetupRecord r;
    r.fullscreen = 0;
    r.antialiasing = 2;
    ASSERT_TRUE(lists.BuildAdapterList(r));
    EXPECT_EQ(Texts(lists.antialiasing()), (Strings{" OFF", " 2x"}));
    EXPECT_EQ(lists.antialiasing().selected, 1);

    r.antialiasing = 4;  // not offered in a window: shows OFF, the setting stays
    lists.BuildModeLists(r, DeviceLists::kCurrentResolution);
    EXPECT_EQ(lists.antialiasing().selected, 0);
    EXPECT_EQ(r.antialiasing, 4);

    r.fullscreen = 1;
    lists.BuildModeLists(r, DeviceLists::kCurrentResolution);
    EXPECT_EQ(Texts(lists.antialiasing()), (Strings{" OFF", " 2x", " 4x"}));
    EXPECT_EQ(lists.antialiasing().selected, 2);

    r.antialiasing = 0;
    lists.BuildModeLists(r, DeviceLists::kCurrentResolution);
    EXPECT_EQ(lists.antialiasing().selected, 0);

    // A stored level that no item can show, on a mode offering both levels:
    // nothing is selected and the setting stays.
    r.antialiasing = 8;
    lists.BuildModeLists(r, DeviceLists::kCurrentResolution);
    EXPECT_EQ(lists.antialiasing().selected, -1);
    EXPECT_EQ(r.antialiasing, 8);
    // The same level on a mode lacking one of the two shows " OFF".
    r.fullscreen = 0;
    lists.BuildModeLists(r, DeviceLists::kCurrentResolution);
    EXPECT_EQ(lists.antialiasing().selected, 0);

    // 2x in one screen mode only is offered in that mode alone.
    for (const bool windowed : {true, false}) {
        SCOPED_TRACE(windowed ? "2x windowed only" : "2x in full screen only");
        p.adapters[0].multisample = {{fmt::kX8R8G8B8, windowed, 2}};
        r.fullscreen = 0;
        ASSERT_TRUE(lists.BuildAdapterList(r));
        EXPECT_EQ(Texts(lists.antialiasing()), windowed ? (Strings{" OFF", " 2x"}) : (Strings{" OFF"}));
        r.fullscreen = 1;
        lists.BuildModeLists(r, DeviceLists::kCurrentResolution);
        EXPECT_EQ(Texts(lists.antialiasing()), windowed ? (Strings{" OFF"}) : (Strings{" OFF", " 2x"}));
    }
}

TEST(DeviceLists, w_buffer_support_follows_the_raster_caps) {
    ScriptedProvider p;
    p.adapters = {TwoDepthAdapter(), TwoDepthAdapter()};
    p.adapters[0].rasterCaps = 0;
    p.adapters[1].capsFail = true;
    DeviceLists lists(p);
    SetupRecord r;
    ASSERT_TRUE(lists.BuildAdapterList(r));
    EXPECT_FALSE(lists.wBufferSupported());
    r.adapter = 1;
    ASSERT_TRUE(lists.BuildAdapterList(r));
    EXPECT_TRUE(lists.wBufferSupported()) << "a failed query counts as support";
}

TEST(DeviceLists, choices_update_the_record_and_the_dependent_lists) {
    ScriptedProvider p;
    p.adapters = {TwoDepthAdapter("A"), TwoDepthAdapter("B")};
    p.adapters[1].modes = {Mode(640, 480, fmt::kR5G6B5, 60)};
    p.adapters[1].rasterCaps = 0;
    DeviceLists lists(p);
    SetupRecord r;
    r.fullscreen = 1;
    ASSERT_TRUE(lists.BuildAdapterList(r));

    // Resolution 1024 x 768: its 32-bit rate 60 and, after picking 16 bits, 85.
    ASSERT_TRUE(lists.ChooseResolution(r, 1));
    EXPECT_EQ(r.width, 1024u);
    EXPECT_EQ(r.height, 768u);
    EXPECT_EQ(Texts(lists.refreshRates()), (Strings{"Default", "60 Hz"}));
    ASSERT_TRUE(lists.ChooseBitDepth(r, 0));
    EXPECT_EQ(r.bitDepth, 16u);
    EXPECT_EQ(Texts(lists.refreshRates()), (Strings{"Default", "85 Hz"}));
    ASSERT_TRUE(lists.ChooseRefreshRate(r, 1));
    EXPECT_EQ(r.refreshRate, 85u);
    EXPECT_FALSE(lists.ChooseRefreshRate(r, 2));
    p.adapters[0].modes.push_back(Mode(1024, 768, fmt::kR5G6B5, 300));
    lists.BuildRefreshList(r);
    ASSERT_TRUE(lists.ChooseRefreshRate(r, 2));
    EXPECT_EQ(r.refreshRate, 300u) << "the whole rate, not its low byte";
    EXPECT_FALSE(lists.ChooseResolution(r, -1));
    EXPECT_EQ(r.refreshRate, 300u);

    ASSERT_TRUE(lists.ChooseAdapter(r, 1));
    EXPECT_EQ(r.adapter, 1);
    EXPECT_EQ(Texts(lists.resolutions()), (Strings{" 640 x  480"}));
    EXPECT_FALSE(lists.wBufferSupported());
}

}  // namespace
}  // namespace setup
