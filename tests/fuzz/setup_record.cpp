// Loads a stored settings value and runs the dialog model over it.
//
// Input: the stored value (the first 63 bytes, or the whole input when it is
// shorter), then display modes of 6 bytes each: width (2, LE), height (2, LE),
// format selector (1), refresh rate (1). The modes make up the only adapter;
// the selector's low bits pick its format and its high bits its multisample
// support, so odd hardware meets odd records.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "../setup/scripted_provider.h"
#include "setup/setup_model.h"

namespace {

using setup::CheckBox;
using setup::DisplayMode;
using setup::kSetupRecordSize;
using setup::SetupModel;
using setup::SetupRecord;
using setup::testing::ScriptedAdapter;
using setup::testing::ScriptedProvider;

constexpr size_t kModeBytes = 6;
constexpr size_t kMaxModes = 512;
constexpr size_t kMaxInput = kSetupRecordSize + kModeBytes * kMaxModes;

constexpr uint32_t kFormats[] = {setup::d3dformat::kA8R8G8B8, setup::d3dformat::kX8R8G8B8,
                                 setup::d3dformat::kR5G6B5, setup::d3dformat::kX1R5G5B5,
                                 20 /* R8G8B8, ignored */};

constexpr CheckBox kBoxes[] = {
    CheckBox::Fullscreen,         CheckBox::TripleBuffering,    CheckBox::Sound,
    CheckBox::LowDetailTextures,  CheckBox::VerticalSync,       CheckBox::TruecolorTextures,
    CheckBox::TruecolorLightmaps, CheckBox::CompressedTextures, CheckBox::SuspendWhenInactive,
    CheckBox::HardwareTnL,        CheckBox::DisableEax,         CheckBox::SoftwareMixingOnly,
    CheckBox::ClipAlways,         CheckBox::MultipassRendering, CheckBox::WBuffer,
};

void Check(bool condition) {
    if (!condition) std::abort();
}

ScriptedAdapter AdapterFrom(const uint8_t* data, size_t size) {
    ScriptedAdapter adapter;
    for (size_t at = 0; size - at >= kModeBytes; at += kModeBytes) {
        const uint8_t* m = data + at;
        const uint8_t selector = m[4];
        const uint32_t format = kFormats[(selector & 7) % (sizeof(kFormats) / sizeof(kFormats[0]))];
        adapter.modes.push_back(DisplayMode{static_cast<uint32_t>(m[0] | m[1] << 8),
                                            static_cast<uint32_t>(m[2] | m[3] << 8), m[5], format});
        if (selector & 0x10) adapter.multisample.insert({format, true, 2});
        if (selector & 0x20) adapter.multisample.insert({format, true, 4});
        if (selector & 0x40) adapter.multisample.insert({format, false, 2});
        if (selector & 0x80) adapter.multisample.insert({format, false, 4});
    }
    adapter.rasterCaps = size % 2 == 0 ? setup::kRasterCapsWBuffer : 0;
    return adapter;
}

// Selects every item of a list in turn, then one index past the end.
template <typename Select>
void VisitAll(int count, Select select) {
    for (int i = 0; i < count; ++i) Check(select(i));
    Check(!select(count));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kMaxInput) return 0;
    const size_t storedSize = size < kSetupRecordSize ? size : kSetupRecordSize;

    ScriptedProvider provider;
    provider.adapters = {AdapterFrom(data + storedSize, size - storedSize)};
    provider.videoMemoryBytes = static_cast<uint64_t>(size) << 20;
    SetupModel model(provider);
    const bool loaded = model.LoadStored(data, storedSize);
    Check(loaded == (storedSize == kSetupRecordSize));
    Check(model.Open());

    const auto& devices = model.devices();
    Check(devices.resolutions().items.size() <= setup::kMaxResolutions);
    Check(devices.refreshRates().selected >= 0);
    Check(!(model.record().hardwareTnL && model.record().multipassRendering));

    for (CheckBox box : kBoxes) {
        if (model.ClickCheckBox(box, !model.IsChecked(box)) == setup::Question::TruecolorTextures) {
            model.AnswerTruecolorQuestion(box == CheckBox::TruecolorTextures);
        }
        Check(!(model.record().hardwareTnL && model.record().multipassRendering));
    }
    VisitAll(static_cast<int>(devices.resolutions().items.size()),
             [&](int i) { return model.SelectResolution(i); });
    VisitAll(static_cast<int>(devices.bitDepths().items.size()),
             [&](int i) { return model.SelectBitDepth(i); });
    VisitAll(static_cast<int>(devices.refreshRates().items.size()),
             [&](int i) { return model.SelectRefreshRate(i); });
    VisitAll(static_cast<int>(devices.antialiasing().items.size()),
             [&](int i) { return model.SelectAntialiasing(i); });
    Check(model.Autodetect());

    // What is saved loads back unchanged; the game's extra values are never touched.
    const setup::SetupRecordBytes saved = model.Save();
    SetupRecord reloaded;
    Check(setup::DecodeSetupRecord(saved.data(), saved.size(), &reloaded));
    Check(setup::EncodeSetupRecord(reloaded) == saved);
    const setup::SetupRecordBytes baseline =
        loaded ? setup::SetupRecordBytes() : setup::EncodeSetupRecord(SetupRecord());
    for (size_t i = setup::offsets::kExtraFloat1; i < kSetupRecordSize; ++i) {
        Check(saved[i] == (loaded ? data[i] : baseline[i]));
    }
    model.ExitNeedsConfirmation(data, storedSize);
    return 0;
}
