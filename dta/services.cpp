// The library's small services: entry times, carriage-return removal, and
// the two process-wide switches.
#include "dta/dta.h"
#include "dta/library_state.h"

using dta::detail::LockedState;
using dta::detail::OpenSlot;
namespace io = dta::io;

extern "C" int32_t DTA_API dtaGetTime(int32_t handle, uint32_t* fileTime, int32_t fromFile) {
    if (fileTime == nullptr) return 0;
    LockedState state;
    if (!state) return 0;
    const OpenSlot* slot = dta::detail::UsedSlot(*state, handle);
    if (slot == nullptr) return 0;
    uint64_t time = 0;
    if ((slot->flags & dta::detail::kSlotOwnsFile) == 0 && fromFile == 0) {
        time = slot->modificationTime;
    } else if (!io::LastWriteTime(slot->file, &time)) {
        return 0;
    }
    fileTime[0] = static_cast<uint32_t>(time);
    fileTime[1] = static_cast<uint32_t>(time >> 32);
    return 1;
}

extern "C" uint32_t DTA_API dtaBin2Text(char* text, uint32_t length) {
    if (text == nullptr || length == 0) return 0;
    LockedState state;
    // One pass that keeps every byte but the carriage returns before the last
    // position. The bytes freed at the end get the last byte, as removing the
    // carriage returns one by one from the back would leave them.
    const char last = text[length - 1];
    uint32_t kept = 0;
    for (uint32_t i = 0; i + 1 < length; ++i) {
        if (text[i] != '\r') text[kept++] = text[i];
    }
    text[kept++] = last;
    for (uint32_t i = kept; i < length; ++i) text[i] = last;
    return kept;
}

extern "C" void DTA_API dtaSetDtaFirstForce(void) {
    if (dta::detail::LibraryState* state = dta::detail::State()) state->archiveFirstForced = true;
}

extern "C" void DTA_API dtaDumpMemoryLeaks(int32_t enable) {
    if (dta::detail::LibraryState* state = dta::detail::State()) state->leakReportEnabled = enable != 0;
}
