// LZ payloads: 16-bit big-endian flag words (most significant flag first),
// literal bytes, 2-byte back-references (12-bit offset, 4-bit length - 3) and
// 4-byte runs (offset field 0, 12-bit count - 16, the byte).
//
// Two loops decode the same layout. The fast loop takes a whole flag word
// at a time while the input holds its worst case (16 runs) plus a 16-byte
// over-read, and the output its worst case (16 longest back-references)
// plus a 16-byte over-write; inside it, literals move as one run per group
// of clear flags and back-references in fixed 8- or 16-byte moves. Runs,
// which may be long, check their room one by one and hand the rest of the
// word to the exact loop when they leave too little. The exact loop checks
// every token and finishes the block. Both refuse damage at the same token
// with the same reason.
#include <cstring>

#include "dta/codecs/codecs.h"
#include "dta/codecs/limits.h"

namespace dta::codecs {
namespace {

constexpr int kFlagsPerWord = 16;
constexpr size_t kLongestToken = 4;   // a run
constexpr size_t kLongestMatch = 18;  // a back-reference of length 15 + 3
constexpr size_t kMove = 16;          // the widest fixed move
// What one flag word needs at most, with the room for the wide moves.
constexpr size_t kFastInput = kFlagsPerWord * kLongestToken + kMove;
constexpr size_t kFastOutput = kFlagsPerWord * kLongestMatch + kMove;

inline void Move4(uint8_t* dst, const uint8_t* src) {
    uint32_t v;
    std::memcpy(&v, src, sizeof v);
    std::memcpy(dst, &v, sizeof v);
}

inline void Move8(uint8_t* dst, const uint8_t* src) {
    uint64_t v;
    std::memcpy(&v, src, sizeof v);
    std::memcpy(dst, &v, sizeof v);
}

inline void Move16(uint8_t* dst, const uint8_t* src) {
    uint8_t v[16];
    std::memcpy(v, src, sizeof v);
    std::memcpy(dst, v, sizeof v);
}

inline uint32_t FlagWord(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 8) | p[1];
}

// Copies a back-reference of `length` bytes from `offset` bytes behind `dst`
// as a byte-by-byte copy would (a length above the offset repeats the last
// `offset` bytes), writing up to 24 bytes: the caller has that room.
inline void CopyMatch(uint8_t* dst, size_t offset, size_t length) {
    const uint8_t* src = dst - offset;
    // Each move reads only bytes that are final before it starts; moves
    // past the length are left out where they could stall the next match.
    if (offset >= 16) {
        Move16(dst, src);
        if (length > 16) Move8(dst + 16, src + 16);
    } else if (offset >= 8) {
        Move8(dst, src);
        if (length > 8) Move8(dst + 8, src + 8);
        if (length > 16) Move8(dst + 16, src + 16);
    } else if (offset >= 4) {
        for (size_t k = 0; k < length; k += 4) Move4(dst + k, src + k);
    } else if (offset != 3) {
        // A byte or a pair repeated: the pattern fills 8 bytes at a time.
        uint64_t pattern;
        if (offset == 1) {
            pattern = 0x0101010101010101ull * src[0];
        } else {
            uint16_t pair;
            std::memcpy(&pair, src, sizeof pair);
            pattern = 0x0001000100010001ull * pair;
        }
        for (size_t k = 0; k < length; k += 8) std::memcpy(dst + k, &pattern, sizeof pattern);
    } else {
        for (size_t k = 0; k < length; ++k) dst[k] = src[k];
    }
}

// Where decoding stands: payload position, output position, and the flags
// of the current word still to use (the next one in bit 15).
struct Cursor {
    size_t pos;
    size_t w;
    uint32_t flags;
    int bitsLeft;
};

enum class Fast { Finished, Exact, Refused };

// The fast loop: whole flag words while their worst case fits. Finished when
// the payload ended after a word; Exact when the exact loop must go on from
// `c` (possibly inside a word); Refused on damage.
Fast DecodeWholeWords(const uint8_t* payload, size_t size, uint8_t* out, size_t capacity, Cursor& c,
                      DecodeFault* fault) {
    while (size - c.pos >= kFastInput && capacity - c.w >= kFastOutput) {
        // The word's flags from bit 31 down; `left` of them still to use.
        uint32_t f = c.flags << 16;
        int left = kFlagsPerWord;
        while (left > 0) {
            if ((f & 0x80000000u) == 0) {
                // A group of literals: as many as there are clear flags.
                int n = f == 0 ? left : __builtin_clz(f);
                if (n > left) n = left;
                Move16(out + c.w, payload + c.pos);
                c.w += static_cast<size_t>(n);
                c.pos += static_cast<size_t>(n);
                f <<= n;
                left -= n;
                continue;
            }
            const uint8_t b0 = payload[c.pos];
            const uint8_t b1 = payload[c.pos + 1];
            const size_t offset = (static_cast<size_t>(b0) << 4) | (b1 >> 4);
            if (offset != 0) {
                // The window is this block's output only.
                if (c.w < offset) {
                    Refuse(fault, Reason::LzBackReferenceBeforeStart, c.pos);
                    return Fast::Refused;
                }
                const size_t length = static_cast<size_t>(b1 & 0x0F) + 3;
                CopyMatch(out + c.w, offset, length);
                c.w += length;
                c.pos += 2;
            } else {
                const size_t count = (static_cast<size_t>(b1 & 0x0F) << 8) + payload[c.pos + 2] + 16;
                if (capacity - c.w < count) {
                    Refuse(fault, Reason::OutputTooLong, c.pos);
                    return Fast::Refused;
                }
                std::memset(out + c.w, payload[c.pos + 3], count);
                c.w += count;
                c.pos += 4;
                if (capacity - c.w < static_cast<size_t>(left) * kLongestMatch + kMove) {
                    // Too little room left for the wide moves: the exact
                    // loop takes the rest of this word.
                    c.flags = (f << 1) >> 16;
                    c.bitsLeft = left - 1;
                    return Fast::Exact;
                }
            }
            f <<= 1;
            --left;
        }
        // The input held the whole word, so it can't have ended inside it.
        if (c.pos == size) return Fast::Finished;
        if (size - c.pos < 3) {
            Refuse(fault, Reason::LzFlagWordCut, c.pos);
            return Fast::Refused;
        }
        c.flags = FlagWord(payload + c.pos);
        c.pos += 2;
        c.bitsLeft = kFlagsPerWord;
    }
    return Fast::Exact;
}

}  // namespace

