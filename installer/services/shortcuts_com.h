// Owner of one COM interface pointer (Win32 build only).
//
// Holds one reference and releases it on every path. Get an interface with
// `CoCreateInstance(..., ptr.Receive())` or `other->QueryInterface(iid, ptr.Receive())`.
#ifndef INSTALLER_WIZARD_SHORTCUTS_COM_H
#define INSTALLER_WIZARD_SHORTCUTS_COM_H

#include <windows.h>

namespace installer {

template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    Interface* get() const { return ptr_; }
    Interface* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }

    // Releases the held reference, then hands out the slot for a call that
    // stores a new one.
    void** Receive() {
        Reset();
        return reinterpret_cast<void**>(&ptr_);
    }

    void Reset() {
        if (ptr_ != nullptr) {
            ptr_->Release();
            ptr_ = nullptr;
        }
    }

private:
    Interface* ptr_ = nullptr;
};

}  // namespace installer

#endif  // INSTALLER_WIZARD_SHORTCUTS_COM_H
