// A display provider that answers from a script: adapters with their modes,
// multisample support, capabilities and failures, plus the video memory.
#ifndef TESTS_SETUP_SCRIPTED_PROVIDER_H
#define TESTS_SETUP_SCRIPTED_PROVIDER_H

#include <cstdint>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "setup/display_provider.h"

namespace setup::testing {

struct ScriptedAdapter {
    std::string description = "Scripted adapter";
    uint64_t driverVersion = 0;
    bool identifierFails = false;
    std::vector<DisplayMode> modes;
    std::set<uint32_t> failingModes;  // mode indexes whose enumeration fails
    // (format, windowed, samples) that pass the multisample check
    std::set<std::tuple<uint32_t, bool, uint32_t>> multisample;
    bool capsFail = false;
    uint32_t rasterCaps = kRasterCapsWBuffer;
    // When set, reported instead of modes.size() (extra modes fail to enumerate).
    bool overrideModeCount = false;
    uint32_t modeCount = 0;
};

class ScriptedProvider : public DisplayProvider {
public:
    std::vector<ScriptedAdapter> adapters;
    bool createFails = false;
    bool videoMemoryFails = false;
    uint64_t videoMemoryBytes = 64ull << 20;
    int createCalls = 0;
    uint64_t enumCalls = 0;

    bool CreateGraphics() override {
        ++createCalls;
        graphics_ = !createFails;
        return graphics_;
    }
    bool HasGraphics() const override { return graphics_; }
    uint32_t AdapterCount() override { return graphics_ ? static_cast<uint32_t>(adapters.size()) : 0; }

    bool GetAdapterIdentifier(uint32_t adapter, AdapterIdentifier* out) override {
        const ScriptedAdapter* a = Find(adapter);
        if (a == nullptr || a->identifierFails) return false;
        out->description = a->description;
        out->driverVersion = a->driverVersion;
        return true;
    }

    uint32_t AdapterModeCount(uint32_t adapter) override {
        const ScriptedAdapter* a = Find(adapter);
        if (a == nullptr) return 0;
        return a->overrideModeCount ? a->modeCount : static_cast<uint32_t>(a->modes.size());
    }

    bool EnumAdapterMode(uint32_t adapter, uint32_t mode, DisplayMode* out) override {
        ++enumCalls;
        const ScriptedAdapter* a = Find(adapter);
        if (a == nullptr || mode >= a->modes.size() || a->failingModes.count(mode) != 0) return false;
        *out = a->modes[mode];
        return true;
    }

    bool CheckMultiSample(uint32_t adapter, uint32_t format, bool windowed, uint32_t samples) override {
        const ScriptedAdapter* a = Find(adapter);
        return a != nullptr && a->multisample.count(std::make_tuple(format, windowed, samples)) != 0;
    }

    bool GetRasterCaps(uint32_t adapter, uint32_t* rasterCaps) override {
        const ScriptedAdapter* a = Find(adapter);
        if (a == nullptr || a->capsFail) return false;
        *rasterCaps = a->rasterCaps;
        return true;
    }

    bool GetLocalVideoMemory(uint64_t* totalBytes) override {
        if (videoMemoryFails) return false;
        *totalBytes = videoMemoryBytes;
        return true;
    }

private:
    const ScriptedAdapter* Find(uint32_t adapter) const {
        if (!graphics_ || adapter >= adapters.size()) return nullptr;
        return &adapters[adapter];
    }

    bool graphics_ = false;
};

// A mode in one of the formats the lists know.
inline DisplayMode Mode(uint32_t width, uint32_t height, uint32_t format, uint32_t rate = 60) {
    return DisplayMode{width, height, rate, format};
}

// The texts of a list, in display order.
template <typename List>
std::vector<std::string> Texts(const List& list) {
    std::vector<std::string> texts;
    for (const auto& item : list.items) texts.push_back(item.text);
    return texts;
}

}  // namespace setup::testing

#endif  // TESTS_SETUP_SCRIPTED_PROVIDER_H
