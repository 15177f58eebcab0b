// The one owner of a COM interface pointer: Release() when it is replaced or
// goes out of scope.
#ifndef SETUP_COM_PTR_WIN32_H
#define SETUP_COM_PTR_WIN32_H

namespace setup {

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    explicit ComPtr(T* p) : p_(p) {}
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    void reset(T* p = nullptr) {
        if (p_) p_->Release();
        p_ = p;
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For creation functions that fill a void**; releases the current object first.
    void** out() {
        reset();
        return reinterpret_cast<void**>(&p_);
    }

private:
    T* p_ = nullptr;
};

}  // namespace setup

#endif  // SETUP_COM_PTR_WIN32_H
