// The display provider of the Windows build: the real Direct3D 8 object for
// adapters, modes, multisampling and capabilities, and DirectDraw 7 for the
// local video memory of the primary display driver. d3d8.dll is loaded when
// the first graphics object is asked for, so a system without it (or without
// its Direct3DCreate8) gets no graphics object rather than a loader error.
#ifndef SETUP_DIRECT3D_PROVIDER_WIN32_H
#define SETUP_DIRECT3D_PROVIDER_WIN32_H

#include <windows.h>

#include <d3d8.h>

#include "common/com_ptr_win32.h"
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
    // Frees the library when the provider goes; declared before the graphics
    // object so that the object is released while its code is still loaded.
    class Library {
    public:
        Library() = default;
        ~Library() {
            if (module_ != nullptr) FreeLibrary(module_);
        }
        Library(const Library&) = delete;
        Library& operator=(const Library&) = delete;
        // Loads the library on the first call; null when it cannot be loaded.
        HMODULE Load(const char* name) {
            if (module_ == nullptr) module_ = LoadLibraryA(name);
            return module_;
        }

    private:
        HMODULE module_ = nullptr;
    };

    Library library_;
    korvo::ComPtr<IDirect3D8> graphics_;
};

}  // namespace setup

#endif  // SETUP_DIRECT3D_PROVIDER_WIN32_H
