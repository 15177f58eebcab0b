#include "setup/setup_record.h"

namespace setup {
namespace {

void PutU8(SetupRecordBytes& out, size_t offset, uint8_t value) {
    out[offset] = value;
}

void PutU32(SetupRecordBytes& out, size_t offset, uint32_t value) {
    out[offset] = static_cast<uint8_t>(value);
    out[offset + 1] = static_cast<uint8_t>(value >> 8);
    out[offset + 2] = static_cast<uint8_t>(value >> 16);
    out[offset + 3] = static_cast<uint8_t>(value >> 24);
}

uint32_t GetU32(const uint8_t* in, size_t offset) {
    return static_cast<uint32_t>(in[offset]) | static_cast<uint32_t>(in[offset + 1]) << 8 |
           static_cast<uint32_t>(in[offset + 2]) << 16 | static_cast<uint32_t>(in[offset + 3]) << 24;
}

}  // namespace

SetupRecordBytes EncodeSetupRecord(const SetupRecord& r) {
    namespace o = offsets;
    SetupRecordBytes out{};
    PutU8(out, o::kMarker, r.marker);
    PutU8(out, o::kAdapter, static_cast<uint8_t>(r.adapter));
    PutU32(out, o::kWidth, r.width);
    PutU32(out, o::kHeight, r.height);
    PutU32(out, o::kBitDepth, r.bitDepth);
    PutU32(out, o::kRefreshRate, r.refreshRate);
    PutU8(out, o::kAntialiasing, r.antialiasing);
    PutU8(out, o::kMultipassRendering, r.multipassRendering);
    PutU8(out, o::kClipAlways, r.clipAlways);
    PutU8(out, o::kFullscreen, r.fullscreen);
    PutU8(out, o::kHardwareTnL, r.hardwareTnL);
    PutU8(out, o::kVerticalSync, r.verticalSync);
    PutU8(out, o::kLowDetailTextures, r.lowDetailTextures);
    PutU8(out, o::kTripleBuffering, r.tripleBuffering);
    PutU8(out, o::kTruecolorLightmaps, r.truecolorLightmaps);
    PutU8(out, o::kCompressedTextures, r.compressedTextures);
    PutU8(out, o::kTruecolorTextures, r.truecolorTextures);
    PutU8(out, o::kSoundDisabled, r.soundDisabled);
    PutU8(out, o::kDisableEax, r.disableEax);
    PutU8(out, o::kSuspendWhenInactive, r.suspendWhenInactive);
    PutU8(out, o::kSoftwareMixingOnly, r.softwareMixingOnly);
    PutU8(out, o::kSpeakerSetup, r.speakerSetup);
    PutU32(out, o::kLanguage, r.language);
    PutU8(out, o::kWBuffer, r.wBuffer);
    PutU32(out, o::kExtraFloat1, r.extraFloat1);
    PutU32(out, o::kExtraFloat2, r.extraFloat2);
    PutU32(out, o::kExtraInt1, r.extraInt1);
    PutU32(out, o::kExtraInt2, r.extraInt2);
    PutU32(out, o::kExtraInt3, r.extraInt3);
    PutU32(out, o::kExtraInt4, r.extraInt4);
    return out;
}

bool DecodeSetupRecord(const uint8_t* in, size_t size, SetupRecord* record) {
    namespace o = offsets;
    if (in == nullptr || record == nullptr || size != kSetupRecordSize) return false;
    SetupRecord r;
    r.marker = in[o::kMarker];
    r.adapter = static_cast<int8_t>(in[o::kAdapter]);
    r.width = GetU32(in, o::kWidth);
    r.height = GetU32(in, o::kHeight);
    r.bitDepth = GetU32(in, o::kBitDepth);
    r.refreshRate = GetU32(in, o::kRefreshRate);
    r.antialiasing = in[o::kAntialiasing];
    r.multipassRendering = in[o::kMultipassRendering];
    r.clipAlways = in[o::kClipAlways];
    r.fullscreen = in[o::kFullscreen];
    r.hardwareTnL = in[o::kHardwareTnL];
    r.verticalSync = in[o::kVerticalSync];
    r.lowDetailTextures = in[o::kLowDetailTextures];
    r.tripleBuffering = in[o::kTripleBuffering];
    r.truecolorLightmaps = in[o::kTruecolorLightmaps];
    r.compressedTextures = in[o::kCompressedTextures];
    r.truecolorTextures = in[o::kTruecolorTextures];
    r.soundDisabled = in[o::kSoundDisabled];
    r.disableEax = in[o::kDisableEax];
    r.suspendWhenInactive = in[o::kSuspendWhenInactive];
    r.softwareMixingOnly = in[o::kSoftwareMixingOnly];
    r.speakerSetup = in[o::kSpeakerSetup];
    r.language = GetU32(in, o::kLanguage);
    r.wBuffer = in[o::kWBuffer];
    r.extraFloat1 = GetU32(in, o::kExtraFloat1);
    r.extraFloat2 = GetU32(in, o::kExtraFloat2);
    r.extraInt1 = GetU32(in, o::kExtraInt1);
    r.extraInt2 = GetU32(in, o::kExtraInt2);
    r.extraInt3 = GetU32(in, o::kExtraInt3);
    r.extraInt4 = GetU32(in, o::kExtraInt4);
    *record = r;
    return true;
}

bool RecordsDiffer(const SetupRecord& a, const SetupRecord& b) {
    return EncodeSetupRecord(a) != EncodeSetupRecord(b);
}

}  // namespace setup
