// The settings record that setup.exe stores and the game reads: 63 bytes,
// packed, little-endian, kept whole as one REG_BINARY registry value.
//
//   0  marker (20)        1  adapter (int8)       2  width        6  height
//   10 bitDepth           14 refreshRate          18 antialiasing 19 multipassRendering
//   20 clipAlways         21 fullscreen           22 hardwareTnL  23 verticalSync
//   24 lowDetailTextures  25 tripleBuffering      26 truecolorLightmaps
//   27 compressedTextures 28 truecolorTextures    29 soundDisabled 30 disableEax
//   31 suspendWhenInactive 32 softwareMixingOnly  33 speakerSetup  34 language (uint32)
//   38 wBuffer            39 extraFloat1 (float32) 43 extraFloat2 (float32)
//   47 extraInt1  51 extraInt2  55 extraInt3  59 extraInt4            63 end
//
// Fields without a width above are uint8, the others uint32 unless marked.
// The record is encoded and decoded field by field through the offsets below;
// the in-memory struct has no fixed layout.
#ifndef SETUP_SETUP_RECORD_H
#define SETUP_SETUP_RECORD_H

#include <array>
#include <cstddef>
#include <cstdint>

namespace setup {

inline constexpr size_t kSetupRecordSize = 63;
using SetupRecordBytes = std::array<uint8_t, kSetupRecordSize>;

// Where the record lives: HKEY_LOCAL_MACHINE\<key>, value <name>.
inline constexpr const char kSetupRegistryKey[] = "Software\\Ambergate Studio\\Korvo";
inline constexpr const char kSetupRegistryValue[] = "VX7R_setup";

inline constexpr uint8_t kSetupMarker = 20;

namespace offsets {
inline constexpr size_t kMarker = 0;
inline constexpr size_t kAdapter = 1;
inline constexpr size_t kWidth = 2;
inline constexpr size_t kHeight = 6;
inline constexpr size_t kBitDepth = 10;
inline constexpr size_t kRefreshRate = 14;
inline constexpr size_t kAntialiasing = 18;
inline constexpr size_t kMultipassRendering = 19;
inline constexpr size_t kClipAlways = 20;
inline constexpr size_t kFullscreen = 21;
inline constexpr size_t kHardwareTnL = 22;
inline constexpr size_t kVerticalSync = 23;
inline constexpr size_t kLowDetailTextures = 24;
inline constexpr size_t kTripleBuffering = 25;
inline constexpr size_t kTruecolorLightmaps = 26;
inline constexpr size_t kCompressedTextures = 27;
inline constexpr size_t kTruecolorTextures = 28;
inline constexpr size_t kSoundDisabled = 29;
inline constexpr size_t kDisableEax = 30;
inline constexpr size_t kSuspendWhenInactive = 31;
inline constexpr size_t kSoftwareMixingOnly = 32;
inline constexpr size_t kSpeakerSetup = 33;
inline constexpr size_t kLanguage = 34;
inline constexpr size_t kWBuffer = 38;
inline constexpr size_t kExtraFloat1 = 39;
inline constexpr size_t kExtraFloat2 = 43;
inline constexpr size_t kExtraInt1 = 47;
inline constexpr size_t kExtraInt2 = 51;
inline constexpr size_t kExtraInt3 = 55;
inline constexpr size_t kExtraInt4 = 59;
inline constexpr size_t kEnd = 63;
}  // namespace offsets

static_assert(offsets::kEnd == kSetupRecordSize, "the last field ends the record");

// Speaker setups, in the order of the speaker list.
enum SpeakerSetup : uint8_t {
    kSpeakersHeadphones = 0,
    kSpeakersStereo = 1,
    kSpeakersQuad = 2,
    kSpeakersSurround51 = 3,
};

// Languages as stored (the list shows them in the order English, Deutch, Cesky).
enum Language : uint32_t {
    kLanguageEnglish = 0,
    kLanguageCesky = 1,
    kLanguageDeutch = 2,
};

// The settings, with their defaults. The two float fields are held as their
// raw IEEE-754 bits so that a loaded value is written back bit for bit (a trip
// through an x87 register would quieten a signalling NaN).
struct SetupRecord {
    uint8_t marker = kSetupMarker;
    int8_t adapter = 0;
    uint32_t width = 800;
    uint32_t height = 600;
    uint32_t bitDepth = 32;
    uint32_t refreshRate = 0;  // 0 = the display's default
    uint8_t antialiasing = 0;  // multisample count: 0, 2 or 4
    uint8_t multipassRendering = 0;
    uint8_t clipAlways = 0;
    uint8_t fullscreen = 0;
    uint8_t hardwareTnL = 1;
    uint8_t verticalSync = 0;
    uint8_t lowDetailTextures = 0;
    uint8_t tripleBuffering = 0;
    uint8_t truecolorLightmaps = 1;
    uint8_t compressedTextures = 1;
    uint8_t truecolorTextures = 0;
    uint8_t soundDisabled = 0;  // the inverse of the Sound check box
    uint8_t disableEax = 1;
    uint8_t suspendWhenInactive = 1;
    uint8_t softwareMixingOnly = 0;
    uint8_t speakerSetup = kSpeakersStereo;
    uint32_t language = kLanguageEnglish;
    uint8_t wBuffer = 1;
    // Game values without a control in this tool; never changed here.
    uint32_t extraFloat1 = 0x3F800000u;  // 1.0f
    uint32_t extraFloat2 = 0x3F800000u;  // 1.0f
    uint32_t extraInt1 = 2;
    uint32_t extraInt2 = 2;
    uint32_t extraInt3 = 3;
    uint32_t extraInt4 = 2;
};

// The 63 stored bytes of `record`.
SetupRecordBytes EncodeSetupRecord(const SetupRecord& record);

// Reads a stored value. Only a value of exactly kSetupRecordSize bytes is
// valid (whatever its marker holds); then `*record` receives all of it and the
// result is true. Otherwise (null data, any other size) `*record` is left
// untouched and the result is false.
bool DecodeSetupRecord(const uint8_t* data, size_t size, SetupRecord* record);

// True when the two records encode to different bytes.
bool RecordsDiffer(const SetupRecord& a, const SetupRecord& b);

}  // namespace setup

#endif  // SETUP_SETUP_RECORD_H
