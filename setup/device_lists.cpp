#include "setup/device_lists.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <utility>

namespace setup {
namespace {

// The depth bit of a mode's format, 0 for formats the lists ignore.
uint32_t DepthFlag(uint32_t format) {
    switch (format) {
        case d3dformat::kA8R8G8B8:
        case d3dformat::kX8R8G8B8:
            return resflag::k32Bit;
        case d3dformat::kR5G6B5:
        case d3dformat::kX1R5G5B5:
            return resflag::k16Bit;
        default:
            return 0;
    }
}

uint32_t DepthOfFlag(uint32_t flag) {
    return flag == resflag::k32Bit ? 32 : 16;
}

// The largest video memory class; keeps the doubling below from overflowing.
constexpr int kMaxVramClassMB = 1 << 30;

}  // namespace

int VideoMemoryClassMB(uint64_t totalBytes) {
    const uint64_t megabytes = totalBytes >> 20;
    int size = 1;
    while (static_cast<uint64_t>(size) < megabytes && size < kMaxVramClassMB) size <<= 1;
    return size;
}

std::string DriverVersionText(uint64_t v) {
    char text[64];
    std::snprintf(text, sizeof text, "Driver version: %d.%02d.%02d.%04d",
                  static_cast<int>((v >> 48) & 0xFFFF), static_cast<int>((v >> 32) & 0xFFFF),
                  static_cast<int>((v >> 16) & 0xFFFF), static_cast<int>(v & 0xFFFF));
    return text;
}

std::string ResolutionText(uint32_t width, uint32_t height) {
    char text[32];
    std::snprintf(text, sizeof text, "%4d x %4d", static_cast<int>(width), static_cast<int>(height));
    return text;
}

DeviceLists::DeviceLists(DisplayProvider& provider, ListTexts texts)
    : provider_(provider), texts_(std::move(texts)) {}

void DeviceLists::ClearAdapterInformation() {
    resolutions_.Clear();
    refreshRates_.Clear();
    bitDepths_.Clear();
    antialiasing_.Clear();
    table_.clear();
    driverVersionText_.clear();
    videoMemoryText_.clear();
}

bool DeviceLists::BuildAdapterList(SetupRecord& record) {
    adapters_.Clear();
    ClearAdapterInformation();
    if (!provider_.CreateGraphics()) return false;

    const uint32_t count = provider_.AdapterCount();
    if (record.adapter < 0 || static_cast<uint32_t>(record.adapter) >= count) record.adapter = 0;

    const uint32_t listed = std::min(count, kMaxAdapters);
    for (uint32_t i = 0; i < listed; ++i) {
        AdapterIdentifier id;
        if (!provider_.GetAdapterIdentifier(i, &id)) continue;
        const int index = adapters_.Add(id.description, static_cast<int32_t>(i));
        if (i == static_cast<uint32_t>(record.adapter)) adapters_.selected = index;
    }
    // When the record's adapter could not be listed, the first listed one is
    // shown, and it is also the one the record names from now on.
    if (adapters_.selected < 0 && !adapters_.items.empty()) {
        adapters_.selected = 0;
        record.adapter = static_cast<int8_t>(adapters_.items[0].value);
    }

    BuildAdapterInformation(record);
    RefreshWBufferSupport(record.adapter);
    return true;
}

void DeviceLists::BuildAdapterInformation(SetupRecord& record) {
    ClearAdapterInformation();
    if (!provider_.HasGraphics()) return;
    const uint32_t adapter = record.adapter < 0 ? 0 : static_cast<uint32_t>(record.adapter);

    AdapterIdentifier id;
    const bool haveId = provider_.GetAdapterIdentifier(adapter, &id);
    QueryVideoMemory();
    if (haveId) driverVersionText_ = DriverVersionText(id.driverVersion);
    char text[32];
    std::snprintf(text, sizeof text, "VRAM: %iMB", vramMB_);
    videoMemoryText_ = text;

    BuildResolutionTable(adapter);
    for (size_t i = 0; i < table_.size(); ++i) {
        resolutions_.Add(ResolutionText(table_[i].width, table_[i].height), static_cast<int32_t>(i));
    }
    std::stable_sort(resolutions_.items.begin(), resolutions_.items.end(),
                     [](const ListItem& a, const ListItem& b) { return a.text < b.text; });
    for (size_t i = 0; i < resolutions_.items.size(); ++i) {
        const ResolutionEntry& e = table_[static_cast<size_t>(resolutions_.items[i].value)];
        if (e.width == record.width && e.height == record.height) resolutions_.selected = static_cast<int>(i);
    }

    BuildModeLists(record, kCurrentResolution);
}

void DeviceLists::BuildResolutionTable(uint32_t adapter) {
    table_.clear();
    const uint32_t modes = std::min(provider_.AdapterModeCount(adapter), kMaxModesPerAdapter);
    for (uint32_t m = 0; m < modes; ++m) {
        DisplayMode mode;
        if (!provider_.EnumAdapterMode(adapter, m, &mode)) continue;
        const uint32_t depth = DepthFlag(mode.format);
        if (depth == 0) continue;

        uint32_t flags = depth;
        if (provider_.CheckMultiSample(adapter, mode.format, true, 2)) flags |= resflag::kWindowed2x;
        if (provider_.CheckMultiSample(adapter, mode.format, true, 4)) flags |= resflag::kWindowed4x;
        if (provider_.CheckMultiSample(adapter, mode.format, false, 2)) flags |= resflag::kFullscreen2x;
        if (provider_.CheckMultiSample(adapter, mode.format, false, 4)) flags |= resflag::kFullscreen4x;

        const int found = FindEntry(mode.width, mode.height);
        if (found >= 0) {
            table_[static_cast<size_t>(found)].flags |= flags;
        } else if (table_.size() < kMaxResolutions) {
            // A full table takes no new resolutions, but later modes of the
            // listed ones still add their depths and multisample levels.
            table_.push_back(ResolutionEntry{mode.width, mode.height, flags});
        }
    }
}

int DeviceLists::FindEntry(uint32_t width, uint32_t height) const {
    for (size_t i = 0; i < table_.size(); ++i) {
        if (table_[i].width == width && table_[i].height == height) return static_cast<int>(i);
    }
    return -1;
}

void DeviceLists::BuildModeLists(SetupRecord& record, int entry) {
    BuildDepthAndAntialiasing(record, entry);
    BuildRefreshList(record);
}

void DeviceLists::BuildRefreshList(SetupRecord& record) {
    refreshRates_.Clear();
    refreshRates_.Add(texts_.defaultRefresh, 0);
    if (provider_.HasGraphics() && record.adapter >= 0) {
        const uint32_t adapter = static_cast<uint32_t>(record.adapter);
        const uint32_t modes = std::min(provider_.AdapterModeCount(adapter), kMaxModesPerAdapter);
        for (uint32_t m = 0; m < modes; ++m) {
            DisplayMode mode;
            if (!provider_.EnumAdapterMode(adapter, m, &mode)) continue;
            const uint32_t depth = DepthFlag(mode.format);
            if (depth == 0 || DepthOfFlag(depth) != record.bitDepth) continue;
            if (mode.width != record.width || mode.height != record.height) continue;
            if (mode.refreshRate == 0 || mode.refreshRate > INT32_MAX) continue;

            // Two formats of one depth often share their rates; list each rate once.
            const int32_t rate = static_cast<int32_t>(mode.refreshRate);
            const bool listed = std::any_of(refreshRates_.items.begin(), refreshRates_.items.end(),
                                            [rate](const ListItem& item) { return item.value == rate; });
            if (listed) continue;
            char text[32];
            std::snprintf(text, sizeof text, "%d Hz", static_cast<int>(rate));
            const int index = refreshRates_.Add(text, rate);
            if (mode.refreshRate == record.refreshRate) refreshRates_.selected = index;
        }
    }
    if (refreshRates_.selected < 0) {
        refreshRates_.selected = 0;
        record.refreshRate = 0;
    }
}

void DeviceLists::BuildDepthAndAntialiasing(SetupRecord& record, int entry) {
    bitDepths_.Clear();
    antialiasing_.Clear();
    antialiasing_.Add(texts_.antialiasingOff, 0);

    const int found = entry == kCurrentResolution ? FindEntry(record.width, record.height) : entry;
    if (found < 0 || static_cast<size_t>(found) >= table_.size()) return;
    const uint32_t flags = table_[static_cast<size_t>(found)].flags;

    const bool has16 = (flags & resflag::k16Bit) != 0;
    const bool has32 = (flags & resflag::k32Bit) != 0;
    if (has16) {
        bitDepths_.Add("16", 16);
        if (!has32 && record.bitDepth == 32) record.bitDepth = 16;
    }
    if (has32) {
        bitDepths_.Add("32", 32);
        if (!has16 && record.bitDepth == 16) record.bitDepth = 32;
    }
    // A stored depth the list cannot show (24, say) is kept until the player
    // picks one, like a stored antialiasing level the mode lacks.
    if (!bitDepths_.items.empty()) bitDepths_.selected = has16 && has32 && record.bitDepth != 16 ? 1 : 0;

    // The levels offered are those of the screen mode the game will use.
    const bool fullscreen = record.fullscreen != 0;
    const uint32_t two = fullscreen ? resflag::kFullscreen2x : resflag::kWindowed2x;
    const uint32_t four = fullscreen ? resflag::kFullscreen4x : resflag::kWindowed4x;
    // " OFF" is preselected when antialiasing is off or the mode lacks one of
    // the two levels; an offered level equal to the setting replaces it. A
    // setting that is no level at all (neither 0, 2 nor 4) on a mode offering
    // both leaves the list without a selection. The setting itself is kept
    // until the player picks an item.
    if (record.antialiasing == 0 || (flags & two) == 0 || (flags & four) == 0) antialiasing_.selected = 0;
    if (flags & two) {
        const int index = antialiasing_.Add(" 2x", 2);
        if (record.antialiasing == 2) antialiasing_.selected = index;
    }
    if (flags & four) {
        const int index = antialiasing_.Add(" 4x", 4);
        if (record.antialiasing == 4) antialiasing_.selected = index;
    }
}

int DeviceLists::QueryVideoMemory() {
    uint64_t bytes = 0;
    vramMB_ = provider_.GetLocalVideoMemory(&bytes) ? VideoMemoryClassMB(bytes) : 0;
    return vramMB_;
}

bool DeviceLists::RefreshWBufferSupport(int adapter) {
    uint32_t caps = 0;
    const bool known = provider_.HasGraphics() && adapter >= 0 &&
                       provider_.GetRasterCaps(static_cast<uint32_t>(adapter), &caps);
    wBufferSupported_ = !known || (caps & kRasterCapsWBuffer) != 0;
    return wBufferSupported_;
}

bool DeviceLists::ChooseAdapter(SetupRecord& record, int index) {
    const ListItem* item = adapters_.At(index);
    if (item == nullptr) return false;
    adapters_.selected = index;
    record.adapter = static_cast<int8_t>(item->value);
    BuildAdapterInformation(record);
    RefreshWBufferSupport(record.adapter);
    return true;
}

bool DeviceLists::ChooseResolution(SetupRecord& record, int index) {
    const ListItem* item = resolutions_.At(index);
    if (item == nullptr) return false;
    const ResolutionEntry& entry = table_[static_cast<size_t>(item->value)];
    resolutions_.selected = index;
    record.width = entry.width;
    record.height = entry.height;
    BuildModeLists(record, item->value);
    return true;
}

bool DeviceLists::ChooseRefreshRate(SetupRecord& record, int index) {
    const ListItem* item = refreshRates_.At(index);
    if (item == nullptr) return false;
    refreshRates_.selected = index;
    // The whole rate is kept: the field is 32 bits wide and rates above 255 Hz exist.
    record.refreshRate = static_cast<uint32_t>(item->value);
    return true;
}

bool DeviceLists::ChooseBitDepth(SetupRecord& record, int index) {
    const ListItem* item = bitDepths_.At(index);
    if (item == nullptr) return false;
    bitDepths_.selected = index;
    record.bitDepth = static_cast<uint32_t>(item->value);
    // The rates on offer depend on the depth.
    BuildRefreshList(record);
    return true;
}

bool DeviceLists::ChooseAntialiasing(SetupRecord& record, int index) {
    const ListItem* item = antialiasing_.At(index);
    if (item == nullptr) return false;
    antialiasing_.selected = index;
    record.antialiasing = static_cast<uint8_t>(item->value);
    return true;
}

}  // namespace setup
