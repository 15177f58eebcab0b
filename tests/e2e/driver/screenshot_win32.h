// Screenshots of the whole screen (under Wine: the virtual desktop) as PNG.
#ifndef TESTS_E2E_DRIVER_SCREENSHOT_WIN32_H
#define TESTS_E2E_DRIVER_SCREENSHOT_WIN32_H

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

// Copies the screen and writes it to `path` as a PNG file; with
// `waitUntilStill`, once two looks a moment apart agree (or after a few
// seconds). False when the screen cannot be read or the file cannot be
// written. With `subject`, the last look taken while that window was still
// open is the one kept.
bool SaveScreenshot(const std::string& path, bool waitUntilStill = false, HWND subject = nullptr);

// The screen as RGB pixels (3 bytes each, top row first), taken once two
// looks a moment apart agree (or after a few seconds); with `subject`, the
// last look taken while that window was still open. False when the screen
// cannot be read.
bool CaptureStillScreen(std::vector<uint8_t>* rgb, int* width, int* height, HWND subject = nullptr);

}  // namespace e2e

#endif  // TESTS_E2E_DRIVER_SCREENSHOT_WIN32_H
