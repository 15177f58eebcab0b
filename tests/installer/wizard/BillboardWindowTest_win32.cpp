// The backdrop: a black borderless window over the whole screen, and the
// billboard pictures of one disc loaded from that disc's archive and shown
// centred.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "installer/engine/installation.h"
#include "installer/engine/installer_folders.h"
#include "installer/engine/settings_table.h"
#include "installer/wizard/billboard_window_win32.h"
#include "tests/installer/wizard/dialog_script_win32.h"
#include "tests/support/wine_fixture_win32.h"
#include "dta/pack/packer.h"

using namespace installer;

namespace {

// An uncompressed 24-bit picture of one colour, as a bitmap file.
std::vector<uint8_t> Picture(int32_t width, int32_t height, COLORREF colour) {
    const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    std::vector<uint8_t> bytes(54 + stride * static_cast<uint32_t>(height), 0);
    auto put32 = [&bytes](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, static_cast<uint32_t>(bytes.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    bytes[26] = 1;
    bytes[28] = 24;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* pixel = &bytes[54 + y * stride + x * 3];
            pixel[0] = GetBValue(colour);
            pixel[1] = GetGValue(colour);
            pixel[2] = GetRValue(colour);
        }
    }
    return bytes;
}

// How a picture is stored: info header size, compression, bits per pixel,
// colour masks (for bit fields), row order, and the bytes left between the
// headers and the rows (named by bfOffBits).
struct Layout {
    const char* name;  // also the screenshot's
    uint32_t infoSize;
    uint32_t compression;
    uint16_t bits;
    uint32_t masks[3];
    bool topDown;
    uint32_t gap;
};

// One pixel's value for a channel mask: the colour's top bits moved into it.
uint32_t Channel(uint8_t value, uint32_t mask) {
    int shift = 0;
    while (!(mask >> shift & 1)) ++shift;
    int width = 0;
    while (mask >> (shift + width) & 1) ++width;
    return static_cast<uint32_t>(value >> (8 - width)) << shift;
}

// An 800 x 600 picture in `layout` whose quarters are red (top left), green
// (top right), blue (bottom left) and white: a wrong row order, pixel
// offset or mask moves or changes the colours seen near the middle.
std::vector<uint8_t> QuarterPicture(const Layout& layout) {
    constexpr int32_t kWidth = 800;
    constexpr int32_t kHeight = 600;
    const COLORREF quarters[4] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 255)};
    const bool fields = layout.compression == BI_BITFIELDS;
    uint32_t masks[3] = {layout.masks[0], layout.masks[1], layout.masks[2]};
    if (!fields) {  // the masks an uncompressed picture implies
        const uint32_t rgb555[3] = {0x7C00, 0x03E0, 0x001F};
        const uint32_t rgb888[3] = {0xFF0000, 0xFF00, 0xFF};
        for (int i = 0; i < 3; ++i) masks[i] = layout.bits == 16 ? rgb555[i] : rgb888[i];
    }
    const uint32_t pixelBytes = layout.bits / 8u;
    const uint32_t stride = (kWidth * pixelBytes + 3) & ~3u;
    const uint32_t offBits = 14 + layout.infoSize + (fields && layout.infoSize == 40 ? 12 : 0) + layout.gap;
    std::vector<uint8_t> bytes(offBits + stride * kHeight, 0x77);
    auto put = [&bytes](size_t at, uint32_t value, int count) {
        for (int i = 0; i < count; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    };
    std::fill(bytes.begin(), bytes.begin() + 14 + layout.infoSize, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    put(2, static_cast<uint32_t>(bytes.size()), 4);
    put(10, layout.infoSize == 40 && !fields ? 0 : offBits, 4);  // 54 is used there regardless
    put(14, layout.infoSize, 4);
    put(18, kWidth, 4);
    put(22, static_cast<uint32_t>(layout.topDown ? -kHeight : kHeight), 4);
    put(26, 1, 2);
    put(28, layout.bits, 2);
    put(30, layout.compression, 4);
    if (fields) {
        for (int i = 0; i < 3; ++i) put(54 + 4 * i, masks[i], 4);
    }
    for (int32_t row = 0; row < kHeight; ++row) {
        const int32_t stored = layout.topDown ? row : kHeight - 1 - row;
        for (int32_t x = 0; x < kWidth; ++x) {
            const COLORREF colour = quarters[(row >= kHeight / 2) * 2 + (x >= kWidth / 2)];
            const size_t at = offBits + static_cast<size_t>(stored) * stride + x * pixelBytes;
            if (layout.bits == 24) {
                put(at, GetBValue(colour) | GetGValue(colour) << 8 | GetRValue(colour) << 16, 3);
            } else {
                put(at,
                    Channel(GetRValue(colour), masks[0]) | Channel(GetGValue(colour), masks[1]) |
                        Channel(GetBValue(colour), masks[2]),
                    static_cast<int>(pixelBytes));
            }
        }
    }
    return bytes;
}

class Billboard : public ::testing::Test {
protected:
    // The installation the code under test is handed.
    installer::Installation installation_;
    void SetUp() override {
        ASSERT_TRUE(source_.ok());
        ASSERT_TRUE(installation_.folders.SetSource(source_.path().c_str()));
        installation_.settings.Set(Setting::NumOfBilboardsPerCd, "3");
    }
    void TearDown() override {
        installation_.settings.Clear();
        installation_.folders.SetSource("");
    }

    // Packs the pictures of `entries` into "bilboard<disc>.dta" in the source
    // folder, with the installer's key words.
    void Pack(uint32_t disc, const std::vector<std::pair<std::string, std::vector<uint8_t>>>& entries) {
        std::vector<dta::pack::PackInput> inputs;
        for (const auto& [name, data] : entries) {
            dta::pack::PackInput input;
            input.name = name;
            input.data = data;
            inputs.push_back(input);
        }
        std::vector<uint8_t> image;
        std::string error;
        ASSERT_TRUE(
            dta::pack::BuildArchive(inputs, dta::pack::kDefaultKey1, dta::pack::kDefaultKey2, &image, &error))
            << error;
        ASSERT_TRUE(dta::pack::WriteFileAtomically(source_ / ("bilboard" + std::to_string(disc) + ".dta"),
                                                   image, &error))
            << error;
    }

    korvo::test::ScratchFolder source_;
};

// The colour the window shows at client point x, y once it has painted.
COLORREF ShownAt(HWND window, int x, int y) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    HDC dc = GetDC(window);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

// Saves the screen as screenshots/dpi<N>/<name>.png in the test's folder,
// where the wizard pages' screenshots go.
void SaveShot(const std::string& name) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    const std::string folder = wizard_test::kStartFolder + "screenshots\\dpi" + std::to_string(dpi);
    CreateDirectoryA((wizard_test::kStartFolder + "screenshots").c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    GdiFlush();
    EXPECT_TRUE(e2e::SaveScreenshot(folder + "\\" + name + ".png"));
}

}  // namespace

