#include "installer/wizard/billboard_window_win32.h"

#include <cstdio>
#include <string>

#include "common/path_builder.h"
#include "dta/examine.h"
#include "installer/engine/archive_entry.h"
#include "installer/engine/installer_flow.h"
#include "installer/engine/installer_folders.h"
#include "installer/engine/settings_table.h"
#include "installer/resources/resource.h"
#include "installer/wizard/billboard_numbers.h"
#include "installer/wizard/billboard_picture.h"
#include "installer/wizard/texts_win32.h"

namespace installer::wizard {

namespace {

constexpr char kClassName[] = "bilboard";
constexpr char kTitle[] = "PWSetup";
// Largest picture entry read: an 800 x 600 picture of 32 bits is under 2 MB.
constexpr int32_t kMaxPictureEntry = 32 * 1024 * 1024;
constexpr char kPictureFilePattern[] = "bilboard*.bmp";

// A bitmap made from a checked picture entry, compatible with `window`. The
// system is given a 40-byte info header and, for bit fields, the three masks
// after it, built here from the checked layout: the same description for
// every header size, and nothing read from the entry but the pixel rows.
HBITMAP MakeBitmap(HWND window, const std::vector<char>& entry) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(entry.data());
    PictureLayout layout;
    if (!ReadBillboardPicture(bytes, entry.size(), &layout)) return nullptr;
    struct {
        BITMAPINFOHEADER header;
        DWORD masks[3];
    } info = {};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = layout.width;
    info.header.biHeight = layout.height;
    info.header.biPlanes = 1;
    info.header.biBitCount = layout.bits;
    info.header.biCompression = layout.compression == kPictureBitFields ? BI_BITFIELDS : BI_RGB;
    info.header.biSizeImage = static_cast<DWORD>(layout.pixelsSize);
    for (int i = 0; i < 3; ++i) info.masks[i] = layout.masks[i];
    HDC dc = GetDC(window);
    HBITMAP bitmap = CreateDIBitmap(dc, &info.header, CBM_INIT, bytes + layout.pixelsOffset,
                                    reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS);
    ReleaseDC(window, dc);
    return bitmap;
}

// Adds the names of the entries of the billboard archive at `path` (read
// with the installer's key words); nothing when it cannot be opened. An
// entry whose name cannot be read is left out.
void ListArchiveNames(const char* path, std::vector<std::string>* names) {
    dta::examine::Archive archive;
    dta::Status status;
    if (!archive.Open(path, kDataArchiveKey1, kDataArchiveKey2, &status)) return;
    for (size_t index = 0; index < archive.EntryCount(); ++index) {
        dta::examine::EntryInfo info;
        archive.ReadEntry(index, &info, &status);
        if (info.nameRead) names->push_back(info.name);
    }
}

// Adds the names of the plain files "bilboard*.bmp" in the current folder,
// which the pictures are read from before the archive.
void ListPictureFiles(std::vector<std::string>* names) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(kPictureFilePattern, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names->push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

}  // namespace

BillboardWindow::BillboardWindow(const Installation& installation)
    : ui::FrameWindow(kClassName), installation_(installation) {}

BillboardWindow::~BillboardWindow() {
    DeletePictures();
}

bool BillboardWindow::Create() {
    if (!LoadFrame(IDR_BILBOARD_FRAME, WS_OVERLAPPEDWINDOW, nullptr, NamesOf(installation_.settings)))
        return false;
    HWND window = Handle();
    RemoveMenu();
    SetWindowTextA(window, kTitle);
    SetClassLongPtrA(window, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(GetStockObject(BLACK_BRUSH)));
    SetWindowLongPtrA(window, GWL_STYLE, WS_POPUP | WS_VISIBLE);
    // The frame is gone; the system recomputes the window's parts.
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    ShowWindow(window, SW_SHOWMAXIMIZED);
    UpdateWindow(window);
    return true;
}

void BillboardWindow::LoadBillboardSet(uint32_t discIndex) {
    archive_.Reset();
    char name[32];
    std::snprintf(name, sizeof name, "bilboard%u.dta", discIndex);
    korvo::PathBuilder path(installation_.folders.Source());
    path.Append(name);
    if (path.ok()) archive_.Reset(dtaCreate(path.c_str()));
    // Without the archive the pictures are still looked for (as plain files).
    if (archive_) archive_->LoadDirectory(kDataArchiveKey1, kDataArchiveKey2);

    DeletePictures();
    // Only the numbers that a name present stands for are read: the setting
    // may allow billions of them.
    std::vector<std::string> names;
    if (path.ok()) ListArchiveNames(path.c_str(), &names);
    ListPictureFiles(&names);
    const int32_t perDisc = installation_.settings.Int(Setting::NumOfBilboardsPerCd);
    for (uint64_t number : SelectBillboardNumbers(names, perDisc, discIndex)) {
        std::snprintf(name, sizeof name, "bilboard%llu.bmp", static_cast<unsigned long long>(number));
        std::vector<char> entry;
        if (!ReadArchiveEntry(name, kMaxPictureEntry, &entry)) continue;
        HBITMAP bitmap = MakeBitmap(Handle(), entry);
        if (bitmap != nullptr) pictures_.push_back(bitmap);
    }
    archive_.Reset();
    if (Handle() != nullptr) InvalidateRect(Handle(), nullptr, TRUE);
}

void BillboardWindow::SetBillboardIndex(uint32_t index) {
    index_ = index;
    if (Handle() != nullptr) InvalidateRect(Handle(), nullptr, TRUE);
}

void BillboardWindow::DeletePictures() {
    for (HBITMAP bitmap : pictures_) DeleteObject(bitmap);
    pictures_.clear();
}

bool BillboardWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message != WM_PAINT) return false;
    Paint();
    *result = 0;
    return true;
}

void BillboardWindow::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(Handle(), &paint);
    if (index_ < pictures_.size() && pictures_[index_] != nullptr) {
        RECT client;
        GetClientRect(Handle(), &client);
        const PictureRect to = BillboardPlacement(client.right - client.left, client.bottom - client.top);
        HDC memory = CreateCompatibleDC(dc);
        if (memory != nullptr) {
            HGDIOBJ previous = SelectObject(memory, pictures_[index_]);
            StretchBlt(dc, to.x, to.y, to.width, to.height, memory, 0, 0, kBillboardWidth, kBillboardHeight,
                       SRCCOPY);
            SelectObject(memory, previous);
            DeleteDC(memory);
        }
    }
    EndPaint(Handle(), &paint);
}

}  // namespace installer::wizard
