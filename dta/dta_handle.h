// Close-on-scope owners for what the archive library hands out: a file handle
// from dtaOpen or dtaOpenWrite, and a reference to an archive object from
// dtaCreate. Programs that call the library's functions use these so that
// every path closes and releases exactly once.
#ifndef DTA_DTA_HANDLE_H
#define DTA_DTA_HANDLE_H

#include <stdint.h>

#include "dta/dta.h"

namespace dta {

// Owns a handle (or -1); closes it when the owner goes away.
class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(int32_t handle) : handle_(handle) {}
    ~ScopedHandle() { Close(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Detach()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) Reset(other.Detach());
        return *this;
    }

    int32_t Get() const { return handle_; }
    bool Valid() const { return handle_ >= 0; }

    // Closes the handle now; returns dtaClose's result (true when none was held).
    bool Close() {
        const int32_t handle = Detach();
        return handle < 0 || dtaClose(handle) != 0;
    }
    // Closes the held handle and takes `handle` instead.
    void Reset(int32_t handle = -1) {
        Close();
        handle_ = handle;
    }
    // Gives the handle up without closing it.
    int32_t Detach() {
        const int32_t handle = handle_;
        handle_ = -1;
        return handle;
    }

private:
    int32_t handle_ = -1;
};

// Owns one reference to an archive object (or none); releases it when the
// owner goes away.
class ArchiveRef {
public:
    ArchiveRef() = default;
    explicit ArchiveRef(Dta_read* archive) : archive_(archive) {}
    ~ArchiveRef() { Reset(); }
    ArchiveRef(const ArchiveRef&) = delete;
    ArchiveRef& operator=(const ArchiveRef&) = delete;
    ArchiveRef(ArchiveRef&& other) noexcept : archive_(other.Detach()) {}
    ArchiveRef& operator=(ArchiveRef&& other) noexcept {
        if (this != &other) Reset(other.Detach());
        return *this;
    }

    Dta_read* Get() const { return archive_; }
    Dta_read* operator->() const { return archive_; }
    explicit operator bool() const { return archive_ != nullptr; }

    // Releases the held reference and takes `archive` instead.
    void Reset(Dta_read* archive = nullptr) {
        Dta_read* old = archive_;
        archive_ = archive;
        if (old != nullptr) old->Release();
    }
    // Gives the reference up without releasing it.
    Dta_read* Detach() {
        Dta_read* archive = archive_;
        archive_ = nullptr;
        return archive;
    }

private:
    Dta_read* archive_ = nullptr;
};

}  // namespace dta

#endif  // DTA_DTA_HANDLE_H
