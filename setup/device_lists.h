// The hardware lists of the settings dialog: adapters, driver version and
// video memory texts, resolutions, refresh rates, bit depths and antialiasing
// levels. Each builder asks the DisplayProvider, fills its lists with
// (text, value) items plus the index to select, and may adjust a few fields of
// the settings record so that they name something the hardware offers. The
// dialog only displays the lists.
#ifndef SETUP_DEVICE_LISTS_H
#define SETUP_DEVICE_LISTS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "setup/display_provider.h"
#include "setup/item_list.h"
#include "setup/setup_record.h"

namespace setup {

// Capability bits of a resolution entry: set when some mode of the resolution
// has the format or passes the multisample check.
namespace resflag {
inline constexpr uint32_t k16Bit = 1;
inline constexpr uint32_t k32Bit = 2;
inline constexpr uint32_t kWindowed2x = 4;
inline constexpr uint32_t kWindowed4x = 8;
inline constexpr uint32_t kFullscreen2x = 16;
inline constexpr uint32_t kFullscreen4x = 32;
}  // namespace resflag

struct ResolutionEntry {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t flags = 0;  // resflag bits
};

// The resolution table keeps the first 256 resolutions in first-seen order.
inline constexpr size_t kMaxResolutions = 256;
// The record stores the adapter as a signed byte, so only ordinals 0..127
// can be chosen; further adapters are not listed.
inline constexpr uint32_t kMaxAdapters = 128;
// Upper bound on the modes asked for per adapter, so a driver that reports an
// absurd count cannot stall the dialog.
inline constexpr uint32_t kMaxModesPerAdapter = 65536;

// Texts of the two fixed list items (string table entries with these
// built-in copies).
struct ListTexts {
    std::string defaultRefresh = "Default";
    std::string antialiasingOff = " OFF";
};

// Rounds a byte count, in whole megabytes (fraction dropped), up to the next
// power of two, starting at 1: 0 to 1 MB give 1, 3 give 4, 60 give 64, 65 give 128.
int VideoMemoryClassMB(uint64_t totalBytes);

// "Driver version: %d.%02d.%02d.%04d" with the four 16-bit parts, high to low.
std::string DriverVersionText(uint64_t driverVersion);

// "%4d x %4d": both numbers right-aligned, so the texts sort in numeric order.
std::string ResolutionText(uint32_t width, uint32_t height);

class DeviceLists {
public:
    explicit DeviceLists(DisplayProvider& provider, ListTexts texts = ListTexts());

    // Creates a fresh graphics object, resets a record adapter that is negative
    // or not below the adapter count to 0, lists the adapters whose identifier
    // can be read and selects the record's adapter (else the first item, whose
    // ordinal then becomes the record's adapter). Then builds the adapter
    // information and refreshes the W-buffer support. False, with every list
    // cleared, when no graphics object could be created.
    bool BuildAdapterList(SetupRecord& record);

    // For record.adapter: driver version and video memory texts (querying
    // the video memory again), the resolution table and list (selecting the
    // record's width and height, if offered), then the mode lists.
    void BuildAdapterInformation(SetupRecord& record);

    // The bit depth and antialiasing lists for one resolution table entry
    // (kCurrentResolution: the entry of the record's width and height),
    // followed by the refresh list, which depends on the bit depth they may
    // adjust. The depth list offers what the entry has, moving a record depth
    // it cannot show to the depth it selects; the antialiasing list offers the
    // levels of the record's screen mode and selects the record's level, else
    // " OFF" (the record keeps its level); a level that is none of 0, 2, 4 on
    // a mode offering both 2x and 4x selects nothing. An unknown entry leaves
    // the depth list empty and the antialiasing list at " OFF" alone, unselected.
    static constexpr int kCurrentResolution = -1;
    void BuildModeLists(SetupRecord& record, int entry);

    // The refresh list for the record's adapter, width, height and bit depth:
    // "Default" (0), then one "%d Hz" item per distinct rate other than 0. Selects the
    // record's rate, else "Default", which sets the record's rate to 0.
    void BuildRefreshList(SetupRecord& record);

    // The player's choices, by item index in the list. An index outside the
    // list changes nothing and returns false.
    //   adapter:      record.adapter; adapter information and W-buffer support rebuilt
    //   resolution:   record width and height; mode lists rebuilt for the entry
    //   refresh rate: record.refreshRate (the whole rate)
    //   bit depth:    record.bitDepth; refresh list rebuilt for the new depth
    //   antialiasing: record.antialiasing
    bool ChooseAdapter(SetupRecord& record, int index);
    bool ChooseResolution(SetupRecord& record, int index);
    bool ChooseRefreshRate(SetupRecord& record, int index);
    bool ChooseBitDepth(SetupRecord& record, int index);
    bool ChooseAntialiasing(SetupRecord& record, int index);

    // Asks the provider for the local video memory and keeps its class in
    // vramMB() (0 when the query fails). Returns the new vramMB().
    int QueryVideoMemory();

    // Asks the HAL capabilities of `adapter`; a failed query counts as
    // support. Returns the new wBufferSupported().
    bool RefreshWBufferSupport(int adapter);

    const ItemList& adapters() const { return adapters_; }
    const ItemList& resolutions() const { return resolutions_; }
    const ItemList& refreshRates() const { return refreshRates_; }
    const ItemList& bitDepths() const { return bitDepths_; }
    const ItemList& antialiasing() const { return antialiasing_; }
    // The item values of resolutions() index this table.
    const std::vector<ResolutionEntry>& resolutionTable() const { return table_; }
    const std::string& driverVersionText() const { return driverVersionText_; }
    const std::string& videoMemoryText() const { return videoMemoryText_; }
    int vramMB() const { return vramMB_; }
    bool wBufferSupported() const { return wBufferSupported_; }

private:
    void BuildResolutionTable(uint32_t adapter);
    void BuildDepthAndAntialiasing(SetupRecord& record, int entry);
    int FindEntry(uint32_t width, uint32_t height) const;
    void ClearAdapterInformation();

    DisplayProvider& provider_;
    ListTexts texts_;
    ItemList adapters_;
    ItemList resolutions_;
    ItemList refreshRates_;
    ItemList bitDepths_;
    ItemList antialiasing_;
    std::vector<ResolutionEntry> table_;
    std::string driverVersionText_;
    std::string videoMemoryText_;
    int vramMB_ = 0;
    bool wBufferSupported_ = true;
};

}  // namespace setup

#endif  // SETUP_DEVICE_LISTS_H
