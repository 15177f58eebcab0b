// The display provider of the Windows build: the real Direct3D 8 object for
// adapters, modes, multisampling and capabilities, and DirectDraw 7 for the
// local video memory of the primary display driver.
#ifndef SETUP_DIRECT3D_PROVIDER_WIN32_H
#define SETUP_DIRECT3D_PROVIDER_WIN32_H

#include <d3d8.h>

#include "setup/com_ptr_win32.h"
#include "setup/display_provider.h"

namespace setup {

class Direct3DProvider final : public DisplayProvider {
public:
    Direct3DProvider() = default;
    // Releases the current graphics object.
    ~Direct3DProvider() override = default;

    bool CreateGraphics() override;
    bool HasGraphics() const override;
    uint32_t AdapterCount() override;
    bool GetAdapterIdentifier(uint32_t adapter, AdapterIdentifier* out) override;
    uint32_t AdapterModeCount(uint32_t adapter) override;
    bool EnumAdapterMode(uint32_t adapter, uint32_t mode, DisplayMode* out) override;
    bool CheckMultiSample(uint32_t adapter, uint32_t format, bool windowed, uint32_t samples) override;
    bool GetRasterCaps(uint32_t adapter, uint32_t* rasterCaps) override;
    // Creates and releases its own DirectDraw object on each call.
    bool GetLocalVideoMemory(uint64_t* totalBytes) override;

private:
    ComPtr<IDirect3D8> graphics_;
};

}  // namespace setup

#endif  // SETUP_DIRECT3D_PROVIDER_WIN32_H
