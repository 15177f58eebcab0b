// The rules behind the billboard window that need no window: which picture
// entries can be drawn, and where a picture stands on the screen.
//
// A billboard picture is a Windows bitmap file stored as an archive entry:
//
//   offset 0   BITMAPFILEHEADER   14 bytes ("BM", sizes, bfOffBits at 10)
//   offset 14  info header        40 (BITMAPINFOHEADER), 108 (BITMAPV4HEADER)
//                                 or 124 bytes (BITMAPV5HEADER)
//   then       three DWORD masks  only for a 40-byte header with BI_BITFIELDS
//   then       pixel rows         bottom-up (or top-down for a negative
//                                 height), each padded to 4 bytes
//
// A picture has no colour table: 16, 24 or 32 bits per pixel, either
// uncompressed (BI_RGB) or with colour masks (BI_BITFIELDS, 16 or 32 bits).
// The pixel rows of an uncompressed picture with a 40-byte header are taken
// from offset 54 whatever the file header says, as they always were; every
// other layout takes them from bfOffBits, which must lie past the headers
// and masks.
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

// Info header sizes a picture may have.
inline constexpr size_t kPictureV4InfoSize = 108;
inline constexpr size_t kPictureV5InfoSize = 124;

// Compressions a picture may have (the BI_ values of the info header).
inline constexpr uint32_t kPictureUncompressed = 0;  // BI_RGB
inline constexpr uint32_t kPictureBitFields = 3;     // BI_BITFIELDS

// Where the parts of an accepted picture lie in its entry, and what the
// window needs to describe it to the system with a 40-byte info header
// followed by three masks.
struct PictureLayout {
    size_t infoOffset = kPictureInfoOffset;
    size_t infoSize = 0;     // 40, 108 or 124
    size_t masksOffset = 0;  // where the masks were read; 0 without masks
    size_t pixelsOffset = 0;
    size_t pixelsSize = 0;  // all rows, each padded to four bytes
    int32_t width = 0;
    int32_t height = 0;  // negative for top-down rows
    uint16_t bits = 0;
    uint32_t compression = kPictureUncompressed;
    // Red, green and blue masks for kPictureBitFields; 0 for uncompressed.
    uint32_t masks[3] = {0, 0, 0};
};

// Whether the `size` bytes at `entry` are a picture the window can draw
// without reading past the entry, and if so where its parts lie (`layout`
// may be null). Accepted: both headers inside the entry; an info header of
// 40, 108 or 124 bytes; one plane; a positive width and a height other than
// 0 (each at most 32768); and one of
//   - BI_RGB at 16, 24 or 32 bits;
//   - BI_BITFIELDS with the masks of 5-6-5 or 5-5-5 at 16 bits, or 8-8-8
//     (0xFF0000, 0xFF00, 0xFF) at 32 bits, inside the entry;
// with all pixel rows inside the entry. Null or short input, other
// compressions, bit counts and masks, and a bfOffBits that points into the
// headers or masks give false.
bool ReadBillboardPicture(const uint8_t* entry, size_t size, PictureLayout* layout);
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
