#include "dta/pack/entry_coder.h"

#include <algorithm>
#include <cstring>

#include "dta/format.h"
#include "dta/pack/lz_encoder.h"
#include "dta/pack/wave_encoder.h"

namespace dta::pack {
namespace {

namespace block = format::block;
namespace wave_header = format::wave_header;

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
    if (size > 0) body.insert(body.end(), data, data + size);
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
        prefixed.assign(header, header + wave_header::kSize);
        start = wave_header::kSize;
    }
    prefixed.insert(prefixed.end(), data, data + size);
    std::vector<uint8_t> payload = EncodeLz(prefixed.data(), prefixed.size(), start);

    std::vector<uint8_t> body = {kMethodWaveRow0};
    if (withHeader) body.insert(body.end(), header, header + wave_header::kSize);
    if (payload.size() < size) {
        body.push_back(kNestedLz);
        body.insert(body.end(), payload.begin(), payload.end());
    } else {
        body.push_back(kNestedStored);
        body.insert(body.end(), data, data + size);
    }
    return body;
}

}  // namespace

uint64_t BlockCount(uint64_t size) {
    return size == 0 ? 1 : (size - 1) / block::kDecodedSize + 1;
}

bool PlanEntry(Method method, const uint8_t* head, size_t headSize, uint64_t size, EntryPlan* plan,
               std::string* error) {
    *plan = EntryPlan();
    plan->method = method == Method::WaveIfSound ? Method::Auto : method;
    if (method != Method::Wave && method != Method::WaveIfSound) return true;

    WaveFormat fmt;
    const bool isWave = size <= SIZE_MAX && ParseCanonicalWave(head, headSize, &fmt);
    const bool sixteenBit = isWave && fmt.bitsPerSample == 16 && fmt.formatTag == 1;
    const bool delta = isWave && IsDeltaCodable(fmt, static_cast<size_t>(size));
    if (!isWave || (sixteenBit && !delta)) {
        if (method == Method::WaveIfSound) return true;
        if (error)
            *error = !isWave ? "not a canonical WAVE file (44-byte RIFF header with fmt and data chunks)"
                             : "16-bit WAVE data does not end in whole frames at the end of the file";
        return false;
    }
    plan->method = Method::Wave;
    plan->wave = true;
    plan->lossy = delta;
    plan->channels = fmt.channels;
    std::memcpy(plan->header, head, wave_header::kSize);
    return true;
}

std::vector<uint8_t> EncodeBlock(const EntryPlan& plan, uint64_t index, const uint8_t* data, size_t size) {
    if (plan.wave) {
        // Block 0 decodes to the header and the first 32724 sample bytes,
        // every later block to 32768 bytes: all whole frames of 2 or 4 bytes.
        const bool first = index == 0;
        const size_t skip = first ? std::min(size, wave_header::kSize) : 0;
        return plan.lossy ? EncodeWaveBlock(plan.header, first, data + skip, size - skip, plan.channels)
                          : NestedWaveBody(plan.header, first, data + skip, size - skip);
    }
    if (size == 0 || plan.method == Method::Stored) return StoredBody(data, size);
    std::vector<uint8_t> lz = LzBody(data, size);
    // Explicit LZ keeps LZ unless the body would overflow a block body.
    const bool useLz = plan.method == Method::Lz ? lz.size() <= block::kMaxBodySize : lz.size() < 1 + size;
    return useLz ? lz : StoredBody(data, size);
}

bool EncodeEntry(const uint8_t* data, size_t size, Method method, EncodedEntry* out, std::string* error) {
    out->bodies.clear();
    out->wave = false;
    out->lossy = false;
    if (size > 0 && data == nullptr) {
        if (error) *error = "no data";
        return false;
    }
    EntryPlan plan;
    if (!PlanEntry(method, data, std::min(size, block::kDecodedSize), size, &plan, error)) return false;
    out->wave = plan.wave;
    out->lossy = plan.lossy;
    const uint64_t blocks = BlockCount(size);
    for (uint64_t b = 0; b < blocks; ++b) {
        const size_t start = static_cast<size_t>(b * block::kDecodedSize);
        const size_t n = std::min(block::kDecodedSize, size - start);
        out->bodies.push_back(EncodeBlock(plan, b, data + start, n));
    }
    return true;
}

bool ParseMethod(const std::string& text, Method* method) {
    if (text == "auto")
        *method = Method::Auto;
    else if (text == "stored")
        *method = Method::Stored;
    else if (text == "lz")
        *method = Method::Lz;
    else if (text == "wave")
        *method = Method::Wave;
    else
        return false;
    return true;
}

}  // namespace dta::pack
