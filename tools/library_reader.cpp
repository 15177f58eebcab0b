#include "tools/library_reader.h"

#include <algorithm>
#include <cstdio>

#include "dta/dta.h"
#include "dta/dta_handle.h"

namespace dta::tools {
namespace {

constexpr uint32_t kChunk = 1u << 16;

// The library looks on disk before (and, with archiveFirst, after) the
// archives; a plain file of the entry's name would be read in its place.
bool PlainFileExists(const std::string& name) {
    std::string slashed = name;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    for (const std::string& candidate : {name, slashed}) {
        if (std::FILE* f = std::fopen(candidate.c_str(), "rb")) {
            std::fclose(f);
            return true;
        }
    }
    return false;
}

}  // namespace

bool LibraryArchive::Open(const std::string& path, uint32_t key1, uint32_t key2, std::string* error) {
    archive_.Reset(dtaCreate(path.c_str()));
    if (!archive_) {
        if (error) *error = path + " cannot be opened or is not a .dta archive";
        return false;
    }
    if (!archive_->LoadDirectory(key1, key2)) {
        if (error) *error = path + ": cannot read the archive directory";
        return false;
    }
    return true;
}

bool LibraryArchive::ReadEntry(const std::string& name, std::vector<uint8_t>* data, std::string* error) {
    auto fail = [&](const std::string& message) {
        if (error) *error = name + ": " + message;
        return false;
    };
    if (!archive_) return fail("no archive open");
    if (PlainFileExists(name)) return fail("a file of this name in the current folder hides the entry");

    dta::ScopedHandle h(dtaOpen(name.c_str(), 1));
    if (!h.Valid()) return fail("not found in the archive");
    const int32_t size = dtaSeek(h.Get(), 0, 2);
    if (size < 0 || dtaSeek(h.Get(), 0, 0) != 0) return fail("cannot seek");

    data->assign(static_cast<size_t>(size), 0);
    size_t done = 0;
    while (done < data->size()) {
        const uint32_t want = static_cast<uint32_t>(std::min<size_t>(kChunk, data->size() - done));
        const int32_t got = dtaRead(h.Get(), data->data() + done, want);
        if (got <= 0) return fail(got < 0 ? "read failed (damaged block)" : "entry ends early");
        done += static_cast<size_t>(got);
    }
    return true;
}

}  // namespace dta::tools
