#include "setup/direct3d_provider_win32.h"

#include <ddraw.h>

#include <cstring>

namespace setup {

namespace {

using Direct3DCreate8Function = IDirect3D8*(WINAPI*)(UINT sdkVersion);

}  // namespace

bool Direct3DProvider::CreateGraphics() {
    // The old object goes first: only one graphics object lives at a time.
    graphics_.Reset();
    HMODULE library = library_.Load("d3d8.dll");
    if (library == nullptr) return false;
    FARPROC entry = GetProcAddress(library, "Direct3DCreate8");
    if (entry == nullptr) return false;
    auto create = reinterpret_cast<Direct3DCreate8Function>(reinterpret_cast<void*>(entry));
    graphics_.Reset(create(kDirect3DSdkVersion));
    return static_cast<bool>(graphics_);
}

bool Direct3DProvider::HasGraphics() const {
    return static_cast<bool>(graphics_);
}

uint32_t Direct3DProvider::AdapterCount() {
    return graphics_ ? graphics_->GetAdapterCount() : 0;
}

bool Direct3DProvider::GetAdapterIdentifier(uint32_t adapter, AdapterIdentifier* out) {
    if (!graphics_ || out == nullptr) return false;
    D3DADAPTER_IDENTIFIER8 id;
    std::memset(&id, 0, sizeof id);
    if (FAILED(graphics_->GetAdapterIdentifier(adapter, 0, &id))) return false;
    // The driver fills a fixed array; it need not end in a zero.
    size_t length = 0;
    while (length < sizeof id.Description && id.Description[length] != '\0') ++length;
    out->description.assign(id.Description, length);
    out->driverVersion = static_cast<uint64_t>(id.DriverVersion.QuadPart);
    return true;
}

uint32_t Direct3DProvider::AdapterModeCount(uint32_t adapter) {
    return graphics_ ? graphics_->GetAdapterModeCount(adapter) : 0;
}

bool Direct3DProvider::EnumAdapterMode(uint32_t adapter, uint32_t mode, DisplayMode* out) {
    if (!graphics_ || out == nullptr) return false;
    D3DDISPLAYMODE m;
    std::memset(&m, 0, sizeof m);
    if (FAILED(graphics_->EnumAdapterModes(adapter, mode, &m))) return false;
    out->width = m.Width;
    out->height = m.Height;
    out->refreshRate = m.RefreshRate;
    out->format = static_cast<uint32_t>(m.Format);
    return true;
}

bool Direct3DProvider::CheckMultiSample(uint32_t adapter, uint32_t format, bool windowed, uint32_t samples) {
    if (!graphics_ || (samples != 2 && samples != 4)) return false;
    D3DMULTISAMPLE_TYPE type = samples == 2 ? D3DMULTISAMPLE_2_SAMPLES : D3DMULTISAMPLE_4_SAMPLES;
    return SUCCEEDED(graphics_->CheckDeviceMultiSampleType(
        adapter, D3DDEVTYPE_HAL, static_cast<D3DFORMAT>(format), windowed ? TRUE : FALSE, type));
}

bool Direct3DProvider::GetRasterCaps(uint32_t adapter, uint32_t* rasterCaps) {
    if (!graphics_ || rasterCaps == nullptr) return false;
    D3DCAPS8 caps;
    std::memset(&caps, 0, sizeof caps);
    if (FAILED(graphics_->GetDeviceCaps(adapter, D3DDEVTYPE_HAL, &caps))) return false;
    *rasterCaps = caps.RasterCaps;
    return true;
}

bool Direct3DProvider::GetLocalVideoMemory(uint64_t* totalBytes) {
    if (totalBytes == nullptr) return false;
    korvo::ComPtr<IDirectDraw7> draw;
    if (FAILED(DirectDrawCreateEx(nullptr, draw.Receive(), IID_IDirectDraw7, nullptr)) || !draw) return false;
    DDSCAPS2 caps;
    std::memset(&caps, 0, sizeof caps);
    caps.dwCaps = DDSCAPS_LOCALVIDMEM;
    DWORD total = 0, free = 0;
    if (FAILED(draw->GetAvailableVidMem(&caps, &total, &free))) return false;
    *totalBytes = total;
    return true;
}

}  // namespace setup
