// A small PNG encoder for the driver's screenshots: 8-bit RGB, no filtering,
// deflate "stored" blocks (the files are test artefacts, size is no concern).
#ifndef TESTS_E2E_DRIVER_PNG_WRITER_H
#define TESTS_E2E_DRIVER_PNG_WRITER_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace e2e {

// CRC-32 (ISO 3309, as PNG chunks use it) of `size` bytes, continuing `crc`
// (start with 0).
uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);

// Adler-32 of `size` bytes, as the zlib stream inside PNG uses it.
uint32_t Adler32(const uint8_t* data, size_t size);

// Encodes a top-down image of `width` x `height` pixels whose rows are
// `width * 3` bytes of R, G, B each in `rgb`. Returns the PNG file, or an empty
// vector when a size is 0, too large for the format, or `rgb` is too short.
std::vector<uint8_t> EncodePng(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb);

}  // namespace e2e

#endif  // TESTS_E2E_DRIVER_PNG_WRITER_H
