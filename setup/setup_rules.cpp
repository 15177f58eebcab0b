#include "setup/setup_rules.h"

namespace setup {
namespace {

// The record byte behind a check box (soundDisabled for Sound, inverted by
// the callers). Works for const and mutable records alike.
template <typename Record>
auto Field(Record& r, CheckBox box) -> decltype(&r.fullscreen) {
    switch (box) {
        case CheckBox::Fullscreen:
            return &r.fullscreen;
        case CheckBox::TripleBuffering:
            return &r.tripleBuffering;
        case CheckBox::Sound:
            return &r.soundDisabled;
        case CheckBox::LowDetailTextures:
            return &r.lowDetailTextures;
        case CheckBox::VerticalSync:
            return &r.verticalSync;
        case CheckBox::TruecolorTextures:
            return &r.truecolorTextures;
        case CheckBox::TruecolorLightmaps:
            return &r.truecolorLightmaps;
        case CheckBox::CompressedTextures:
            return &r.compressedTextures;
        case CheckBox::SuspendWhenInactive:
            return &r.suspendWhenInactive;
        case CheckBox::HardwareTnL:
            return &r.hardwareTnL;
        case CheckBox::DisableEax:
            return &r.disableEax;
        case CheckBox::SoftwareMixingOnly:
            return &r.softwareMixingOnly;
        case CheckBox::ClipAlways:
            return &r.clipAlways;
        case CheckBox::MultipassRendering:
            return &r.multipassRendering;
        case CheckBox::WBuffer:
            return &r.wBuffer;
    }
    return nullptr;
}

struct Preset {
    int maxVramMB;  // the row applies up to this size; the last row has no bound
    uint32_t width, height, bitDepth;
    uint8_t truecolorTextures, lowDetailTextures, compressedTextures, truecolorLightmaps;
};

constexpr Preset kPresets[] = {
    {8, 640, 480, 16, 0, 1, 1, 0},   {16, 800, 600, 16, 0, 1, 1, 1},  {32, 800, 600, 32, 0, 0, 1, 1},
    {64, 1024, 768, 32, 0, 0, 1, 1}, {0, 1280, 1024, 32, 1, 0, 0, 1},
};
constexpr size_t kPresetCount = sizeof(kPresets) / sizeof(kPresets[0]);

}  // namespace

bool CheckBoxValue(const SetupRecord& record, CheckBox box) {
    uint8_t value = *Field(record, box);
    return box == CheckBox::Sound ? value == 0 : value != 0;
}

void SetCheckBoxValue(SetupRecord& record, CheckBox box, bool ticked) {
    bool stored = box == CheckBox::Sound ? !ticked : ticked;
    *Field(record, box) = stored ? 1 : 0;
}

EnableState ComputeEnables(const SetupRecord& record, bool wBufferSupported) {
    EnableState e;
    const bool fullscreen = record.fullscreen != 0;
    const bool sound = record.soundDisabled == 0;
    e.verticalSync = fullscreen;
    e.refreshList = fullscreen;
    e.bitDepthList = fullscreen;
    e.speakerList = sound;
    e.softwareMixingOnly = sound;
    e.disableEax = sound;
    e.wBuffer = wBufferSupported;
    return e;
}

void ApplyAutodetect(SetupRecord& r, int vramMB) {
    r.multipassRendering = 0;
    r.suspendWhenInactive = 1;
    r.clipAlways = 0;
    r.antialiasing = 0;
    r.fullscreen = 1;
    r.hardwareTnL = 1;
    r.verticalSync = 0;
    r.refreshRate = 0;
    r.soundDisabled = 0;
    r.softwareMixingOnly = 0;

    const Preset* preset = &kPresets[kPresetCount - 1];
    for (size_t i = 0; i + 1 < kPresetCount; ++i) {
        if (vramMB <= kPresets[i].maxVramMB) {
            preset = &kPresets[i];
            break;
        }
    }
    r.width = preset->width;
    r.height = preset->height;
    r.bitDepth = preset->bitDepth;
    r.truecolorTextures = preset->truecolorTextures;
    r.lowDetailTextures = preset->lowDetailTextures;
    r.compressedTextures = preset->compressedTextures;
    r.truecolorLightmaps = preset->truecolorLightmaps;
}

}  // namespace setup
