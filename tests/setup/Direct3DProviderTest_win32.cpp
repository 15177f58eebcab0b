#include <windows.h>

#include <gtest/gtest.h>

#include "setup/direct3d_provider_win32.h"

namespace {

using setup::AdapterIdentifier;
using setup::Direct3DProvider;
using setup::DisplayMode;

// Wine reads its Direct3D settings when the library is first loaded, so they
// are fixed before any test runs: the default renderer and 64 MB of video
// memory.
class WineDirect3DSettings : public ::testing::Environment {
public:
    void SetUp() override {
        HKEY key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Direct3D", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr) != ERROR_SUCCESS)
            return;
        RegDeleteValueA(key, "renderer");
        const char size[] = "64";
        RegSetValueExA(key, "VideoMemorySize", 0, REG_SZ, reinterpret_cast<const BYTE*>(size), sizeof size);
        RegCloseKey(key);
    }
};
const auto* const kSettings = ::testing::AddGlobalTestEnvironment(new WineDirect3DSettings);

TEST(Direct3DProvider, every_query_fails_cleanly_without_a_graphics_object) {
    Direct3DProvider provider;
    EXPECT_FALSE(provider.HasGraphics());
    AdapterIdentifier id;
    DisplayMode mode;
    uint32_t caps = 0;
    EXPECT_EQ(provider.AdapterCount(), 0u);
    EXPECT_FALSE(provider.GetAdapterIdentifier(0, &id));
    EXPECT_EQ(provider.AdapterModeCount(0), 0u);
    EXPECT_FALSE(provider.EnumAdapterMode(0, 0, &mode));
    EXPECT_FALSE(provider.CheckMultiSample(0, setup::d3dformat::kX8R8G8B8, true, 4));
    EXPECT_FALSE(provider.GetRasterCaps(0, &caps));
}

TEST(Direct3DProvider, lists_the_adapter_and_its_modes) {
    Direct3DProvider provider;
    ASSERT_TRUE(provider.CreateGraphics());
    ASSERT_TRUE(provider.HasGraphics());
    uint32_t adapters = provider.AdapterCount();
    ASSERT_GE(adapters, 1u);

    AdapterIdentifier id;
    ASSERT_TRUE(provider.GetAdapterIdentifier(0, &id));
    EXPECT_FALSE(id.description.empty());
    EXPECT_NE(id.driverVersion, 0u);

    uint32_t modes = provider.AdapterModeCount(0);
    ASSERT_GT(modes, 0u);
    bool sawTrueColour = false;
    for (uint32_t i = 0; i < modes; ++i) {
        DisplayMode mode;
        ASSERT_TRUE(provider.EnumAdapterMode(0, i, &mode)) << i;
        EXPECT_GT(mode.width, 0u);
        EXPECT_GT(mode.height, 0u);
        if (mode.format == setup::d3dformat::kX8R8G8B8) sawTrueColour = true;
    }
    EXPECT_TRUE(sawTrueColour);

    // Past the last adapter or mode the queries fail instead of answering.
    DisplayMode mode;
    EXPECT_FALSE(provider.EnumAdapterMode(0, modes, &mode));
    EXPECT_FALSE(provider.GetAdapterIdentifier(adapters, &id));
    EXPECT_EQ(provider.AdapterModeCount(adapters), 0u);
    EXPECT_FALSE(provider.GetAdapterIdentifier(0, nullptr));
    EXPECT_FALSE(provider.EnumAdapterMode(0, 0, nullptr));

    // A second object replaces the first.
    ASSERT_TRUE(provider.CreateGraphics());
    EXPECT_EQ(provider.AdapterCount(), adapters);
}

TEST(Direct3DProvider, multisampling_is_asked_for_two_or_four_samples_only) {
    Direct3DProvider provider;
    ASSERT_TRUE(provider.CreateGraphics());
    // Wine's Direct3D offers 4 samples for a 32-bit surface.
    EXPECT_TRUE(provider.CheckMultiSample(0, setup::d3dformat::kX8R8G8B8, true, 4));
    EXPECT_FALSE(provider.CheckMultiSample(0, setup::d3dformat::kX8R8G8B8, true, 3));
    EXPECT_FALSE(provider.CheckMultiSample(0, setup::d3dformat::kX8R8G8B8, true, 8));
    uint32_t caps = 0;
    EXPECT_TRUE(provider.GetRasterCaps(0, &caps));
    EXPECT_FALSE(provider.GetRasterCaps(0, nullptr));
}

TEST(Direct3DProvider, local_video_memory_follows_the_configured_size) {
    Direct3DProvider provider;
    uint64_t total = 0;
    ASSERT_TRUE(provider.GetLocalVideoMemory(&total));
    // Told 64 MB, Wine keeps a few for itself: more than 32 MB, at most 64.
    EXPECT_GT(total >> 20, 32u);
    EXPECT_LE(total >> 20, 64u);
    EXPECT_FALSE(provider.GetLocalVideoMemory(nullptr));
}

}  // namespace
