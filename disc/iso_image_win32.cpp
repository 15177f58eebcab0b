// The Windows build of korvo-disc makes and checks disc folders; images
// are written and read by the native build, which runs xorriso.
#include <string>

#include "disc/iso_image.h"

namespace disc {

namespace {

const char kNoImages[] =
    "disc images are made and read by the native korvo-disc only (it runs xorriso); this build takes "
    "disc folders";

}  // namespace

bool WriteIsoImage(const std::string&, const std::string&, const std::string&, std::string* error) {
    *error = kNoImages;
    return false;
}

bool ExtractIsoImage(const std::string&, const std::string&, std::string* error) {
    *error = kNoImages;
    return false;
}

}  // namespace disc