TEST_F(Billboard, the_backdrop_is_a_black_borderless_window_over_the_whole_screen) {
    wizard::BillboardWindow backdrop(installation_);
    ASSERT_TRUE(backdrop.Create());
    HWND window = backdrop.Handle();
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    EXPECT_STREQ(name, "bilboard");
    char title[32] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "PWSetup");
    EXPECT_EQ(GetMenu(window), nullptr);
    const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME));
    RECT area;
    GetWindowRect(window, &area);
    EXPECT_EQ(area.right - area.left, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(area.bottom - area.top, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(ShownAt(window, 10, 10), RGB(0, 0, 0));
}

TEST_F(Billboard, a_disc_set_skips_missing_and_damaged_pictures_and_shows_one_centred) {
    std::vector<uint8_t> cut = Picture(800, 600, RGB(0, 255, 0));
    cut.resize(cut.size() - 1);
    // Disc index 1 with three pictures per disc: pictures 3 to 5.
    Pack(1, {{"bilboard3.bmp", Picture(800, 600, RGB(255, 0, 0))},
             {"bilboard4.bmp", cut},
             {"bilboard2.bmp", Picture(800, 600, RGB(9, 9, 9))},
             {"bilboard5.bmp", Picture(800, 600, RGB(0, 0, 255))},
             {"bilboard6.bmp", Picture(800, 600, RGB(9, 9, 9))}});
    wizard::BillboardWindow backdrop(installation_);
    ASSERT_TRUE(backdrop.Create());
    backdrop.LoadBillboardSet(1);
    EXPECT_EQ(backdrop.PictureCount(), 2u);

    RECT client;
    GetClientRect(backdrop.Handle(), &client);
    const int left = (client.right - 800) / 2;
    const int top = (client.bottom - 600) / 2;
    ASSERT_GT(left, 0);
    backdrop.SetBillboardIndex(1);  // the later picture moved up
    EXPECT_EQ(ShownAt(backdrop.Handle(), left, top), RGB(0, 0, 255));
    EXPECT_EQ(ShownAt(backdrop.Handle(), left + 799, top + 599), RGB(0, 0, 255));
    EXPECT_EQ(ShownAt(backdrop.Handle(), left - 1, top), RGB(0, 0, 0));
    backdrop.SetBillboardIndex(0);
    EXPECT_EQ(ShownAt(backdrop.Handle(), client.right / 2, client.bottom / 2), RGB(255, 0, 0));
    // Beyond the set: the black background alone.
    backdrop.SetBillboardIndex(2);
    EXPECT_EQ(ShownAt(backdrop.Handle(), client.right / 2, client.bottom / 2), RGB(0, 0, 0));
}

TEST_F(Billboard, each_load_replaces_the_set_and_a_disc_without_pictures_gives_none) {
    Pack(0, {{"bilboard0.bmp", Picture(800, 600, RGB(1, 2, 3))},
             {"bilboard1.bmp", Picture(8, 6, RGB(4, 5, 6))}});
    wizard::BillboardWindow backdrop(installation_);
    ASSERT_TRUE(backdrop.Create());
    for (int i = 0; i < 5; ++i) backdrop.LoadBillboardSet(0);
    EXPECT_EQ(backdrop.PictureCount(), 2u);
    const std::vector<HBITMAP> shown = backdrop.Pictures();

    // A disc without an archive: the set empties and its bitmaps are gone.
    backdrop.LoadBillboardSet(7);
    EXPECT_EQ(backdrop.PictureCount(), 0u);
    for (HBITMAP bitmap : shown) EXPECT_EQ(GetObjectType(bitmap), 0u);

    installation_.settings.Set(Setting::NumOfBilboardsPerCd, "none");
    backdrop.LoadBillboardSet(0);
    EXPECT_EQ(backdrop.PictureCount(), 0u);
}

TEST_F(Billboard, pictures_with_colour_masks_or_larger_headers_show_their_colours) {
    const Layout layouts[] = {
        {"rgb24-40", 40, BI_RGB, 24, {}, false, 0},
        {"fields565", 40, BI_BITFIELDS, 16, {0xF800, 0x07E0, 0x001F}, false, 0},
        {"fields555-gap", 40, BI_BITFIELDS, 16, {0x7C00, 0x03E0, 0x001F}, false, 4},
        {"fields888-topdown", 40, BI_BITFIELDS, 32, {0xFF0000, 0xFF00, 0xFF}, true, 0},
        {"v4-fields565-gap", 108, BI_BITFIELDS, 16, {0xF800, 0x07E0, 0x001F}, false, 8},
        {"v5-fields888-topdown", 124, BI_BITFIELDS, 32, {0xFF0000, 0xFF00, 0xFF}, true, 4},
        {"v4-rgb24", 108, BI_RGB, 24, {}, false, 0},
        {"v5-rgb16-topdown-gap", 124, BI_RGB, 16, {}, true, 2},
    };
    const size_t count = sizeof layouts / sizeof layouts[0];
    installation_.settings.Set(Setting::NumOfBilboardsPerCd, std::to_string(count).c_str());
    std::vector<std::pair<std::string, std::vector<uint8_t>>> entries;
    for (size_t i = 0; i < count; ++i) {
        entries.push_back({"bilboard" + std::to_string(i) + ".bmp", QuarterPicture(layouts[i])});
    }
    Pack(0, entries);
    wizard::BillboardWindow backdrop(installation_);
    ASSERT_TRUE(backdrop.Create());
    backdrop.LoadBillboardSet(0);
    ASSERT_EQ(backdrop.PictureCount(), count);

    RECT client;
    GetClientRect(backdrop.Handle(), &client);
    const int left = (client.right - 800) / 2;
    const int top = (client.bottom - 600) / 2;
    ASSERT_GT(left, 0);
    ASSERT_GT(top, 0);
    HWND window = backdrop.Handle();
    for (size_t i = 0; i < count; ++i) {
        SCOPED_TRACE(layouts[i].name);
        backdrop.SetBillboardIndex(static_cast<uint32_t>(i));
        // The corners, and the pixels on either side of the middle lines.
        EXPECT_EQ(ShownAt(window, left, top), RGB(255, 0, 0));
        EXPECT_EQ(ShownAt(window, left + 399, top + 299), RGB(255, 0, 0));
        EXPECT_EQ(ShownAt(window, left + 400, top + 299), RGB(0, 255, 0));
        EXPECT_EQ(ShownAt(window, left + 799, top), RGB(0, 255, 0));
        EXPECT_EQ(ShownAt(window, left + 399, top + 300), RGB(0, 0, 255));
        EXPECT_EQ(ShownAt(window, left, top + 599), RGB(0, 0, 255));
        EXPECT_EQ(ShownAt(window, left + 400, top + 300), RGB(255, 255, 255));
        EXPECT_EQ(ShownAt(window, left + 799, top + 599), RGB(255, 255, 255));
        SaveShot(std::string("billboard-") + layouts[i].name);
    }
}

TEST_F(Billboard, the_set_follows_the_pictures_present_whatever_the_setting_allows) {
    // Every number up to 2^31 - 2 belongs to disc 1; only the names present
    // are read, in ascending order, plain files of the current folder among
    // them, and a name the loader would never ask for is left out.
    installation_.settings.Set(Setting::NumOfBilboardsPerCd, "2147483647");
    Pack(0, {{"bilboard9.bmp", Picture(800, 600, RGB(0, 0, 9))},
             {"BILBOARD2.BMP", Picture(800, 600, RGB(0, 0, 2))},
             {"bilboard05.bmp", Picture(800, 600, RGB(0, 0, 5))},
             {"bilboard2147483647.bmp", Picture(800, 600, RGB(0, 0, 7))}});
    Pack(1, {{"bilboard2147483647.bmp", Picture(800, 600, RGB(0, 0, 7))},
             {"bilboard4294967294.bmp", Picture(800, 600, RGB(0, 0, 8))}});
    const std::vector<uint8_t> plain = Picture(800, 600, RGB(0, 0, 4));
    ASSERT_TRUE(
        korvo::test::WriteWholeFile(source_ / "bilboard4.bmp", std::string(plain.begin(), plain.end())));
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(source_.path().c_str()));

    wizard::BillboardWindow backdrop(installation_);
    ASSERT_TRUE(backdrop.Create());
    const DWORD start = GetTickCount();
    backdrop.LoadBillboardSet(0);
    const DWORD took = GetTickCount() - start;
    const size_t firstDisc = backdrop.PictureCount();
    std::vector<COLORREF> shown;
    RECT client;
    GetClientRect(backdrop.Handle(), &client);
    for (uint32_t i = 0; i < firstDisc; ++i) {
        backdrop.SetBillboardIndex(i);
        shown.push_back(ShownAt(backdrop.Handle(), client.right / 2, client.bottom / 2));
    }
    backdrop.LoadBillboardSet(1);
    const size_t secondDisc = backdrop.PictureCount();
    backdrop.SetBillboardIndex(0);
    const COLORREF secondShown = ShownAt(backdrop.Handle(), client.right / 2, client.bottom / 2);
    SetCurrentDirectoryA(previous);

    EXPECT_LT(took, 5000u);
    EXPECT_EQ(shown, (std::vector<COLORREF>{RGB(0, 0, 2), RGB(0, 0, 4), RGB(0, 0, 9)}));
    // Disc 2 starts at 2^31 - 1; its archive's other picture belongs to disc 3.
    EXPECT_EQ(secondDisc, 1u);
    EXPECT_EQ(secondShown, RGB(0, 0, 7));
}
