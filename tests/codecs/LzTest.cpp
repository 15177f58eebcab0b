#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "dta/codecs/codecs.h"
#include "tests/codecs/lz_model.h"

using namespace dta::codecs;
namespace format = dta::format;

namespace {

// Decodes `payload` into a fresh block; {"<error>"} on failure.
std::string Lz(const std::vector<uint8_t>& payload, size_t capacity = format::block::kDecodedSize) {
    std::vector<uint8_t> out(capacity);
    int32_t n = DecodeLz(payload.data(), payload.size(), out.data(), out.size(), 0);
    if (n < 0) return "<error>";
    return std::string(out.begin(), out.begin() + n);
}

std::vector<uint8_t> Cat(std::vector<uint8_t> a, const std::string& s) {
    a.insert(a.end(), s.begin(), s.end());
    return a;
}

}  // namespace

TEST(Lz, short_payloads_decode_to_nothing) {
    EXPECT_EQ(Lz({}), "");
    EXPECT_EQ(Lz({0x00}), "");
    EXPECT_EQ(Lz({0xFF, 0xFF}), "");
}

TEST(Lz, seventeenth_token_follows_a_new_flag_word) {
    EXPECT_EQ(Lz(Cat({0x00, 0x00}, "abcdefghijklmnop")), "abcdefghijklmnop");
    // The second flag word 0x8000 makes the 17th token a run.
    std::vector<uint8_t> p = Cat({0x00, 0x00}, "abcdefghijklmnop");
    p.insert(p.end(), {0x80, 0x00, 0x00, 0x00, 0x00, '!'});
    EXPECT_EQ(Lz(p), "abcdefghijklmnop" + std::string(16, '!'));
}

TEST(Lz, payload_ending_inside_a_flag_word_ignores_the_remaining_flags) {
    // Flags say literal, literal, literal, then copies that never come.
    EXPECT_EQ(Lz(Cat({0x1F, 0xFF}, "xyz")), "xyz");
}

TEST(Lz, back_references_decode_offset_and_length_fields) {
    // Offset 1, length 18 after one literal: 19 equal bytes.
    EXPECT_EQ(Lz({0x40, 0x00, 'x', 0x00, 0x1F}), std::string(19, 'x'));
    // 0x00 0x13: offset 1, length 6.
    EXPECT_EQ(Lz({0x40, 0x00, 'q', 0x00, 0x13}), std::string(7, 'q'));
    // Offset 3, length 5 over "abc": the copy overlaps itself.
    EXPECT_EQ(Lz({0x10, 0x00, 'a', 'b', 'c', 0x00, 0x32}), "abcabcab");
    // 0xFF 0xFF: offset 4095, length 18. A 'Q' and a run of 4094 dots put
    // the 'Q' exactly 4095 bytes back.
    std::string got = Lz({0x60, 0x00, 'Q', 0x00, 0x0F, 0xEE, '.', 0xFF, 0xFF});
    ASSERT_EQ(got.size(), 1u + 4094u + 18u);
    EXPECT_EQ(got.substr(4095), "Q" + std::string(17, '.'));
}

TEST(Lz, runs_cover_sixteen_to_4111_bytes) {
    EXPECT_EQ(Lz({0x80, 0x00, 0x00, 0x00, 0x00, 0x41}), std::string(16, 'A'));
    EXPECT_EQ(Lz({0x80, 0x00, 0x00, 0x0F, 0xFF, 0x20}), std::string(4111, ' '));
    EXPECT_EQ(Lz({0x80, 0x00, 0x00, 0x01, 0x02, 0x00}), std::string(256 + 2 + 16, '\0'));
}

TEST(Lz, output_continues_after_bytes_already_written) {
    // Back-references may reach the bytes before `written`, as a nested body
    // after a header copy does.
    std::vector<uint8_t> out = {'h', 'e', 'a', 'd', 0, 0, 0, 0, 0, 0};
    const uint8_t payload[] = {0x80, 0x00, 0x00, 0x43};  // offset 4, length 6
    EXPECT_EQ(DecodeLz(payload, sizeof payload, out.data(), out.size(), 4), 6);
    EXPECT_EQ(std::string(out.begin(), out.end()), "headheadhe");
    EXPECT_EQ(DecodeLz(payload, sizeof payload, out.data(), out.size(), 11), kDecodeError);
}

TEST(Lz, back_reference_before_the_block_start_is_refused) {
    // A block never sees its predecessor's output.
    EXPECT_EQ(Lz({0x80, 0x00, 0x00, 0x10}), "<error>");
    // One literal, then offset 2.
    EXPECT_EQ(Lz({0x40, 0x00, 'a', 0x00, 0x20}), "<error>");
}

TEST(Lz, tokens_running_past_the_payload_are_refused) {
    EXPECT_EQ(Lz({0x80, 0x00, 0x00}), "<error>");              // half a back-reference
    EXPECT_EQ(Lz({0x80, 0x00, 0x00, 0x00, 0x00}), "<error>");  // three quarters of a run
    // A flag word with no token behind it, and half a flag word.
    std::vector<uint8_t> p = Cat({0x00, 0x00}, "abcdefghijklmnop");
    p.insert(p.end(), {0x00, 0x00});
    EXPECT_EQ(Lz(p), "<error>");
    p.pop_back();
    EXPECT_EQ(Lz(p), "<error>");
}

