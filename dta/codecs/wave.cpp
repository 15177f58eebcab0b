// Wave blocks: an optional copy of the entry's 44-byte WAVE header, then
// either a delta-coded 16-bit sample stream or, for other sample widths, a
// nested stored/LZ body.
#include <cstring>

#include "dta/codecs/codecs.h"
#include "dta/codecs/delta_table.h"
#include "dta/codecs/limits.h"

namespace dta::codecs {
namespace {

namespace wave_header = format::wave_header;

// The header copy starts right after the method byte.
constexpr size_t kCopyStart = 1;
// The last id compared ends at body offset 41.
constexpr size_t kIdsEnd = kCopyStart + wave_header::kDataId + 4;

bool IdsMatch(const uint8_t* body, const uint8_t* header) {
    return std::memcmp(body + kCopyStart + wave_header::kRiffId, header + wave_header::kRiffId, 4) == 0 &&
           std::memcmp(body + kCopyStart + wave_header::kFmtId, header + wave_header::kFmtId, 4) == 0 &&
           std::memcmp(body + kCopyStart + wave_header::kDataId, header + wave_header::kDataId, 4) == 0;
}

// Writes a sample little-endian.
inline void PutSample(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

// Writes four samples little-endian, as one 8-byte store.
inline void PutSamples(uint8_t* p, uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
    const uint64_t word = a | (static_cast<uint64_t>(b) << 16) | (static_cast<uint64_t>(c) << 32) |
                          (static_cast<uint64_t>(d) << 48);
    // Spelled out, so that the compiler merges it into a single store.
    p[0] = static_cast<uint8_t>(word);
    p[1] = static_cast<uint8_t>(word >> 8);
    p[2] = static_cast<uint8_t>(word >> 16);
    p[3] = static_cast<uint8_t>(word >> 24);
    p[4] = static_cast<uint8_t>(word >> 32);
    p[5] = static_cast<uint8_t>(word >> 40);
    p[6] = static_cast<uint8_t>(word >> 48);
    p[7] = static_cast<uint8_t>(word >> 56);
}

inline uint16_t Add(uint16_t sample, const uint16_t* deltas, uint8_t code) {
    return static_cast<uint16_t>(sample + deltas[code]);
}

// The predictor loops: one table lookup and one 16-bit wrap-around add per
// code byte, with no branch on the code (`deltas` holds the signed step of
// each of the 256 codes).
int32_t DecodeStereo(const uint8_t* data, size_t size, uint8_t* out, size_t room, const uint16_t* deltas,
                     DecodeFault* fault) {
    // Raw first frame, then one code per channel per frame.
    if (size < 4) return Refuse(fault, Reason::WaveFirstSampleCut, 0);
    const size_t codes = size - 4;
    if (codes % 2 != 0) return Refuse(fault, Reason::WaveOddStereoCodes, size - 1);
    // Each code byte becomes two output bytes.
    if (room < 4 || (room - 4) / 2 < codes) return Refuse(fault, Reason::OutputTooLong, 0);
    const size_t needed = 4 + codes * 2;

    std::memcpy(out, data, 4);
    uint16_t left = format::ReadLe16(data);
    uint16_t right = format::ReadLe16(data + 2);
    uint8_t* o = out + 4;
    size_t i = 4;
    for (; size - i >= 4; i += 4, o += 8) {
        const uint16_t left1 = Add(left, deltas, data[i]);
        const uint16_t right1 = Add(right, deltas, data[i + 1]);
        left = Add(left1, deltas, data[i + 2]);
        right = Add(right1, deltas, data[i + 3]);
        PutSamples(o, left1, right1, left, right);
    }
    for (; i < size; i += 2, o += 4) {
        left = Add(left, deltas, data[i]);
        right = Add(right, deltas, data[i + 1]);
        PutSample(o, left);
        PutSample(o + 2, right);
    }
    return static_cast<int32_t>(needed);
}

int32_t DecodeSequence(const uint8_t* data, size_t size, uint8_t* out, size_t room, const uint16_t* deltas,
                       DecodeFault* fault) {
    // Raw first sample, then one code per sample.
    if (size < 2) return Refuse(fault, Reason::WaveFirstSampleCut, 0);
    const size_t codes = size - 2;
    if (room < 2 || (room - 2) / 2 < codes) return Refuse(fault, Reason::OutputTooLong, 0);
    const size_t needed = 2 + codes * 2;

    std::memcpy(out, data, 2);
    uint16_t sample = format::ReadLe16(data);
    uint8_t* o = out + 2;
    size_t i = 2;
    for (; size - i >= 4; i += 4, o += 8) {
        // Sums of the deltas first, so that the predictor takes one add per
        // four samples: wrap-around addition is associative.
        const uint16_t d1 = deltas[data[i]];
        const uint16_t d2 = static_cast<uint16_t>(d1 + deltas[data[i + 1]]);
        const uint16_t d3 = static_cast<uint16_t>(d2 + deltas[data[i + 2]]);
        const uint16_t d4 = static_cast<uint16_t>(d3 + deltas[data[i + 3]]);
        PutSamples(o, static_cast<uint16_t>(sample + d1), static_cast<uint16_t>(sample + d2),
                   static_cast<uint16_t>(sample + d3), static_cast<uint16_t>(sample + d4));
        sample = static_cast<uint16_t>(sample + d4);
    }
    for (; i < size; ++i, o += 2) {
        sample = Add(sample, deltas, data[i]);
        PutSample(o, sample);
    }
    return static_cast<int32_t>(needed);
}

}  // namespace

int32_t DecodeWave(const uint8_t* body, size_t size, uint8_t* out, size_t capacity, const uint8_t* waveHeader,
                   DecodeFault* fault) {
    if (body == nullptr || out == nullptr || size == 0) return Refuse(fault, Reason::StoredSizeZero, 0);
    // Without the entry's header the sample layout is unknown.
    if (waveHeader == nullptr) return Refuse(fault, Reason::WaveWithoutHeader, 0);
    capacity = ClampCapacity(capacity);

    const uint16_t* deltas = CodeDeltas(DeltaRowForMethod(body[0]));
    size_t pos = 1;
    size_t written = 0;

    if (size >= kIdsEnd && IdsMatch(body, waveHeader)) {
        // The ids say a header copy is here; a body too short to hold all of
        // it is damaged.
        if (size - kCopyStart < wave_header::kSize)
            return Refuse(fault, Reason::WaveHeaderCopyCut, kCopyStart);
        if (capacity < wave_header::kSize) return Refuse(fault, Reason::OutputTooLong, kCopyStart);
        std::memcpy(out, body + kCopyStart, wave_header::kSize);
        pos = kCopyStart + wave_header::kSize;
        written = wave_header::kSize;
    }
    if (pos >= size) return static_cast<int32_t>(written);

    const uint16_t channels = format::ReadLe16(waveHeader + wave_header::kChannels);
    const uint16_t blockAlign = format::ReadLe16(waveHeader + wave_header::kBlockAlign);
    if (channels == 0) return Refuse(fault, Reason::WaveNoChannels, pos);

    const uint8_t* data = body + pos;
    const size_t dataSize = size - pos;
    uint8_t* dst = out + written;
    const size_t room = capacity - written;

    int32_t produced;
    if (blockAlign / channels == 2) {
        produced = channels == 2 ? DecodeStereo(data, dataSize, dst, room, deltas, fault)
                                 : DecodeSequence(data, dataSize, dst, room, deltas, fault);
        produced = Shifted(produced, fault, pos);
    } else if (data[0] == 0) {
        // Nested stored body.
        const size_t payload = dataSize - 1;
        if (room < payload) return Refuse(fault, Reason::StoredTooLong, pos + 1 + room);
        if (payload != 0) std::memcpy(dst, data + 1, payload);
        produced = static_cast<int32_t>(payload);
    } else {
        // Nested LZ body; its back-references may reach into the header copy.
        produced = Shifted(DecodeLz(data + 1, dataSize - 1, out, capacity, written, fault), fault, pos + 1);
    }
    if (produced < 0) return kDecodeError;
    return static_cast<int32_t>(written + static_cast<size_t>(produced));
}

}  // namespace dta::codecs
