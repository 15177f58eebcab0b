// The backdrop: a black borderless window over the whole screen, and the
// billboard pictures of one disc loaded from that disc's archive and shown
// centred.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "installer/engine/installer_folders.h"
#include "installer/engine/settings_table.h"
#include "installer/wizard/billboard_window_win32.h"
#include "tests/win32/wine_fixture.h"
#include "tools/packer.h"

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

class Billboard : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(source_.ok());
        ASSERT_TRUE(Folders().SetSource(source_.path().c_str()));
        Settings().Set(Setting::NumOfBilboardsPerCd, "3");
    }
    void TearDown() override {
        Settings().Clear();
        Folders().SetSource("");
    }

    // Packs the pictures of `entries` into "bilboard<disc>.dta" in the source
    // folder, with the installer's key words.
    void Pack(uint32_t disc, const std::vector<std::pair<std::string, std::vector<uint8_t>>>& entries) {
        std::vector<dta::tools::PackInput> inputs;
        for (const auto& [name, data] : entries) {
            dta::tools::PackInput input;
            input.name = name;
            input.data = data;
            inputs.push_back(input);
        }
        std::vector<uint8_t> image;
        std::string error;
        ASSERT_TRUE(dta::tools::BuildArchive(inputs, dta::tools::kDefaultKey1, dta::tools::kDefaultKey2,
                                             &image, &error))
            << error;
        ASSERT_TRUE(dta::tools::WriteFileAtomically(source_ / ("bilboard" + std::to_string(disc) + ".dta"),
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

}  // namespace

TEST_F(Billboard, the_backdrop_is_a_black_borderless_window_over_the_whole_screen) {
    wizard::BillboardWindow backdrop;
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
    wizard::BillboardWindow backdrop;
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
    wizard::BillboardWindow backdrop;
    ASSERT_TRUE(backdrop.Create());
    for (int i = 0; i < 5; ++i) backdrop.LoadBillboardSet(0);
    EXPECT_EQ(backdrop.PictureCount(), 2u);
    const std::vector<HBITMAP> shown = backdrop.Pictures();

    // A disc without an archive: the set empties and its bitmaps are gone.
    backdrop.LoadBillboardSet(7);
    EXPECT_EQ(backdrop.PictureCount(), 0u);
    for (HBITMAP bitmap : shown) EXPECT_EQ(GetObjectType(bitmap), 0u);

    Settings().Set(Setting::NumOfBilboardsPerCd, "none");
    backdrop.LoadBillboardSet(0);
    EXPECT_EQ(backdrop.PictureCount(), 0u);
}
