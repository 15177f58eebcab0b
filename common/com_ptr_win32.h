// The one owner of a COM interface pointer, shared by the installer, the
// settings tool and the tests: holds one reference and releases it when it
// is replaced or goes out of scope.
//
// Get an interface with `CoCreateInstance(..., ptr.Receive())` or
// `other->QueryInterface(iid, ptr.Receive())`, or take over a reference that
// a creation function returned with `ptr.Reset(created)`.
#ifndef COMMON_COM_PTR_WIN32_H
#define COMMON_COM_PTR_WIN32_H

namespace korvo {

template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    explicit ComPtr(Interface* p) : ptr_(p) {}
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    Interface* Get() const { return ptr_; }
    Interface* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }

    // Releases the held reference and takes over `p` (one reference).
    void Reset(Interface* p = nullptr) {
        Interface* old = ptr_;
        ptr_ = p;
        if (old != nullptr) old->Release();
    }

    // Releases the held reference, then hands out the slot for a call that
    // stores a new one.
    void** Receive() {
        Reset();
        return reinterpret_cast<void**>(&ptr_);
    }

private:
    Interface* ptr_ = nullptr;
};

}  // namespace korvo

#endif  // COMMON_COM_PTR_WIN32_H
