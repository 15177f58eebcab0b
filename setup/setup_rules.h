// The plain rules of the settings dialog: which record field each check box
// shows, which controls are enabled, and the Autodetect presets by video
// memory.
#ifndef SETUP_SETUP_RULES_H
#define SETUP_SETUP_RULES_H

#include "setup/setup_record.h"

namespace setup {

// The dialog's check boxes (dialog ids in comments).
enum class CheckBox {
    Fullscreen,           // 1004
    TripleBuffering,      // 1005
    Sound,                // 1006, ticked when soundDisabled is 0
    LowDetailTextures,    // 1007
    VerticalSync,         // 1008
    TruecolorTextures,    // 1010
    TruecolorLightmaps,   // 1011
    CompressedTextures,   // 1012
    SuspendWhenInactive,  // 1013
    HardwareTnL,          // 1014
    DisableEax,           // 1017
    SoftwareMixingOnly,   // 1022
    ClipAlways,           // 1028
    MultipassRendering,   // 1029
    WBuffer,              // 1031
};

// Whether `box` shows ticked for `record`.
bool CheckBoxValue(const SetupRecord& record, CheckBox box);

// Stores a tick state of `box` into its field (Sound inverted into soundDisabled).
void SetCheckBoxValue(SetupRecord& record, CheckBox box, bool ticked);

// The controls that can be greyed; every other control is always enabled.
struct EnableState {
    bool verticalSync = true;        // 1008: only full screen
    bool refreshList = true;         // 1003: only full screen
    bool bitDepthList = true;        // 1009: only full screen
    bool speakerList = true;         // 1001: only with sound
    bool softwareMixingOnly = true;  // 1022: only with sound
    bool disableEax = true;          // 1017: only with sound
    bool wBuffer = true;             // 1031: only when the adapter supports a W-buffer
};

EnableState ComputeEnables(const SetupRecord& record, bool wBufferSupported);

// The video memory below which ticking truecolor textures asks first.
inline constexpr int kTruecolorTexturesMinVramMB = 64;

// Autodetect presets: the fixed values (full screen, hardware T&L, no
// multipass, default refresh, sound on, ...) and by `vramMB`
//   <= 8: 640x480x16, low detail, compressed, 16-bit lightmaps
//   <= 16: 800x600x16, low detail, compressed
//   <= 32: 800x600x32, compressed
//   <= 64: 1024x768x32, compressed
//   more:  1280x1024x32, truecolor textures, uncompressed.
// Leaves adapter, tripleBuffering, disableEax, speakerSetup, language,
// wBuffer and the extra values as they are.
void ApplyAutodetect(SetupRecord& record, int vramMB);

}  // namespace setup

#endif  // SETUP_SETUP_RULES_H
