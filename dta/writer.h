// The plain-file writer's completion at close (dtaOpenWrite and dtaWrite live
// in writer.cpp).
#ifndef DTA_WRITER_H
#define DTA_WRITER_H

#include "dta/library_state.h"

namespace dta::detail {

// Completes a safe-mode write after its handle was closed: an abandoned write
// deletes the temporary file and leaves the target alone; otherwise the
// temporary file replaces the target in one step (a read-only target is
// cleared first). False when the replacement failed; the temporary file then
// stays in place with the data, and a read-only target is read-only again.
bool CompleteSafeWrite(const OpenSlot& slot);

}  // namespace dta::detail

#endif  // DTA_WRITER_H
