// Layout of the settings dialog that dialog units alone do not get right at
// every display resolution: the check boxes that sit in group box titles and
// the picture, a bitmap of fixed pixel size.
#ifndef SETUP_DIALOG_LAYOUT_WIN32_H
#define SETUP_DIALOG_LAYOUT_WIN32_H

#include <windows.h>

namespace setup {

// Moves check box `box` of `dialog` left where needed so that it ends in
// front of the title text of group box `group`, in the room the title's
// leading spaces leave. The room grows with the width of a space in the
// dialog's font and the box with dialog units, while the title's indent from
// the frame stays a few pixels: at large fonts the box outgrows the room.
// Call it after the title text is set. Does nothing when either control is
// missing.
void FitTitleCheckBox(HWND dialog, int group, int box);

// Shows the picture of static control `picture` at the display's resolution:
// a copy scaled by DPI / 96, so that it keeps its size beside the text. At
// 96 DPI, or when the picture cannot be scaled, the control stays as it is
// and null is returned; otherwise the scaled bitmap, which the caller
// deletes once the control is gone.
HBITMAP ScalePictureToDisplay(HWND dialog, int picture);

}  // namespace setup

#endif  // SETUP_DIALOG_LAYOUT_WIN32_H