TEST(Lz, output_one_byte_short_is_refused_and_sentinel_survives) {
    const std::vector<uint8_t> run = {0x80, 0x00, 0x00, 0x0F, 0xFF, 0x20};  // 4111 bytes
    std::vector<uint8_t> out(4111, 0);
    out[4110] = 0xA5;
    EXPECT_EQ(DecodeLz(run.data(), run.size(), out.data(), 4110, 0), kDecodeError);
    EXPECT_EQ(out[4110], 0xA5);
    EXPECT_EQ(DecodeLz(run.data(), run.size(), out.data(), 4111, 0), 4111);

    const std::vector<uint8_t> copy = {0x40, 0x00, 'x', 0x00, 0x1F};  // 19 bytes
    std::vector<uint8_t> small(19, 0);
    small[18] = 0xA5;
    EXPECT_EQ(DecodeLz(copy.data(), copy.size(), small.data(), 18, 0), kDecodeError);
    EXPECT_EQ(small[18], 0xA5);

    const std::vector<uint8_t> lit = {0x00, 0x00, 'a', 'b'};
    EXPECT_EQ(Lz(lit, 1), "<error>");
    EXPECT_EQ(Lz(lit, 2), "ab");
}

TEST(Lz, output_never_passes_a_full_block) {
    // Nine maximal runs would be 36999 bytes.
    std::vector<uint8_t> p = {0xFF, 0x80};
    for (int i = 0; i < 9; ++i) p.insert(p.end(), {0x00, 0x0F, 0xFF, 0x01});
    EXPECT_EQ(Lz(p), "<error>");
    p.resize(2 + 7 * 4);
    p[0] = 0xFE;
    p[1] = 0x00;
    EXPECT_EQ(Lz(p), std::string(7 * 4111, '\x01'));
}

namespace {

enum class Ending { Literal, Match, Run };

// A valid token stream that decodes to exactly `target` bytes and ends with
// the given kind of token: random literals, back-references (short offsets
// often, to reach the overlapping moves) and runs.
std::vector<uint8_t> TokenStream(uint32_t seed, size_t target, Ending ending) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> payload = {0, 0};
    size_t flagAt = 0;
    int tokens = 0;
    size_t out = 0;
    auto token = [&](bool copy, std::initializer_list<uint8_t> bytes) {
        if (tokens == 16) {
            flagAt = payload.size();
            payload.insert(payload.end(), {0, 0});
            tokens = 0;
        }
        if (copy) payload[flagAt + tokens / 8] |= static_cast<uint8_t>(0x80 >> (tokens % 8));
        ++tokens;
        payload.insert(payload.end(), bytes);
    };
    auto match = [&](size_t offset, size_t length) {
        token(true,
              {static_cast<uint8_t>(offset >> 4), static_cast<uint8_t>(((offset & 15) << 4) | (length - 3))});
        out += length;
    };
    // Leaves room for the last token.
    const size_t last = ending == Ending::Literal ? 1 : ending == Ending::Match ? 18 : 16;
    while (out < target - last) {
        const size_t room = target - last - out;
        const unsigned kind = rng() % 10;
        if (kind < 5 || out == 0 || room < 3) {
            token(false, {static_cast<uint8_t>(rng())});
            ++out;
        } else if (kind < 9) {
            const size_t reach = std::min<size_t>(out, 4095);
            const size_t offset = rng() % 2 ? 1 + rng() % std::min<size_t>(reach, 24) : 1 + rng() % reach;
            match(offset, 3 + rng() % std::min<size_t>(16, room - 2));
        } else {
            const size_t count = 16 + rng() % std::min<size_t>(4096, room >= 16 ? room - 15 : 1);
            if (count > room) continue;
            token(true, {0, static_cast<uint8_t>((count - 16) >> 8), static_cast<uint8_t>(count - 16),
                         static_cast<uint8_t>(rng())});
            out += count;
        }
    }
    const size_t rest = target - out;
    if (ending == Ending::Match) {
        match(1 + rng() % std::min<size_t>(out, 20), rest);
    } else if (ending == Ending::Run) {
        token(true, {0, static_cast<uint8_t>((rest - 16) >> 8), static_cast<uint8_t>(rest - 16), 0x5A});
    } else {
        for (size_t i = 0; i < rest; ++i) token(false, {static_cast<uint8_t>(rng())});
    }
    return payload;
}

