// The black full-screen backdrop of the installer (window class
// "bilboard"): the program's main window, the owner of every page, and the
// slide show of a disc's billboard pictures during the copy.
#ifndef INSTALLER_WIZARD_BILLBOARD_WINDOW_WIN32_H
#define INSTALLER_WIZARD_BILLBOARD_WINDOW_WIN32_H

#include <windows.h>

#include <cstdint>
#include <vector>

#include "dta/dta_handle.h"
#include "installer/engine/installation.h"
#include "installer/ui/frame_window_win32.h"

namespace installer::wizard {

class BillboardWindow final : public ui::FrameWindow {
public:
    // `installation` gives the source folder, the pictures per disc and the
    // names in the title; it outlives the window.
    explicit BillboardWindow(const Installation& installation);
    ~BillboardWindow() override;

    // Makes the window from frame resource 135 and turns it into a borderless
    // black popup covering the screen, shown at once. False when the window
    // cannot be made.
    bool Create();

    // Replaces the pictures by those of disc `discIndex` (0 for the first
    // disc): "bilboard<n>.bmp" for n from num_of_bilboards_per_cd times the
    // disc index on, num_of_bilboards_per_cd of them, in ascending order,
    // read from "<source folder>bilboard<discIndex>.dta" (and plain files of
    // those names in the current folder first). Only the numbers whose names
    // the archive or the folder holds are tried, so the time taken follows
    // the pictures present whatever the setting says. Missing, empty and
    // damaged pictures are skipped, so later ones move up. Then the window
    // repaints.
    void LoadBillboardSet(uint32_t discIndex);

    // Shows picture `index` of the loaded set (black when there is none).
    void SetBillboardIndex(uint32_t index);

    size_t PictureCount() const { return pictures_.size(); }
    const std::vector<HBITMAP>& Pictures() const { return pictures_; }
    uint32_t BillboardIndex() const { return index_; }

private:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void Paint();
    void DeletePictures();

    const Installation& installation_;
    std::vector<HBITMAP> pictures_;
    uint32_t index_ = 0;
    // The disc's billboard archive, held only while its pictures load.
    dta::ArchiveRef archive_;
};

}  // namespace installer::wizard

#endif  // INSTALLER_WIZARD_BILLBOARD_WINDOW_WIN32_H
