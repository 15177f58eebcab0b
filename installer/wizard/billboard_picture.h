// The rules behind the billboard window that need no window: which picture
// entries can be drawn, and where a picture stands on the screen.
//
// A billboard picture is a Windows bitmap file stored as an archive entry:
//
//   offset 0   BITMAPFILEHEADER   14 bytes ("BM", sizes; not read)
//   offset 14  BITMAPINFOHEADER   40 bytes (width, height, planes, bits, ...)
//   offset 54  pixel rows         bottom-up (or top-down for a negative
//                                 height), each padded to 4 bytes
//
// The pixel rows are taken from offset 54 whatever the file header says, so
// a picture has no colour table: 16, 24 or 32 bits per pixel, uncompressed.
#ifndef INSTALLER_WIZARD_BILLBOARD_PICTURE_H
#define INSTALLER_WIZARD_BILLBOARD_PICTURE_H

#include <cstddef>
#include <cstdint>

namespace installer {

// Where the parts of a billboard picture lie in its entry.
inline constexpr size_t kPictureInfoOffset = 14;
inline constexpr size_t kPictureInfoSize = 40;
inline constexpr size_t kPicturePixelsOffset = kPictureInfoOffset + kPictureInfoSize;

// Size of the picture the window paints, in pixels.
inline constexpr int32_t kBillboardWidth = 800;
inline constexpr int32_t kBillboardHeight = 600;

// Whether the `size` bytes at `entry` are a picture the window can draw
// without reading past the entry: long enough for both headers, a 40-byte
// info header, one plane, 16, 24 or 32 bits per pixel without compression,
// a positive width and a height other than 0 (each at most 32768), and all
// pixel rows inside the entry. Null or short input gives false.
bool BillboardPictureFits(const uint8_t* entry, size_t size);

// Where the picture goes in a client area of `width` x `height` pixels:
// centred at its own size, or squeezed to the area in a dimension that is
// smaller than the picture.
struct PictureRect {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};
PictureRect BillboardPlacement(int32_t width, int32_t height);

}  // namespace installer

#endif  // INSTALLER_WIZARD_BILLBOARD_PICTURE_H