int32_t DecodeLz(const uint8_t* payload, size_t size, uint8_t* out, size_t capacity, size_t written,
                 DecodeFault* fault) {
    if (out == nullptr) return Refuse(fault, Reason::OutputTooLong, 0);
    capacity = ClampCapacity(capacity);
    if (written > capacity) return Refuse(fault, Reason::OutputTooLong, 0);
    // Two bytes or fewer hold no token.
    if (size <= 2) return 0;
    if (payload == nullptr) return Refuse(fault, Reason::LzTokenCut, 0);

    Cursor c{2, written, FlagWord(payload), kFlagsPerWord};
    switch (DecodeWholeWords(payload, size, out, capacity, c, fault)) {
        case Fast::Finished:
            return static_cast<int32_t>(c.w - written);
        case Fast::Refused:
            return kDecodeError;
        case Fast::Exact:
            break;
    }

    // The exact loop: every token checked, to the end of the payload.
    size_t pos = c.pos;
    size_t w = c.w;
    uint32_t flags = c.flags;
    int bitsLeft = c.bitsLeft;
    while (pos < size) {
        if (bitsLeft == 0) {
            // A flag word stands only in front of a token: it and the token
            // after it must both be inside the payload.
            if (size - pos < 3) return Refuse(fault, Reason::LzFlagWordCut, pos);
            flags = FlagWord(payload + pos);
            pos += 2;
            bitsLeft = kFlagsPerWord;
        }

        if ((flags & 0x8000) == 0) {
            if (capacity - w < 1) return Refuse(fault, Reason::OutputTooLong, pos);
            out[w++] = payload[pos++];
        } else {
            if (size - pos < 2) return Refuse(fault, Reason::LzTokenCut, pos);
            const uint8_t b0 = payload[pos];
            const uint8_t b1 = payload[pos + 1];
            const size_t offset = (static_cast<size_t>(b0) << 4) | (b1 >> 4);
            if (offset != 0) {
                const size_t length = static_cast<size_t>(b1 & 0x0F) + 3;
                // The window is this block's output only.
                if (w < offset) return Refuse(fault, Reason::LzBackReferenceBeforeStart, pos);
                if (capacity - w < length) return Refuse(fault, Reason::OutputTooLong, pos);
                uint8_t* dst = out + w;
                const uint8_t* src = dst - offset;
                // Overlapping copy repeats the last `offset` bytes.
                for (size_t k = 0; k < length; ++k) dst[k] = src[k];
                w += length;
                pos += 2;
            } else {
                if (size - pos < 4) return Refuse(fault, Reason::LzTokenCut, pos);
                const size_t count = (static_cast<size_t>(b1 & 0x0F) << 8) + payload[pos + 2] + 16;
                if (capacity - w < count) return Refuse(fault, Reason::OutputTooLong, pos);
                std::memset(out + w, payload[pos + 3], count);
                w += count;
                pos += 4;
            }
        }
        flags <<= 1;
        --bitsLeft;
    }
    return static_cast<int32_t>(w - written);
}

}  // namespace dta::codecs
