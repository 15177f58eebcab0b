// The scenario commands that check the layout of the current window as a
// user sees it, at whatever resolution the program runs: controls against
// the window's client area, and check boxes against group box titles.
#include <string>
#include <vector>

#include "tests/e2e/driver/driver_win32.h"
#include "tests/e2e/driver/screenshot_win32.h"

namespace e2e {
namespace {

// The group box's left edge and corner: the etched frame is two pixels wide.
constexpr int kFrameColumns = 3;

std::string Describe(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) +
           "," + std::to_string(r.bottom) + ")";
}

RECT ScreenRect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

RECT ClientScreenRect(HWND window) {
    RECT rect = {};
    GetClientRect(window, &rect);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The screen's pixels, read once it is still.
class Screen {
public:
    bool Capture() { return CaptureStillScreen(&rgb_, &width_, &height_); }
    bool Holds(const RECT& r) const {
        return r.left >= 0 && r.top >= 0 && r.right <= width_ && r.bottom <= height_;
    }
    // The colour at (x, y) as 0xRRGGBB; the point must be on the screen.
    unsigned At(int x, int y) const {
        const size_t i = (static_cast<size_t>(y) * width_ + x) * 3;
        return rgb_[i] << 16 | rgb_[i + 1] << 8 | rgb_[i + 2];
    }

private:
    std::vector<uint8_t> rgb_;
    int width_ = 0;
    int height_ = 0;
};

// The first screen column in which the title of the group box `group` (its
// screen rectangle) shows ink within its first `rows` rows, left to right.
// The frame's own line across the title band is told apart by the column
// just right of the frame's left edge, where nothing but the frame is drawn;
// its rows are skipped. -1 when the band holds no title.
int FindTitleInk(const Screen& screen, const RECT& group, int rows) {
    const unsigned background = screen.At(group.left, group.top);
    std::vector<int> band;
    for (int y = group.top; y < group.top + rows && y < group.bottom; ++y) {
        if (screen.At(group.left + kFrameColumns, y) == background) band.push_back(y);
    }
    for (int x = group.left + kFrameColumns + 1; x < group.right - kFrameColumns; ++x) {
        for (int y : band) {
            if (screen.At(x, y) != background) return x;
        }
    }
    return -1;
}

}  // namespace

bool Driver::Layout(const std::vector<std::string>& w, std::string* error) {
    HWND control;
    if (!Control(w[1], &control, error)) return false;
    const RECT rect = ScreenRect(control);
    if (w[0] == "expect-in-window") {
        const RECT client = ClientScreenRect(current_);
        const bool inside = rect.left >= client.left && rect.top >= client.top &&
                            rect.right <= client.right && rect.bottom <= client.bottom;
        RECT common;
        const bool outside = !IntersectRect(&common, &rect, &client);
        if (w[2] == "1" ? inside : w[2] == "0" ? outside : false) return true;
        *error = w[2] != "0" && w[2] != "1"
                     ? "expected 0 or 1"
                     : "control " + w[1] + " at " + Describe(rect) + " is not " +
                           (w[2] == "1" ? "inside" : "outside") + " the client area " + Describe(client);
        return false;
    }

    if (w[0] == "expect-apart") {
        HWND other;
        if (!Control(w[2], &other, error)) return false;
        const RECT otherRect = ScreenRect(other);
        RECT common;
        if (!IntersectRect(&common, &rect, &otherRect)) return true;
        *error = "control " + w[1] + " at " + Describe(rect) + " overlaps control " + w[2] + " at " +
                 Describe(otherRect);
        return false;
    }

    // expect-title-clear: the check box is hidden for a moment so that the
    // title's first letter can be found on the screen as the group box draws it.
    HWND group;
    if (!Control(w[2], &group, error)) return false;
    const RECT frame = ScreenRect(group);
    if (rect.left < frame.left + kFrameColumns || rect.right > frame.right) {
        *error = "check box " + w[1] + " at " + Describe(rect) + " is not within group box " + w[2] + " at " +
                 Describe(frame);
        return false;
    }
    Screen screen;
    ShowWindow(control, SW_HIDE);
    RedrawWindow(current_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const bool captured = screen.Capture();
    ShowWindow(control, SW_SHOWNA);
    if (!captured || !screen.Holds(frame)) {
        *error = "cannot read group box " + w[2] + " from the screen";
        return false;
    }
    const int ink = FindTitleInk(screen, frame, rect.bottom - rect.top);
    if (ink < 0) {
        *error = "group box " + w[2] + " shows no title beside check box " + w[1];
        return false;
    }
    if (rect.right > ink) {
        *error = "check box " + w[1] + " at " + Describe(rect) + " covers the title of group box " + w[2] +
                 ", which begins at x " + std::to_string(ink);
        return false;
    }
    return true;
}

}  // namespace e2e
