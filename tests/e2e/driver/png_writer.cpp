#include "tests/e2e/driver/png_writer.h"

#include <cstring>

namespace e2e {
namespace {

constexpr size_t kStoredBlockMax = 65535;  // the largest deflate stored block
constexpr uint32_t kMaxSide = 1u << 16;    // far beyond any screen, keeps sizes small

void PutU32(std::vector<uint8_t>* out, uint32_t v) {
    out->push_back(static_cast<uint8_t>(v >> 24));
    out->push_back(static_cast<uint8_t>(v >> 16));
    out->push_back(static_cast<uint8_t>(v >> 8));
    out->push_back(static_cast<uint8_t>(v));
}

void PutChunk(std::vector<uint8_t>* out, const char type[4], const std::vector<uint8_t>& data) {
    PutU32(out, static_cast<uint32_t>(data.size()));
    size_t typeAt = out->size();
    out->insert(out->end(), type, type + 4);
    out->insert(out->end(), data.begin(), data.end());
    PutU32(out, Crc32(out->data() + typeAt, out->size() - typeAt));
}

}  // namespace

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc) {
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

uint32_t Adler32(const uint8_t* data, size_t size) {
    uint32_t a = 1, b = 0;
    for (size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % 65521u;
        b = (b + a) % 65521u;
    }
    return (b << 16) | a;
}

std::vector<uint8_t> EncodePng(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb) {
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return {};
    size_t rowBytes = static_cast<size_t>(width) * 3;
    if (rgb.size() / rowBytes < height) return {};

    // Raw scan lines: filter type 0, then the row.
    std::vector<uint8_t> raw;
    raw.reserve((rowBytes + 1) * height);
    for (uint32_t y = 0; y < height; ++y) {
        raw.push_back(0);
        const uint8_t* row = rgb.data() + rowBytes * y;
        raw.insert(raw.end(), row, row + rowBytes);
    }

    // zlib stream of stored blocks: CMF/FLG 0x78 0x01, blocks, Adler-32.
    std::vector<uint8_t> z = {0x78, 0x01};
    size_t done = 0;
    do {
        size_t n = raw.size() - done < kStoredBlockMax ? raw.size() - done : kStoredBlockMax;
        bool last = done + n == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(static_cast<uint8_t>(n));
        z.push_back(static_cast<uint8_t>(n >> 8));
        z.push_back(static_cast<uint8_t>(~n));
        z.push_back(static_cast<uint8_t>(~n >> 8));
        z.insert(z.end(), raw.begin() + done, raw.begin() + done + n);
        done += n;
    } while (done < raw.size());
    PutU32(&z, Adler32(raw.data(), raw.size()));

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutU32(&header, width);
    PutU32(&header, height);
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
    PutChunk(&png, "IHDR", header);
    PutChunk(&png, "IDAT", z);
    PutChunk(&png, "IEND", {});
    return png;
}

}  // namespace e2e
