// The dta archive library: read named files from registered .dta archives or
// from disk, write plain files with safe replacement, and a few services.
//
// Every function is thread-safe: one recursive library lock serialises them
// (dtaDelete, dtaSetDtaFirstForce and dtaDumpMemoryLeaks excepted). Failures
// are reported as -1, 0 (false) or null, never by exceptions.
//
// The Windows build exports these functions from PWsetup.exe under their
// __stdcall-decorated names (_dtaOpen@8 and so on). Truth values cross the
// interface as 32-bit words: 0 is false, anything else true; results are
// exactly 0 or 1, so callers that read only the low byte agree.
#ifndef DTA_DTA_H
#define DTA_DTA_H

#include <stdint.h>

#if defined(_WIN32)
#define DTA_API __stdcall
#else
#define DTA_API
#endif

// The interface of an archive object, called by slot through its table of
// operations: slot 0 Destroy, 1 AddRef, 2 Release, 3 LoadDirectory. The layout
// matches a 32-bit MSVC-built caller: no destructor slots of its own, member
// calls in the thiscall convention.
class Dta_readInterface {
public:
    // Destroys the object; frees its memory when bit 0 of `flags` is set.
    // Returns the object's address. Callers normally use Release instead.
    virtual void* Destroy(unsigned int flags) = 0;
    // Adds one reference.
    virtual void AddRef() = 0;
    // Drops one reference and returns the new count; the last one destroys
    // the object, unregisters its archive and frees every handle into it.
    virtual uint32_t Release() = 0;
    // Reads the archive header and directory, unscrambled with the 8-byte key
    // formed by the two key words (little-endian, key1 first). Returns true
    // once loaded; on false the directory is empty. A second call replaces
    // keys and directory.
    virtual bool LoadDirectory(uint32_t key1, uint32_t key2) = 0;

protected:
    ~Dta_readInterface() = default;
};

// A registered archive, reference-counted: created by dtaCreate with one
// reference. Its fields are the library's; callers use the four operations.
class Dta_read final : public Dta_readInterface {
public:
    void* Destroy(unsigned int flags) override;
    void AddRef() override;
    uint32_t Release() override;
    bool LoadDirectory(uint32_t key1, uint32_t key2) override;

    Dta_read(const Dta_read&) = delete;
    Dta_read& operator=(const Dta_read&) = delete;

private:
    friend struct DtaReadAccess;  // the library's registration code
    Dta_read() = default;
    ~Dta_read() = default;

    uint32_t refCount_ = 0;
    intptr_t file_ = -1;  // the archive file; also identifies its record
};

extern "C" {

// Registers the archive at `path` (opened for shared reading) after checking
// its magic. Returns an object holding one reference, or null when the file
// can't be opened or is no archive. Call LoadDirectory before opening names.
Dta_read* DTA_API dtaCreate(const char* path);

// Opens `name` for reading: as a plain file first and then in the registered
// archives (in registration order), or the archives first when
// `archiveFirst` is nonzero or dtaSetDtaFirstForce was called. Returns a
// handle (the lowest free one) or -1.
int32_t DTA_API dtaOpen(const char* name, int32_t archiveFirst);

// Reads up to `count` bytes at the handle's position into `buffer`; returns
// the bytes delivered (fewer at the end, 0 there) or -1. Writer handles: -1.
int32_t DTA_API dtaRead(int32_t handle, void* buffer, uint32_t count);

// Moves the position: origin 0 from the start, 1 from the current position,
// 2 from the end. Returns the new position, or -1 leaving it unchanged.
// Read handles: no file access; positions outside [0, size] are refused.
int32_t DTA_API dtaSeek(int32_t handle, int32_t offset, uint32_t origin);

// Closes a handle (completing a writer's file). True for a free slot; false
// for a handle out of range or when the system refuses to close the file.
int32_t DTA_API dtaClose(int32_t handle);

// Deletes the file at `path`; true when the system deleted it. Takes no lock.
int32_t DTA_API dtaDelete(const char* path);

// Opens `path` for writing; `flags`: 0x1 hidden attribute, 0x100 safe mode
// (write "<path>.tmp", replace the target at a successful close), 0x10000
// start empty (else keep contents), 0x100000 clear a read-only attribute and
// retry once. Safe mode starts "<path>.tmp" from a whole copy of the target,
// or empty when there is none, never from what a stale "<path>.tmp" held; an
// existing target that can't be copied whole refuses the open. Returns a
// handle or -1 (the target untouched).
int32_t DTA_API dtaOpenWrite(const char* path, uint32_t flags);

// Writes `count` bytes at the file pointer. Returns count or -1 (also for a
// handle not opened by dtaOpenWrite); in safe mode a failure, or a null
// buffer, abandons the write (the target stays as it was).
int32_t DTA_API dtaWrite(int32_t handle, const void* buffer, uint32_t count);

// Stores a FILETIME (low part, high part) in `fileTime`: the entry's time for
// an archive entry, else (or with `fromFile`) the last-write time of the
// handle's file. True on success.
int32_t DTA_API dtaGetTime(int32_t handle, uint32_t* fileTime, int32_t fromFile);

// Removes carriage returns (byte 13) from the first `length` bytes of `text`,
// except one in the last position; returns the new length.
uint32_t DTA_API dtaBin2Text(char* text, uint32_t length);

// From now on every dtaOpen searches the archives before the disk.
void DTA_API dtaSetDtaFirstForce(void);

// Turns the leak report at program exit on (nonzero) or off.
void DTA_API dtaDumpMemoryLeaks(int32_t enable);

}  // extern "C"

#endif  // DTA_DTA_H
