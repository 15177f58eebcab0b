// Archive objects: registration (dtaCreate), the directory (LoadDirectory),
// reference counting and destruction, and the lookup of names in the
// registered archives.
#include "dta/archive.h"

#include <cstring>
#include <new>
#include <string>

#include "dta/dta.h"
#include "dta/archive_layout.h"
#include "dta/format.h"

using dta::detail::ArchiveRecord;
using dta::detail::DirEntry;
using dta::detail::LibraryState;
using dta::detail::LockedState;
using dta::detail::OpenSlot;
namespace format = dta::format;
namespace io = dta::io;

// The library's access to the private parts of Dta_read.
struct DtaReadAccess {
    static Dta_read* New() { return new (std::nothrow) Dta_read(); }
    static void Delete(Dta_read* object) { delete object; }
    static io::FileHandle& File(Dta_read& object) { return object.file_; }
};

namespace {

ArchiveRecord* FindRecord(LibraryState& state, io::FileHandle file) {
    for (size_t i = state.archives.size(); i-- > 0;) {
        if (state.archives[i].file == file) return &state.archives[i];
    }
    return nullptr;
}

// Closes the archive's file, unregisters it and frees every slot reading
// from it. Call with the lock held.
void Unregister(LibraryState& state, io::FileHandle file) {
    for (size_t i = state.archives.size(); i-- > 0;) {
        if (state.archives[i].file == file) {
            state.archives.erase(state.archives.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    for (OpenSlot& slot : state.slots) {
        if (!slot.IsFree() && slot.file == file && (slot.flags & dta::detail::kSlotOwnsFile) == 0)
            dta::detail::FreeSlot(slot);
    }
    io::Close(file);
    --state.objects;
}

}  // namespace

namespace dta::detail {

int32_t OpenInArchives(LibraryState& state, const char* name) {
    WantedName wanted;
    if (!MakeWantedName(name, &wanted)) return -1;
    for (const ArchiveRecord& record : state.archives) {
        const format::Key key = format::MakeKey(record.key1, record.key2);
        size_t index = 0;
        EntryHead head;
        const Lookup result = FindEntry(record.file, record.directory, key, wanted, &index, &head, nullptr);
        if (result == Lookup::NotFound) continue;
        if (result == Lookup::ReadFailed) return -1;
        OpenSlot slot;
        if (!OpenEntrySlot(record.file, record.key1, record.key2, record.directory[index], head, &slot,
                           nullptr))
            return -1;
        return InsertSlot(state, std::move(slot));
    }
    return -1;
}

}  // namespace dta::detail

void* Dta_read::Destroy(unsigned int flags) {
    LockedState state;
    if (state && file_ != io::kInvalidFile) {
        Unregister(*state, file_);
        file_ = io::kInvalidFile;
    }
    if (flags & 1) DtaReadAccess::Delete(this);
    return this;
}

void Dta_read::AddRef() {
    LockedState state;
    if (!state) return;
    ++refCount_;
    ++state->references;
}

uint32_t Dta_read::Release() {
    LockedState state;
    if (!state) return refCount_;
    // An object that holds no reference is not counted down past zero.
    if (refCount_ == 0) return 0;
    --refCount_;
    --state->references;
    if (refCount_ != 0) return refCount_;
    Destroy(1);
    return 0;
}

bool Dta_read::LoadDirectory(uint32_t key1, uint32_t key2) {
    LockedState state;
    if (!state) return false;
    const format::Key key = format::MakeKey(key1, key2);
    dta::detail::ArchiveHeader header;
    if (!dta::detail::ReadArchiveHeader(file_, key, &header, nullptr)) return false;
    ArchiveRecord* record = FindRecord(*state, file_);
    if (record == nullptr) return false;
    record->key1 = key1;
    record->key2 = key2;
    record->directory.clear();
    record->directory.shrink_to_fit();
    return dta::detail::ReadDirectory(file_, key, header, &record->directory, nullptr);
}

extern "C" Dta_read* DTA_API dtaCreate(const char* path) {
    if (path == nullptr) return nullptr;
    const size_t length = std::strlen(path);
    if (length == 0 || length > dta::detail::kMaxArchivePath) return nullptr;
    LockedState state;
    if (!state) return nullptr;
    Dta_read* object = DtaReadAccess::New();
    if (object == nullptr) return nullptr;
    const io::FileHandle file = io::OpenRead(path, true);
    if (file == io::kInvalidFile || !dta::detail::ReadMagic(file, nullptr)) {
        if (file != io::kInvalidFile) io::Close(file);
        DtaReadAccess::Delete(object);
        return nullptr;
    }
    try {
        ArchiveRecord record;
        record.file = file;
        record.path.assign(path, length);
        state->archives.push_back(std::move(record));
    } catch (const std::bad_alloc&) {
        io::Close(file);
        DtaReadAccess::Delete(object);
        return nullptr;
    }
    DtaReadAccess::File(*object) = file;
    object->AddRef();
    ++state->objects;
    return object;
}
