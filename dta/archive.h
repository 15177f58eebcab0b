// Finding names in the registered archives and opening their entries. The
// archive objects themselves (Dta_read, dtaCreate) live in archive.cpp.
#ifndef DTA_ARCHIVE_H
#define DTA_ARCHIVE_H

#include <cstdint>

#include "dta/library_state.h"

namespace dta::detail {

// Searches the archives in registration order for `name` (ASCII letters
// match in either case) and opens the first entry found into a new slot.
// Returns its handle, or -1 when no archive holds the name, the name is
// longer than format::kMaxNameLength, or an entry header, name, first block
// header or wave header can't be read in full (which ends the whole search).
// Call with the lock held.
int32_t OpenInArchives(LibraryState& state, const char* name);

}  // namespace dta::detail

#endif  // DTA_ARCHIVE_H
