#include "tools/entry_coder.h"

#include <algorithm>

#include "dta/format.h"
#include "tools/lz_encoder.h"
#include "tools/wave_encoder.h"
#include "tools/wave_file.h"

namespace dta::tools {
namespace {

constexpr uint8_t kMethodStored = 0;
constexpr uint8_t kMethodLz = 1;
constexpr uint8_t kMethodWaveRow0 = 8;
// Leading byte of a nested body inside a wave block.
constexpr uint8_t kNestedStored = 0;
constexpr uint8_t kNestedLz = 1;

std::vector<uint8_t> StoredBody(const uint8_t* data, size_t size) {
    std::vector<uint8_t> body;
    body.reserve(1 + size);
    body.push_back(kMethodStored);
    body.insert(body.end(), data, data + size);
    return body;
}

std::vector<uint8_t> LzBody(const uint8_t* data, size_t size) {
    std::vector<uint8_t> payload = EncodeLz(data, size);
    std::vector<uint8_t> body;
    body.reserve(1 + payload.size());
    body.push_back(kMethodLz);
    body.insert(body.end(), payload.begin(), payload.end());
    return body;
}

// A wave block of sound that is not 16-bit: method, optional header copy,
// then a nested stored or LZ body, whichever is smaller. The LZ coder may
// refer back into the header copy, which the decoder has already written.
std::vector<uint8_t> NestedWaveBody(const uint8_t* header, bool withHeader, const uint8_t* data,
                                    size_t size) {
    std::vector<uint8_t> prefixed;
    size_t start = 0;
    if (withHeader) {
        prefixed.assign(header, header + format::wave_header::kSize);
        start = format::wave_header::kSize;
    }
    prefixed.insert(prefixed.end(), data, data + size);
    std::vector<uint8_t> payload = EncodeLz(prefixed.data(), prefixed.size(), start);

    std::vector<uint8_t> body = {kMethodWaveRow0};
    if (withHeader) body.insert(body.end(), header, header + format::wave_header::kSize);
    if (payload.size() < size) {
        body.push_back(kNestedLz);
        body.insert(body.end(), payload.begin(), payload.end());
    } else {
        body.push_back(kNestedStored);
        body.insert(body.end(), data, data + size);
    }
    return body;
}

bool EncodeWaveEntry(const uint8_t* data, size_t size, const WaveFormat& fmt, EncodedEntry* out) {
    const bool delta = IsDeltaCodable(fmt, size);
    out->wave = true;
    // Block 0 decodes to the header and the first 32724 sample bytes, every
    // later block to 32768 bytes: all whole frames of 2 or 4 bytes.
    for (size_t start = 0; start < size; start += format::block::kDecodedSize) {
        const size_t end = std::min(size, start + format::block::kDecodedSize);
        const bool first = start == 0;
        const size_t from = first ? format::wave_header::kSize : start;
        const uint8_t* pcm = data + from;
        const size_t n = end - from;
        out->bodies.push_back(delta ? EncodeWaveBlock(data, first, pcm, n, fmt.channels)
                                    : NestedWaveBody(data, first, pcm, n));
    }
    return true;
}

}  // namespace

bool EncodeEntry(const uint8_t* data, size_t size, Method method, EncodedEntry* out, std::string* error) {
    out->bodies.clear();
    out->wave = false;
    if (size > 0 && data == nullptr) {
        if (error) *error = "no data";
        return false;
    }

    WaveFormat fmt;
    const bool isWave = ParseCanonicalWave(data, size, &fmt);
    if (method == Method::Wave) {
        if (!isWave) {
            if (error) *error = "not a canonical WAVE file (44-byte RIFF header with fmt and data chunks)";
            return false;
        }
        if (fmt.bitsPerSample == 16 && fmt.formatTag == 1 && !IsDeltaCodable(fmt, size)) {
            if (error) *error = "16-bit WAVE data does not end in whole frames at the end of the file";
            return false;
        }
        return EncodeWaveEntry(data, size, fmt, out);
    }
    if (method == Method::Auto && isWave && IsDeltaCodable(fmt, size))
        return EncodeWaveEntry(data, size, fmt, out);

    if (size == 0) {
        out->bodies.push_back(StoredBody(data, 0));
        return true;
    }
    for (size_t start = 0; start < size; start += format::block::kDecodedSize) {
        const uint8_t* block = data + start;
        const size_t n = std::min(format::block::kDecodedSize, size - start);
        if (method == Method::Stored) {
            out->bodies.push_back(StoredBody(block, n));
            continue;
        }
        std::vector<uint8_t> lz = LzBody(block, n);
        // Explicit LZ keeps LZ unless the body would overflow a block body.
        const bool useLz =
            method == Method::Lz ? lz.size() <= format::block::kMaxBodySize : lz.size() < 1 + n;
        out->bodies.push_back(useLz ? std::move(lz) : StoredBody(block, n));
    }
    return true;
}

bool ParseMethod(const std::string& text, Method* method) {
    if (text == "stored")
        *method = Method::Stored;
    else if (text == "lz")
        *method = Method::Lz;
    else if (text == "wave")
        *method = Method::Wave;
    else if (text == "auto")
        *method = Method::Auto;
    else
        return false;
    return true;
}

}  // namespace dta::tools
