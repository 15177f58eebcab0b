#include "setup/dialog_layout_win32.h"

#include <algorithm>

namespace setup {
namespace {

// A group box draws its title this many pixels in from its left edge, at
// every resolution.
constexpr int kTitleIndentPixels = 7;
// Background left between a title check box and the title's first letter.
constexpr int kTitleGapPixels = 1;
// The etched frame line is two pixels wide; a box never covers it.
constexpr int kFrameWidthPixels = 2;
// The resolution the picture is drawn for.
constexpr int kPictureDpi = 96;

// The rectangle of `child` in the client coordinates of `dialog`.
RECT ChildRect(HWND dialog, HWND child) {
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// A device context with `object` selected into it for its lifetime: the one
// of a window (the screen's for null), or a memory context like `like`.
class SelectedDc {
public:
    SelectedDc(HWND window, HGDIOBJ object) : window_(window), dc_(GetDC(window)) { Select(object); }
    SelectedDc(HDC like, HGDIOBJ object) : memory_(true), dc_(CreateCompatibleDC(like)) { Select(object); }
    ~SelectedDc() {
        if (dc_ == nullptr) return;
        if (previous_ != nullptr) SelectObject(dc_, previous_);
        if (memory_) {
            DeleteDC(dc_);
        } else {
            ReleaseDC(window_, dc_);
        }
    }
    SelectedDc(const SelectedDc&) = delete;
    SelectedDc& operator=(const SelectedDc&) = delete;
    HDC Get() const { return dc_; }

private:
    void Select(HGDIOBJ object) {
        if (dc_ != nullptr && object != nullptr) previous_ = SelectObject(dc_, object);
    }

    HWND window_ = nullptr;
    bool memory_ = false;
    HDC dc_;
    HGDIOBJ previous_ = nullptr;
};

// Width in pixels of the spaces that begin the text of `control`, in its font.
int LeadingSpacesWidth(HWND control) {
    char text[256];
    int length = GetWindowTextA(control, text, sizeof text);
    int spaces = 0;
    while (spaces < length && text[spaces] == ' ') ++spaces;
    if (spaces == 0) return 0;
    SelectedDc dc(control, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    SIZE size = {};
    if (dc.Get() == nullptr || !GetTextExtentPoint32A(dc.Get(), text, spaces, &size)) return 0;
    return size.cx;
}

}  // namespace

void FitTitleCheckBox(HWND dialog, int group, int box) {
    HWND groupWindow = GetDlgItem(dialog, group);
    HWND boxWindow = GetDlgItem(dialog, box);
    if (groupWindow == nullptr || boxWindow == nullptr) return;
    RECT frame = ChildRect(dialog, groupWindow);
    RECT mark = ChildRect(dialog, boxWindow);
    int right = frame.left + kTitleIndentPixels + LeadingSpacesWidth(groupWindow) - kTitleGapPixels;
    if (mark.right <= right) return;
    int left = std::max<int>(frame.left + kFrameWidthPixels, right - (mark.right - mark.left));
    SetWindowPos(boxWindow, nullptr, left, mark.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HBITMAP ScalePictureToDisplay(HWND dialog, int picture) {
    HWND control = GetDlgItem(dialog, picture);
    if (control == nullptr) return nullptr;
    auto source = reinterpret_cast<HBITMAP>(SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP info = {};
    if (source == nullptr || GetObjectA(source, sizeof info, &info) == 0 || info.bmWidth <= 0 ||
        info.bmHeight <= 0)
        return nullptr;
    SelectedDc screen(static_cast<HWND>(nullptr), nullptr);
    if (screen.Get() == nullptr) return nullptr;
    int dpi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
    if (dpi == kPictureDpi || dpi <= 0) return nullptr;
    int width = MulDiv(info.bmWidth, dpi, kPictureDpi);
    int height = MulDiv(info.bmHeight, dpi, kPictureDpi);
    HBITMAP scaled = CreateCompatibleBitmap(screen.Get(), width, height);
    if (scaled == nullptr) return nullptr;
    bool drawn;
    {
        SelectedDc from(screen.Get(), source);
        SelectedDc to(screen.Get(), scaled);
        SetStretchBltMode(to.Get(), HALFTONE);
        SetBrushOrgEx(to.Get(), 0, 0, nullptr);
        drawn =
            from.Get() != nullptr && to.Get() != nullptr &&
            StretchBlt(to.Get(), 0, 0, width, height, from.Get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    }
    if (!drawn) {
        DeleteObject(scaled);
        return nullptr;
    }
    // The control takes the new size; the bitmap it loaded from the template
    // is no longer shown, and a static control never deletes its bitmaps.
    auto previous = reinterpret_cast<HBITMAP>(
        SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(scaled)));
    if (previous != nullptr && previous != scaled) DeleteObject(previous);
    return scaled;
}

}  // namespace setup
