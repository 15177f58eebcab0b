// Generates the demo disc's binary assets so that none is kept in the
// repository:
//
//   korvo_demo_assets OUTDIR PICTURES
//
//   OUTDIR/pictures/bilboard0.bmp ... bilboard<PICTURES-1>.bmp
//       the billboards: 800 x 600, 24 bits per pixel, no colour table (the
//       billboard window takes the pixels from offset 54)
//   OUTDIR/sound/intro.wav      1 s of 16-bit mono PCM at 22050 Hz
//   OUTDIR/textures/*.bmp       two large textures, the bulk of the game data
//
// The output depends on nothing but this program and its arguments.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "dta/format.h"
#include "dta/pack/packer.h"
#include "dta/pack/wave_file.h"

namespace {

using dta::format::WriteLe16;
using dta::format::WriteLe32;

constexpr double kPi = 3.14159265358979323846;
constexpr uint32_t kRate = 22050;
constexpr int kBillboardWidth = 800;
constexpr int kBillboardHeight = 600;
constexpr size_t kBitmapHeaderSize = 54;  // file header and info header, no colour table

struct Rgb {
    uint8_t r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto lerp = [t](uint8_t x, uint8_t y) { return static_cast<uint8_t>(std::lround(x + (y - x) * t)); };
    return {lerp(a.r, b.r), lerp(a.g, b.g), lerp(a.b, b.b)};
}

// A 24-bit picture in memory, top row first; Save writes it bottom-up as a
// Windows bitmap file.
class Picture {
public:
    Picture(int width, int height) : width_(width), height_(height), pixels_(size_t(width) * height) {}

    int width() const { return width_; }
    int height() const { return height_; }

    void Set(int x, int y, Rgb c) {
        if (x >= 0 && y >= 0 && x < width_ && y < height_) pixels_[size_t(y) * width_ + x] = c;
    }
    Rgb Get(int x, int y) const { return pixels_[size_t(y) * width_ + x]; }

    void Fill(int x0, int y0, int w, int h, Rgb c) {
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x) Set(x, y, c);
    }

    std::vector<uint8_t> Bitmap() const {
        const uint32_t rowBytes = (uint32_t(width_) * 3 + 3) & ~3u;
        const uint32_t pixelBytes = rowBytes * height_;
        std::vector<uint8_t> f(kBitmapHeaderSize + pixelBytes);
        f[0] = 'B';
        f[1] = 'M';
        WriteLe32(&f[2], static_cast<uint32_t>(f.size()));
        WriteLe32(&f[10], kBitmapHeaderSize);
        WriteLe32(&f[14], 40);
        WriteLe32(&f[18], width_);
        WriteLe32(&f[22], height_);
        WriteLe16(&f[26], 1);
        WriteLe16(&f[28], 24);
        WriteLe32(&f[34], pixelBytes);
        for (int y = 0; y < height_; ++y) {
            uint8_t* row = &f[kBitmapHeaderSize + size_t(height_ - 1 - y) * rowBytes];
            for (int x = 0; x < width_; ++x) {
                const Rgb c = Get(x, y);
                row[x * 3] = c.b;
                row[x * 3 + 1] = c.g;
                row[x * 3 + 2] = c.r;
            }
        }
        return f;
    }

private:
    int width_, height_;
    std::vector<Rgb> pixels_;
};

// Deterministic pseudo-random numbers, the same on every platform.
class Lcg {
public:
    explicit Lcg(uint32_t seed) : state_(seed * 2654435761u + 12345u) {}
    uint32_t Next(uint32_t bound) {
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) % bound;
    }

private:
    uint32_t state_;
};

// ---- lettering: a 5 x 7 pixel font, one row per byte, bit 4 leftmost ----

struct Glyph {
    char c;
    uint8_t rows[7];
};

const Glyph kFont[] = {
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}}, {'D', {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}}, {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}}, {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}}, {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}}, {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}}, {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04}}, {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'/', {0x01, 0x01, 0x02, 0x04, 0x08, 0x10, 0x10}}, {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}}, {'!', {0x04, 0x04, 0x04, 0x04, 0x04, 0x00, 0x04}},
};

