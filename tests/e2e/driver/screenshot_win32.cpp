#include "tests/e2e/driver/screenshot_win32.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "tests/e2e/driver/png_writer.h"

namespace e2e {
namespace {

class ScreenDc {
public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_) ReleaseDC(nullptr, dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

class MemoryDc {
public:
    explicit MemoryDc(HDC like) : dc_(CreateCompatibleDC(like)) {}
    ~MemoryDc() {
        if (dc_) DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

class Bitmap {
public:
    explicit Bitmap(HBITMAP bitmap) : bitmap_(bitmap) {}
    ~Bitmap() {
        if (bitmap_) DeleteObject(bitmap_);
    }
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    HBITMAP get() const { return bitmap_; }

private:
    HBITMAP bitmap_;
};

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

// How long a screenshot waits for the screen to stand still, and how often
// it looks.
constexpr DWORD kStillLimitMs = 3000;
constexpr DWORD kStillPollMs = 150;

// The screen as RGB rows, top row first. False when it cannot be read.
bool CaptureScreen(std::vector<uint8_t>* rgb, int* width, int* height) {
    *width = GetSystemMetrics(SM_CXSCREEN);
    *height = GetSystemMetrics(SM_CYSCREEN);
    if (*width <= 0 || *height <= 0) return false;
    ScreenDc screen;
    if (!screen.get()) return false;
    MemoryDc memory(screen.get());
    if (!memory.get()) return false;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = *width;
    info.bmiHeader.biHeight = -*height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap.get() || !bits) return false;
    HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
    BOOL copied = BitBlt(memory.get(), 0, 0, *width, *height, screen.get(), 0, 0, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    SelectObject(memory.get(), previous);
    if (!copied) return false;

    // BGRX pixels to RGB.
    const auto* src = static_cast<const unsigned char*>(bits);
    const size_t pixels = static_cast<size_t>(*width) * *height;
    rgb->resize(pixels * 3);
    for (size_t i = 0; i < pixels; ++i) {
        (*rgb)[i * 3] = src[i * 4 + 2];
        (*rgb)[i * 3 + 1] = src[i * 4 + 1];
        (*rgb)[i * 3 + 2] = src[i * 4];
    }
    return true;
}

}  // namespace

bool CaptureStillScreen(std::vector<uint8_t>* rgb, int* width, int* height, HWND subject) {
    std::vector<uint8_t> before;
    if (!CaptureScreen(rgb, width, height)) return false;
    // A window that has just opened may still be painting (a large dialog at
    // a high resolution takes a while under Wine): take the screen again
    // until it stops changing, within a limit. A progress dialog changes
    // until it closes, and the screen after it stands still: a look that may
    // have been taken after the subject closed is dropped for the one before.
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < kStillLimitMs) {
        Sleep(kStillPollMs);
        before.swap(*rgb);
        if (!CaptureScreen(rgb, width, height)) return false;
        if (subject && !IsWindow(subject)) {
            rgb->swap(before);
            break;
        }
        if (*rgb == before) break;
    }
    return true;
}

bool SaveScreenshot(const std::string& path, bool waitUntilStill, HWND subject) {
    std::vector<uint8_t> rgb;
    int width = 0, height = 0;
    if (!(waitUntilStill ? CaptureStillScreen(&rgb, &width, &height, subject)
                         : CaptureScreen(&rgb, &width, &height)))
        return false;
    std::vector<uint8_t> png = EncodePng(static_cast<uint32_t>(width), static_cast<uint32_t>(height), rgb);
    if (png.empty()) return false;
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    return std::fwrite(png.data(), 1, png.size(), file.get()) == png.size();
}

}  // namespace e2e
