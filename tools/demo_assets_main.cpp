// Generates the demo disc's binary assets so that none is kept in the
// repository: a short 16-bit PCM sound and the 800 x 600 billboard pictures.
//
//   korvo_demo_assets OUTDIR [PICTURES]
//
// writes OUTDIR/intro.wav (1 s, 22050 Hz, mono) and OUTDIR/bilboard0.bmp ...
// bilboard<PICTURES-1>.bmp (24 bits per pixel, no colour table; default 2).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "dta/format.h"
#include "tools/packer.h"
#include "tools/wave_file.h"

namespace {

using dta::format::WriteLe16;
using dta::format::WriteLe32;

constexpr double kPi = 3.14159265358979323846;
constexpr uint32_t kRate = 22050;
constexpr int kWidth = 800;
constexpr int kHeight = 600;

std::vector<uint8_t> IntroSound() {
    const uint32_t frames = kRate;
    std::vector<uint8_t> f(dta::format::wave_header::kSize + frames * 2);
    dta::tools::WriteWaveHeader(f.data(), 1, kRate, 16, frames * 2);
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

std::vector<uint8_t> Billboard(int number) {
    const uint32_t rowBytes = kWidth * 3;  // a multiple of 4 already
    const uint32_t pixels = rowBytes * kHeight;
    std::vector<uint8_t> f(54 + pixels);
    f[0] = 'B';
    f[1] = 'M';
    WriteLe32(&f[2], static_cast<uint32_t>(f.size()));
    WriteLe32(&f[10], 54);
    WriteLe32(&f[14], 40);
    WriteLe32(&f[18], kWidth);
    WriteLe32(&f[22], kHeight);
    WriteLe16(&f[26], 1);
    WriteLe16(&f[28], 24);
    WriteLe32(&f[34], pixels);
    // Horizontal bands of a gradient, a different hue per picture, with a
    // light frame so the picture's edges are visible on screen.
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            uint8_t* p = &f[54 + y * rowBytes + x * 3];
            const bool frame = x < 8 || y < 8 || x >= kWidth - 8 || y >= kHeight - 8;
            const uint8_t shade = static_cast<uint8_t>((y / 40) * 14 + 20);
            p[0] = frame ? 230 : static_cast<uint8_t>(number % 3 == 0 ? shade : 40);
            p[1] = frame ? 230 : static_cast<uint8_t>(number % 3 == 1 ? shade : 40);
            p[2] = frame ? 230 : static_cast<uint8_t>(number % 3 == 2 ? shade : 40 + x / 8);
        }
    }
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: korvo_demo_assets OUTDIR [PICTURES]\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    const int pictures = argc == 3 ? std::atoi(argv[2]) : 2;
    std::string error;
    if (!dta::tools::WriteFileAtomically(dir + "intro.wav", IntroSound(), &error)) {
        std::fprintf(stderr, "korvo_demo_assets: %s\n", error.c_str());
        return 1;
    }
    for (int i = 0; i < pictures; ++i) {
        if (!dta::tools::WriteFileAtomically(dir + "bilboard" + std::to_string(i) + ".bmp", Billboard(i),
                                             &error)) {
            std::fprintf(stderr, "korvo_demo_assets: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
