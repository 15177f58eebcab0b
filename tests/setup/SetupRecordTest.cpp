#include <gtest/gtest.h>

#include <vector>

#include "setup/setup_record.h"

namespace setup {
namespace {

uint32_t U32At(const SetupRecordBytes& b, size_t offset) {
    return b[offset] | b[offset + 1] << 8 | b[offset + 2] << 16 | static_cast<uint32_t>(b[offset + 3]) << 24;
}

TEST(SetupRecord, defaults_encode_to_the_documented_bytes) {
    const SetupRecordBytes b = EncodeSetupRecord(SetupRecord());
    const std::vector<uint8_t> head = {20, 0, 0x20, 0x03, 0, 0, 0x58, 0x02, 0, 0, 32, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(b.begin(), b.begin() + 18), head);
    // antialiasing .. speakerSetup, one byte each
    const std::vector<uint8_t> flags = {0, 0, 0, 0, 1, 0, 0, 0, 1, 1, 0, 0, 1, 1, 0, 1};
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 18, b.begin() + 34), flags);
    EXPECT_EQ(U32At(b, 34), 0u);
    EXPECT_EQ(b[38], 1);
    const std::vector<uint8_t> tail = {0, 0, 0x80, 0x3F, 0, 0, 0x80, 0x3F, 2, 0, 0, 0,
                                       2, 0, 0,    0,    3, 0, 0,    0,    2, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 39, b.end()), tail);
}

TEST(SetupRecord, every_byte_of_a_stored_value_survives_decode_and_encode) {
    // Distinct bytes everywhere, so a swapped or shifted field shows up.
    SetupRecordBytes stored{};
    for (size_t i = 0; i < stored.size(); ++i) stored[i] = static_cast<uint8_t>(0xA0 + i);
    // A signalling NaN in the first float must come back bit for bit.
    stored[39] = 0x01;
    stored[40] = 0x00;
    stored[41] = 0x80;
    stored[42] = 0x7F;
    SetupRecord record;
    ASSERT_TRUE(DecodeSetupRecord(stored.data(), stored.size(), &record));
    EXPECT_EQ(EncodeSetupRecord(record), stored);
}

TEST(SetupRecord, fields_decode_little_endian_at_their_offsets) {
    SetupRecordBytes stored = EncodeSetupRecord(SetupRecord());
    stored[1] = 0xFF;  // adapter -1
    stored[2] = 0x00;
    stored[3] = 0x04;  // width 1024
    stored[14] = 85;   // refreshRate
    stored[34] = 2;    // language Deutch
    stored[59] = 7;
    stored[62] = 0x01;  // extraInt4 high byte
    SetupRecord r;
    ASSERT_TRUE(DecodeSetupRecord(stored.data(), stored.size(), &r));
    EXPECT_EQ(r.adapter, -1);
    EXPECT_EQ(r.width, 1024u);
    EXPECT_EQ(r.refreshRate, 85u);
    EXPECT_EQ(r.language, static_cast<uint32_t>(kLanguageDeutch));
    EXPECT_EQ(r.extraInt4, 0x01000007u);
}

TEST(SetupRecord, only_a_value_of_exactly_63_bytes_is_taken) {
    std::vector<uint8_t> bytes(64, 0x11);
    SetupRecord r;
    r.width = 1234;
    EXPECT_FALSE(DecodeSetupRecord(bytes.data(), 62, &r));
    EXPECT_FALSE(DecodeSetupRecord(bytes.data(), 64, &r));
    EXPECT_FALSE(DecodeSetupRecord(bytes.data(), 0, &r));
    EXPECT_FALSE(DecodeSetupRecord(nullptr, 63, &r));
    EXPECT_FALSE(DecodeSetupRecord(bytes.data(), 63, nullptr));
    EXPECT_EQ(r.width, 1234u) << "a refused value leaves the record alone";
    // Whatever the marker holds, a 63-byte value is taken whole.
    EXPECT_TRUE(DecodeSetupRecord(bytes.data(), 63, &r));
    EXPECT_EQ(r.marker, 0x11);
}

TEST(SetupRecord, records_differ_exactly_when_their_bytes_do) {
    SetupRecord a, b;
    EXPECT_FALSE(RecordsDiffer(a, b));
    b.extraInt3 = 4;
    EXPECT_TRUE(RecordsDiffer(a, b));
}

}  // namespace
}  // namespace setup
