#include "installer/wizard/page_win32.h"

#include <string>
#include <vector>

#include "installer/engine/archive_entry.h"
#include "installer/engine/flow_host.h"
#include "installer/resources/resource.h"
#include "installer/ui/application_win32.h"
#include "installer/wizard/texts_win32.h"

namespace installer::wizard {

namespace {

// The entry's text with every lone line feed made a carriage return and line
// feed, the line break an edit control shows; a zero byte ends the text.
std::string AsEditText(const std::vector<char>& bytes) {
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 16);
    for (size_t i = 0; i < bytes.size() && bytes[i] != '\0'; ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) text += '\r';
        text += bytes[i];
    }
    return text;
}

// Owner of a memory device context with a bitmap selected into it.
class MemoryCanvas {
public:
    MemoryCanvas(HDC compatible, HBITMAP bitmap)
        : dc_(CreateCompatibleDC(compatible)),
          previous_(dc_ != nullptr ? SelectObject(dc_, bitmap) : nullptr) {}
    ~MemoryCanvas() {
        if (dc_ == nullptr) return;
        SelectObject(dc_, previous_);
        DeleteDC(dc_);
    }
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A copy of `source` scaled to `width` x `height`, keeping its proportions:
// it covers the whole area and the overhang is cut evenly on both sides.
HBITMAP ScaleToCover(HBITMAP source, int width, int height) {
    BITMAP info = {};
    if (GetObjectA(source, sizeof info, &info) == 0 || info.bmWidth <= 0 || info.bmHeight <= 0)
        return nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP scaled = CreateCompatibleBitmap(screen, width, height);
    if (scaled != nullptr) {
        MemoryCanvas from(screen, source);
        MemoryCanvas to(screen, scaled);
        // The source part with the target's proportions, centred.
        int partWidth = info.bmWidth;
        int partHeight = MulDiv(info.bmWidth, height, width);
        if (partHeight > info.bmHeight) {
            partHeight = info.bmHeight;
            partWidth = MulDiv(info.bmHeight, width, height);
        }
        SetStretchBltMode(to.Get(), HALFTONE);
        SetBrushOrgEx(to.Get(), 0, 0, nullptr);
        StretchBlt(to.Get(), 0, 0, width, height, from.Get(), (info.bmWidth - partWidth) / 2,
                   (info.bmHeight - partHeight) / 2, partWidth, partHeight, SRCCOPY);
    }
    ReleaseDC(nullptr, screen);
    return scaled;
}

}  // namespace

bool SetPageCaption(const SettingsTable& settings, HWND window, int stringId) {
    ui::Text text;
    if (!LoadText(stringId, text, settings)) return false;
    SetWindowTextA(window, text);
    return true;
}

bool SetControlText(const SettingsTable& settings, HWND dialog, int controlId, int stringId) {
    ui::Text text;
    if (!LoadText(stringId, text, settings)) return false;
    HWND control = GetDlgItem(dialog, controlId);
    if (control != nullptr) SetWindowTextA(control, text);
    return true;
}

bool LoadArchiveText(HWND dialog, int controlId, const char* entryName) {
    std::vector<char> bytes;
    if (!ReadArchiveEntry(entryName, kMaxPageTextSize, &bytes)) return false;
    SetDlgItemTextA(dialog, controlId, AsEditText(bytes).c_str());
    return true;
}

bool Page::SetText(int controlId, int stringId) {
    return SetControlText(installation_.settings, Handle(), controlId, stringId);
}

bool Page::SetCaption(int stringId) {
    return SetPageCaption(installation_.settings, Handle(), stringId);
}

void Page::ApplyTexts(const ControlText* table, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (table[i].controlId == kPageCaption)
            SetCaption(table[i].stringId);
        else
            SetText(table[i].controlId, table[i].stringId);
    }
}

void Page::SetUsualTexts() {
    static constexpr ControlText kUsualTexts[] = {
        {IDC_BACK, IDS_BACK},
        {IDC_NEXT, IDS_NEXT},
        {IDC_PAGE_CANCEL, IDS_CANCEL},
        {kPageCaption, IDS_INSTALLATION_TITLE},
    };
    ApplyTexts(kUsualTexts);
}

bool Page::ConfirmExit() {
    return Ask(Message(IDS_EXIT_SETUP, IDS_EXIT_QUESTION, Buttons::OkCancel)) == Answer::Ok;
}

Answer Page::Ask(const Message& message) {
    return ShowMessage(Handle(), message, installation_.settings);
}

bool Page::FocusNext(bool defaultFocus) {
    HWND next = Item(IDC_NEXT);
    if (next == nullptr) return defaultFocus;
    SetFocus(next);
    return false;
}

bool Page::OnInitDialog() {
    ShowSidePicture();
    return ui::Dialog::OnInitDialog();
}

void Page::OnCancel() {
    if (ConfirmExit()) EndDialog(kResultCancelled);
}

bool Page::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return false;
    if (id == IDC_PAGE_CANCEL) {
        OnCancel();
        return true;
    }
    if (id == IDC_BACK) {
        EndDialog(kResultBack);
        return true;
    }
    return false;
}

bool Page::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
    if (message == WM_CTLCOLORSTATIC && HasHeaderStrip() &&
        reinterpret_cast<HWND>(lParam) == Item(IDC_HEADER)) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        *result = reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
        return true;
    }
    if (message == WM_DESTROY && picture_ != nullptr) {
        // The control is going too; the page's copy of the picture goes now.
        DeleteObject(picture_);
        picture_ = nullptr;
    }
    return false;
}

void Page::ShowSidePicture() {
    HWND control = Item(IDC_SIDE_PICTURE);
    if (control == nullptr) return;
    RECT area;
    GetClientRect(control, &area);
    HBITMAP original = static_cast<HBITMAP>(
        LoadImageA(ui::ResourceModule(), "KORVOCITY", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (original == nullptr) return;
    // The picture is drawn for large displays; it is scaled to the control,
    // which grows with the display's DPI.
    HBITMAP scaled = ScaleToCover(original, area.right, area.bottom);
    DeleteObject(original);
    if (scaled == nullptr) return;
    HGDIOBJ previous = reinterpret_cast<HGDIOBJ>(
        SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(scaled)));
    // The copy the control made from the template is the page's to delete.
    if (previous != nullptr && previous != scaled) DeleteObject(previous);
    if (picture_ != nullptr) DeleteObject(picture_);
    picture_ = scaled;
}

}  // namespace installer::wizard
