#include <gtest/gtest.h>

#include <vector>

#include "setup/setup_record.h"

namespace setup {
namespace {

TEST(SetupRecord, defaults_encode_to_the_documented_bytes) {
    const SetupRecordBytes b = EncodeSetupRecord(SetupRecord());
    const std::vector<uint8_t> expected = {
        20, 0, 0x20, 0x03, 0, 0, 0x58, 0x02, 0, 0, 32, 0, 0, 0, 0, 0, 0, 0,  // marker .. refreshRate
        0,  0, 0,    0,    1, 0, 0,    0,    1, 1, 0,  0, 1, 1, 0, 1,        // antialiasing .. speakerSetup
        0,  0, 0,    0,    1,                                                // language, wBuffer
        0,  0, 0x80, 0x3F, 0, 0, 0x80, 0x3F, 2, 0, 0,  0, 2, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(b.begin(), b.end()), expected);
}

TEST(SetupRecord, every_byte_of_a_stored_value_survives_decode_and_encode) {
    // Distinct bytes everywhere, so a swapped or shifted field shows up.
    SetupRecordBytes stored{};
    for (size_t i = 0; i < stored.size(); ++i) stored[i] = static_cast<uint8_t>(0xA0 + i);
    // A signalling NaN in the first float must come back bit for bit.
    const uint8_t nan[] = {0x01, 0x00, 0x80, 0x7F};
    std::copy(nan, nan + 4, stored.begin() + offsets::kExtraFloat1);
    SetupRecord r;
    ASSERT_TRUE(DecodeSetupRecord(stored.data(), stored.size(), &r));
    EXPECT_EQ(EncodeSetupRecord(r), stored);
    EXPECT_EQ(r.adapter, static_cast<int8_t>(0xA1));
    EXPECT_EQ(r.width, 0xA5A4A3A2u) << "little-endian";
}

TEST(SetupRecord, only_a_value_of_exactly_63_bytes_is_taken) {
    std::vector<uint8_t> bytes(64, 0x11);
    SetupRecord r;
    r.width = 1234;
    EXPECT_FALSE(DecodeSetupRecord(bytes.data(), 62, &r));
    EXPECT_FALSE(DecodeSetupRecord(bytes.data(), 64, &r));
    EXPECT_FALSE(DecodeSetupRecord(nullptr, 63, &r));
    EXPECT_FALSE(DecodeSetupRecord(bytes.data(), 63, nullptr));
    EXPECT_EQ(r.width, 1234u) << "a refused value leaves the record alone";
    // Whatever the marker holds, a 63-byte value is taken whole.
    EXPECT_TRUE(DecodeSetupRecord(bytes.data(), 63, &r));
    EXPECT_EQ(r.marker, 0x11);
}

}  // namespace
}  // namespace setup