const Glyph* FindGlyph(char c) {
    for (const Glyph& g : kFont)
        if (g.c == c) return &g;
    return nullptr;  // a blank
}

// Width of `text` in pixels at `scale` (each glyph 5 columns plus 1 of space).
int TextWidth(const std::string& text, int scale) {
    return text.empty() ? 0 : int(text.size()) * 6 * scale - scale;
}

// Draws `text` with its top-left corner at x, y, each font pixel a square of
// `scale`, with a drop shadow one font pixel down and right.
void DrawText(Picture& p, const std::string& text, int x, int y, int scale, Rgb colour) {
    const Rgb shadow = {10, 10, 20};
    for (int pass = 0; pass < 2; ++pass) {
        const int offset = pass == 0 ? std::max(1, scale / 2) : 0;
        int cx = x;
        for (char c : text) {
            if (const Glyph* g = FindGlyph(c)) {
                for (int row = 0; row < 7; ++row)
                    for (int col = 0; col < 5; ++col)
                        if (g->rows[row] & (0x10 >> col))
                            p.Fill(cx + col * scale + offset, y + row * scale + offset, scale, scale,
                                   pass == 0 ? shadow : colour);
            }
            cx += 6 * scale;
        }
    }
}

// ---- billboards ----------------------------------------------------------

struct Scene {
    Rgb skyTop, skyHorizon, sun, buildings, windows;
    const char* caption;
};

// One scene per picture number; a disc's pictures follow each other, so
// neighbours differ in light as well as in words.
const Scene kScenes[] = {
    {{16, 20, 64}, {250, 150, 80}, {255, 230, 150}, {30, 24, 48}, {255, 210, 110}, "WELCOME TO KORVO CITY"},
    {{40, 110, 190}, {190, 225, 245}, {255, 250, 220}, {60, 70, 90}, {200, 220, 240}, "BUILD THE HARBOUR"},
    {{6, 8, 24}, {40, 40, 90}, {230, 230, 240}, {14, 14, 26}, {255, 200, 90}, "TRADE BY NIGHT"},
    {{120, 60, 120}, {255, 170, 120}, {255, 240, 200}, {50, 30, 60}, {255, 220, 140}, "RULE THE SKYLINE"},
    {{70, 80, 90}, {170, 180, 185}, {220, 220, 220}, {40, 44, 50}, {250, 240, 200}, "THE OLD TOWN AWAITS"},
    {{20, 60, 40}, {150, 200, 140}, {250, 250, 210}, {30, 50, 40}, {240, 240, 170}, "GARDENS OF THE NORTH"},
    {{90, 20, 30}, {250, 120, 60}, {255, 220, 120}, {40, 16, 20}, {255, 190, 90}, "FIRE OVER THE DOCKS"},
    {{10, 30, 70}, {90, 160, 210}, {255, 255, 255}, {20, 30, 50}, {180, 230, 255}, "SEE YOU IN KORVO!"},
};

Picture Billboard(int number) {
    const Scene& s = kScenes[number % (sizeof kScenes / sizeof kScenes[0])];
    Picture p(kBillboardWidth, kBillboardHeight);
    const int horizon = 430;
    // Sky, then the harbour water reflecting it, darker and rippled.
    for (int y = 0; y < horizon; ++y)
        for (int x = 0; x < p.width(); ++x) p.Set(x, y, Mix(s.skyTop, s.skyHorizon, double(y) / horizon));
    const int sunX = 560 - number * 37 % 240, sunY = 250, sunR = 48;
    for (int y = sunY - sunR; y <= sunY + sunR; ++y)
        for (int x = sunX - sunR; x <= sunX + sunR; ++x)
            if ((x - sunX) * (x - sunX) + (y - sunY) * (y - sunY) <= sunR * sunR) p.Set(x, y, s.sun);
    // The skyline: blocks of random width and height with lit windows.
    Lcg rng(static_cast<uint32_t>(number) + 1);
    for (int x = 0; x < p.width();) {
        const int w = 30 + int(rng.Next(50));
        const int h = 40 + int(rng.Next(150)) + (rng.Next(6) == 0 ? 90 : 0);
        p.Fill(x, horizon - h, w - 3, h, s.buildings);
        for (int wy = horizon - h + 8; wy < horizon - 10; wy += 14)
            for (int wx = x + 5; wx < x + w - 10; wx += 10)
                if (rng.Next(3) == 0) p.Fill(wx, wy, 4, 6, s.windows);
        x += w;
    }
    for (int y = horizon; y < p.height(); ++y) {
        const int mirrored = std::max(0, 2 * horizon - y - 1);
        for (int x = 0; x < p.width(); ++x) {
            const int ripple = int(4 * std::sin(y * 0.35 + x * 0.02));
            const Rgb above = p.Get(std::clamp(x + ripple, 0, p.width() - 1), mirrored);
            p.Set(x, y, Mix(above, {8, 16, 32}, 0.45 + 0.4 * (y - horizon) / double(p.height() - horizon)));
        }
    }
    const std::string title = "KORVO";
    DrawText(p, title, (p.width() - TextWidth(title, 16)) / 2, 40, 16, {250, 245, 235});
    const std::string caption = s.caption;
    DrawText(p, caption, (p.width() - TextWidth(caption, 4)) / 2, 180, 4, {250, 245, 235});
    return p;
}

