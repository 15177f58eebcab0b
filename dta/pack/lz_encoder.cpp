#include "dta/pack/lz_encoder.h"

#include <algorithm>

namespace dta::pack {
namespace {

constexpr size_t kMaxOffset = 4095;
constexpr size_t kMinMatch = 3;
constexpr size_t kMaxMatch = 18;
constexpr size_t kMinRun = 16;
constexpr size_t kMaxRun = 4111;
// A run token costs 4 bytes, a back-reference 2: below this length a
// back-reference of the same byte (when one is in reach) is as good.
constexpr size_t kRunPreferred = 36;
constexpr int kHashBits = 13;
constexpr int kChainDepth = 16;
constexpr size_t kLazyBelow = 5;
// After this many searches in a row find nothing, the search step grows by
// one every 2^kSparseGrowth further misses.
constexpr size_t kSparseAfter = 32;
constexpr int kSparseGrowth = 4;

// Collects tokens and their flag bits, writing each flag word in front of
// the tokens it describes; a new word is opened only when a token needs it.
class TokenWriter {
public:
    void Literal(uint8_t b) {
        Flag(false);
        out_.push_back(b);
    }
    void Copy(size_t offset, size_t length) {
        Flag(true);
        out_.push_back(static_cast<uint8_t>(offset >> 4));
        out_.push_back(static_cast<uint8_t>(((offset & 0x0F) << 4) | (length - kMinMatch)));
    }
    void Run(uint8_t b, size_t count) {
        Flag(true);
        const size_t c = count - kMinRun;
        out_.push_back(0);
        out_.push_back(static_cast<uint8_t>(c >> 8));
        out_.push_back(static_cast<uint8_t>(c));
        out_.push_back(b);
    }
    std::vector<uint8_t> Finish() {
        StoreFlags();
        return std::move(out_);
    }

private:
    void Flag(bool copy) {
        if (used_ == 16) {
            StoreFlags();
            flagPos_ = out_.size();
            out_.push_back(0);
            out_.push_back(0);
            flags_ = 0;
            used_ = 0;
        }
        if (copy) flags_ |= static_cast<uint16_t>(0x8000u >> used_);
        ++used_;
    }
    void StoreFlags() {
        if (out_.empty()) return;
        out_[flagPos_] = static_cast<uint8_t>(flags_ >> 8);
        out_[flagPos_ + 1] = static_cast<uint8_t>(flags_);
    }

    std::vector<uint8_t> out_;
    size_t flagPos_ = 0;
    uint16_t flags_ = 0;
    int used_ = 16;
};

class MatchFinder {
public:
    MatchFinder(const uint8_t* data, size_t size)
        : data_(data), size_(size), head_(size_t{1} << kHashBits, -1), prev_(size, -1) {}

    void Insert(size_t pos) {
        if (size_ - pos < kMinMatch) return;
        const uint32_t h = Hash(pos);
        prev_[pos] = head_[h];
        head_[h] = static_cast<int32_t>(pos);
    }

    // Longest match for data[pos..] within reach; length 0 when none of
    // kMinMatch bytes exists.
    size_t Find(size_t pos, size_t* offset) const {
        if (size_ - pos < kMinMatch) return 0;
        const size_t limit = std::min(kMaxMatch, size_ - pos);
        size_t bestLength = 0;
        int depth = kChainDepth;
        for (int32_t cand = head_[Hash(pos)]; cand >= 0 && depth-- > 0; cand = prev_[cand]) {
            const size_t c = static_cast<size_t>(cand);
            if (pos - c > kMaxOffset) break;
            if (data_[c + bestLength] != data_[pos + bestLength]) continue;
            size_t length = 0;
            while (length < limit && data_[c + length] == data_[pos + length]) ++length;
            if (length > bestLength) {
                bestLength = length;
                *offset = pos - c;
                if (length == limit) break;
            }
        }
        return bestLength >= kMinMatch ? bestLength : 0;
    }

private:
    uint32_t Hash(size_t pos) const {
        const uint32_t v = data_[pos] | (data_[pos + 1] << 8) | (data_[pos + 2] << 16);
        return (v * 2654435761u) >> (32 - kHashBits);
    }

    const uint8_t* data_;
    size_t size_;
    std::vector<int32_t> head_;
    std::vector<int32_t> prev_;
};

size_t RunLength(const uint8_t* data, size_t size, size_t pos) {
    const size_t limit = std::min(kMaxRun, size - pos);
    size_t n = 1;
    while (n < limit && data[pos + n] == data[pos]) ++n;
    return n;
}

}  // namespace

std::vector<uint8_t> EncodeLz(const uint8_t* data, size_t size, size_t start) {
    TokenWriter writer;
    if (data == nullptr || start >= size) return writer.Finish();

    MatchFinder finder(data, size);
    for (size_t i = 0; i < start; ++i) finder.Insert(i);

    size_t pos = start;
    size_t misses = 0;  // positions searched in a row without a match
    while (pos < size) {
        const size_t run = RunLength(data, size, pos);
        size_t offset = 0;
        size_t length = run >= kRunPreferred ? 0 : finder.Find(pos, &offset);

        size_t advance;
        if (run >= kRunPreferred || (run >= kMinRun && length < kMaxMatch)) {
            writer.Run(data[pos], run);
            advance = run;
        } else if (length >= kMinMatch) {
            // One step of lazy evaluation for short matches: a longer match
            // one byte later is worth a literal now. Longer matches rarely
            // gain from it, and skipping the search there saves much time.
            size_t nextOffset = 0;
            finder.Insert(pos);
            const size_t next = length < kLazyBelow && size - pos > 1 ? finder.Find(pos + 1, &nextOffset) : 0;
            if (next > length) {
                writer.Literal(data[pos]);
                ++pos;
                continue;
            }
            misses = 0;
            writer.Copy(offset, length);
            for (size_t k = 1; k < length; ++k) finder.Insert(pos + k);
            pos += length;
            continue;
        } else {
            // Data that keeps finding no match is likely incompressible
            // (already compressed files): as lz4 does, search ever more
            // sparsely, passing the bytes skipped on as literals.
            ++misses;
            const size_t step = misses > kSparseAfter ? 1 + ((misses - kSparseAfter) >> kSparseGrowth) : 1;
            const size_t n = std::min(size - pos, step);
            for (size_t k = 0; k < n; ++k) writer.Literal(data[pos + k]);
            finder.Insert(pos);
            pos += n;
            continue;
        }
        misses = 0;
        for (size_t k = 0; k < advance; ++k) finder.Insert(pos + k);
        pos += advance;
    }
    return writer.Finish();
}

}  // namespace dta::pack
