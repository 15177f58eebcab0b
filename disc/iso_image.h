// Disc images through a real image writer: Debian's xorriso makes an
// ISO 9660 image with Joliet and Rock Ridge names from a disc folder, and
// reads one back.
#ifndef DISC_ISO_IMAGE_H
#define DISC_ISO_IMAGE_H

#include <string>

namespace disc {

// Whether this build writes and reads images: the native one does, the
// Windows one refuses --iso and image arguments with a message.
#ifdef _WIN32
inline constexpr bool kImagesSupported = false;
#else
inline constexpr bool kImagesSupported = true;
#endif

// The program that writes images, found on PATH.
inline constexpr const char* kImageWriter = "xorriso";

// Writes the image `image` of everything in `folder` except its label file,
// with volume label `label`. False with a message (xorriso's last words, or
// that it could not be started) when no complete image was written.
bool WriteIsoImage(const std::string& folder, const std::string& image, const std::string& label,
                   std::string* error);

// Writes every file of the image `image` below the new folder `folder`.
// False with a message when the image can't be read.
bool ExtractIsoImage(const std::string& image, const std::string& folder, std::string* error);

// The volume label in the primary volume descriptor of the ISO 9660 image
// `image` (32 characters at byte 40 of sector 16, trailing blanks taken
// off). False when the file is shorter or holds no such descriptor.
bool ReadIsoLabel(const std::string& image, std::string* label);

}  // namespace disc

#endif  // DISC_ISO_IMAGE_H