// Decodes with the decoder and with the model into buffers of `capacity`
// bytes and a guard behind; both must agree on everything.
void ExpectAsModel(const std::vector<uint8_t>& payload, size_t capacity, const std::string& what) {
    constexpr size_t kGuard = 32;
    std::vector<uint8_t> got(capacity + kGuard, 0xA5);
    std::vector<uint8_t> want(capacity + kGuard, 0xA5);
    DecodeFault fault, modelFault;
    const int32_t n = DecodeLz(payload.data(), payload.size(), got.data(), capacity, 0, &fault);
    const int32_t m = lzmodel::Decode(payload.data(), payload.size(), want.data(), capacity, 0, &modelFault);
    ASSERT_EQ(n, m) << what;
    if (n < 0) {
        EXPECT_EQ(fault.reason, modelFault.reason) << what;
        EXPECT_EQ(fault.at, modelFault.at) << what;
    } else {
        EXPECT_TRUE(std::equal(got.begin(), got.begin() + n, want.begin())) << what;
    }
    for (size_t i = capacity; i < got.size(); ++i) ASSERT_EQ(got[i], 0xA5) << what << ": byte " << i;
}

}  // namespace

TEST(Lz, wide_moves_decode_as_the_byte_by_byte_layout_up_to_the_last_byte) {
    // Whole blocks, and outputs around the fast loop's worst case (16
    // longest back-references and a 16-byte move: 304 bytes) where it hands
    // the end of the block to the exact loop.
    for (const size_t target :
         {size_t{32768}, size_t{4000}, size_t{305}, size_t{304}, size_t{303}, size_t{290}}) {
        for (const Ending ending : {Ending::Literal, Ending::Match, Ending::Run}) {
            for (uint32_t seed = 1; seed <= 6; ++seed) {
                const std::vector<uint8_t> payload = TokenStream(seed, target, ending);
                const std::string what = "target " + std::to_string(target) + ", ending " +
                                         std::to_string(int(ending)) + ", seed " + std::to_string(seed);
                // Exactly the room it needs, a little more, and one byte short.
                ExpectAsModel(payload, target, what);
                ExpectAsModel(payload, target + 7, what + " (room + 7)");
                ExpectAsModel(payload, target - 1, what + " (room - 1)");
            }
        }
    }
}

TEST(Lz, every_short_offset_and_length_overlaps_as_a_byte_copy_would) {
    // Offsets around the 8- and 16-byte moves, every length: enough tokens
    // of each that the fast loop decodes them.
    for (size_t offset = 1; offset <= 33; ++offset) {
        for (size_t length = 3; length <= 18; ++length) {
            std::vector<uint8_t> payload;
            for (int word = 0; word < 8; ++word) {
                // Eight literals, then eight copies.
                payload.insert(payload.end(), {0x00, 0xFF});
                for (int i = 0; i < 8; ++i) payload.push_back(static_cast<uint8_t>('a' + word * 8 + i));
                for (int i = 0; i < 8; ++i) {
                    payload.push_back(static_cast<uint8_t>(offset >> 4));
                    payload.push_back(static_cast<uint8_t>(((offset & 15) << 4) | (length - 3)));
                }
            }
            ExpectAsModel(payload, format::block::kDecodedSize,
                          "offset " + std::to_string(offset) + ", length " + std::to_string(length));
        }
    }
}

TEST(Lz, damage_inside_the_fast_loop_is_named_as_the_exact_loop_names_it) {
    std::vector<uint8_t> payload = TokenStream(9, 32768, Ending::Literal);
    // Every second byte turned: back-references before the start, runs past
    // the block, tokens and flag words cut at the end.
    for (size_t at = 2; at < 400; at += 2) {
        std::vector<uint8_t> damaged = payload;
        damaged[at] ^= 0xF0;
        damaged.resize(damaged.size() - at % 5);
        ExpectAsModel(damaged, format::block::kDecodedSize, "byte " + std::to_string(at));
    }
}

TEST(Lz, longest_back_references_fill_the_block_to_its_last_byte) {
    // Words of sixteen 18-byte back-references, the widest moves, end the
    // output exactly at the capacity, with 0 to 20 literals behind them: the
    // last words start at every room around the fast loop's worst case.
    for (size_t literals = 0; literals <= 20; ++literals) {
        std::vector<uint8_t> payload = {0x00, 0x00};
        for (int i = 0; i < 16; ++i) payload.push_back(static_cast<uint8_t>('A' + i));
        size_t size = 16;
        for (int word = 0; word < 3; ++word) {
            payload.insert(payload.end(), {0xFF, 0xFF});
            for (int i = 0; i < 16; ++i) payload.insert(payload.end(), {0x01, 0x0F});  // offset 16, length 18
            size += 16 * 18;
        }
        if (literals > 0) payload.insert(payload.end(), {0x00, 0x00});
        for (size_t i = 0; i < literals; ++i) payload.push_back(static_cast<uint8_t>(i));
        size += literals;
        ExpectAsModel(payload, size, std::to_string(literals) + " literals behind");
        // Input that goes on behind the last byte (a run that can't fit, and
        // more) must not tempt the wide moves past the capacity either.
        payload.insert(payload.end(), {0x80, 0x00, 0x00, 0x0F, 0xFF, 0x00});
        payload.resize(payload.size() + 80, 0);
        ExpectAsModel(payload, size, std::to_string(literals) + " literals and a run behind");
    }
}
