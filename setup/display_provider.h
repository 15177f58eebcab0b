// The settings tool's view of the display hardware: the handful of Direct3D 8
// and DirectDraw 7 queries that the device lists are built from. The Windows
// build answers them with the real interfaces (one graphics object at a time,
// released when the provider is destroyed); tests answer them from a script.
#ifndef SETUP_DISPLAY_PROVIDER_H
#define SETUP_DISPLAY_PROVIDER_H

#include <cstdint>
#include <string>

namespace setup {

// Direct3D surface formats (D3DFORMAT values) that the lists understand;
// modes of any other format are ignored.
namespace d3dformat {
inline constexpr uint32_t kA8R8G8B8 = 21;
inline constexpr uint32_t kX8R8G8B8 = 22;
inline constexpr uint32_t kR5G6B5 = 23;
inline constexpr uint32_t kX1R5G5B5 = 24;
}  // namespace d3dformat

// D3DPRASTERCAPS_WBUFFER: bit 18 of the HAL device's RasterCaps.
inline constexpr uint32_t kRasterCapsWBuffer = 1u << 18;

// The SDK version the graphics object is created for.
inline constexpr uint32_t kDirect3DSdkVersion = 120;

struct AdapterIdentifier {
    std::string description;     // D3DADAPTER_IDENTIFIER8::Description
    uint64_t driverVersion = 0;  // D3DADAPTER_IDENTIFIER8::DriverVersion
};

struct DisplayMode {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t refreshRate = 0;  // 0: the driver does not say
    uint32_t format = 0;       // a D3DFORMAT value
};

class DisplayProvider {
public:
    virtual ~DisplayProvider() = default;

    // Creates a new graphics object (Direct3DCreate8 with kDirect3DSdkVersion),
    // releasing the previous one. False when none could be created; the
    // adapter queries below then fail.
    virtual bool CreateGraphics() = 0;

    // True while a graphics object exists.
    virtual bool HasGraphics() const = 0;

    // Number of adapters (IDirect3D8::GetAdapterCount); 0 without a graphics object.
    virtual uint32_t AdapterCount() = 0;

    // IDirect3D8::GetAdapterIdentifier(adapter, 0). False on failure; `*out`
    // is then unspecified. `out` must not be null.
    virtual bool GetAdapterIdentifier(uint32_t adapter, AdapterIdentifier* out) = 0;

    // IDirect3D8::GetAdapterModeCount(adapter); 0 on failure.
    virtual uint32_t AdapterModeCount(uint32_t adapter) = 0;

    // IDirect3D8::EnumAdapterModes(adapter, mode). False on failure.
    virtual bool EnumAdapterMode(uint32_t adapter, uint32_t mode, DisplayMode* out) = 0;

    // IDirect3D8::CheckDeviceMultiSampleType(adapter, D3DDEVTYPE_HAL, format,
    // windowed, samples) with samples 2 or 4; true when the result is not negative.
    virtual bool CheckMultiSample(uint32_t adapter, uint32_t format, bool windowed, uint32_t samples) = 0;

    // IDirect3D8::GetDeviceCaps(adapter, D3DDEVTYPE_HAL): RasterCaps into
    // `*rasterCaps`. False when the query fails.
    virtual bool GetRasterCaps(uint32_t adapter, uint32_t* rasterCaps) = 0;

    // Total local video memory of the primary display driver in bytes
    // (DirectDrawCreateEx + IDirectDraw7::GetAvailableVidMem with
    // DDSCAPS_LOCALVIDMEM). Independent of the graphics object. False when
    // either call fails.
    virtual bool GetLocalVideoMemory(uint64_t* totalBytes) = 0;
};

}  // namespace setup

#endif  // SETUP_DISPLAY_PROVIDER_H