// ---- textures --------------------------------------------------------------

Picture BrickTexture() {
    Picture p(1024, 512);
    Lcg rng(7);
    for (int row = 0; row * 32 < p.height(); ++row) {
        const int shift = row % 2 ? 32 : 0;
        for (int col = -1; col * 64 < p.width(); ++col) {
            const uint8_t base = static_cast<uint8_t>(120 + rng.Next(60));
            const Rgb brick = {base, static_cast<uint8_t>(base / 3 + 20),
                               static_cast<uint8_t>(base / 4 + 10)};
            p.Fill(col * 64 + shift, row * 32, 60, 28, brick);
            p.Fill(col * 64 + shift + 60, row * 32, 4, 32, {190, 185, 170});
            p.Fill(col * 64 + shift, row * 32 + 28, 64, 4, {190, 185, 170});
        }
    }
    return p;
}

Picture WaterTexture() {
    Picture p(1024, 512);
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x) {
            const double wave = std::sin(x * 0.05 + std::sin(y * 0.03) * 3) + std::sin(y * 0.09 + x * 0.01);
            p.Set(x, y, Mix({10, 50, 90}, {90, 170, 210}, 0.5 + wave / 4));
        }
    return p;
}

// ---- sound ---------------------------------------------------------------

std::vector<uint8_t> IntroSound() {
    const uint32_t frames = kRate;
    std::vector<uint8_t> f(dta::format::wave_header::kSize + frames * 2);
    dta::pack::WriteWaveHeader(f.data(), 1, kRate, 16, frames * 2);
    for (uint32_t i = 0; i < frames; ++i) {
        // A falling chime with a soft attack and decay.
        const double t = double(i) / kRate;
        const double envelope = std::min(1.0, t * 40) * std::exp(-3.0 * t);
        const double v =
            envelope * (9000 * std::sin(2 * kPi * (660 - 200 * t) * t) + 3000 * std::sin(2 * kPi * 990 * t));
        WriteLe16(&f[dta::format::wave_header::kSize + 2 * i],
                  static_cast<uint16_t>(static_cast<int16_t>(v)));
    }
    return f;
}

bool Write(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    std::string error;
    if (ec || !dta::pack::WriteFileAtomically(path.string(), bytes, &error)) {
        std::fprintf(stderr, "korvo_demo_assets: cannot write %s\n", path.string().c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int pictures = argc == 3 ? std::atoi(argv[2]) : 0;
    if (argc != 3 || pictures < 1 || pictures > 1000) {
        std::fprintf(stderr, "usage: korvo_demo_assets OUTDIR PICTURES (1 to 1000)\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    bool ok = Write(dir / "sound" / "intro.wav", IntroSound()) &&
              Write(dir / "textures" / "brick.bmp", BrickTexture().Bitmap()) &&
              Write(dir / "textures" / "water.bmp", WaterTexture().Bitmap());
    for (int i = 0; ok && i < pictures; ++i)
        ok = Write(dir / "pictures" / ("bilboard" + std::to_string(i) + ".bmp"), Billboard(i).Bitmap());
    return ok ? 0 : 1;
}
