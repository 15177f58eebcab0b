// What failed and where, for the code that needs more than -1: the archive
// tool's listing and verification. The exported functions never return it;
// the reading code fills one only when the caller passes it.
#ifndef DTA_STATUS_H
#define DTA_STATUS_H

#include <cstdint>
#include <string>

#include "dta/reason.h"

namespace dta {

// A failure with its place. Fields that don't apply stay -1 (or empty).
struct Status {
    Reason reason = Reason::None;
    int64_t entry = -1;       // directory index of the entry
    std::string name;         // the entry's name, when it could be read
    int64_t block = -1;       // index of the block within the entry
    int64_t byte = -1;        // offset within the block body (its method byte is 0)
    int64_t fileOffset = -1;  // absolute offset in the archive file
    int64_t found = -1;       // a size or count found in the file ...
    int64_t expected = -1;    // ... and what it should have been

    bool Ok() const { return reason == Reason::None; }
};

// A short English text for the reason: "back-reference before the block
// start". Never null.
const char* ReasonText(Reason reason);

// The whole message: "entry 12 (data\maps\a.map): block 3: back-reference
// before the block start at byte 1,234". An entry whose name could not be
// read is named by its index alone. Empty for Reason::None.
std::string Describe(const Status& status);

// Numbers with thousands separators: 1234567 -> "1,234,567".
std::string GroupedNumber(int64_t value);

namespace detail {

// Records `reason` in `status` (when given) and returns false.
inline bool Fail(Status* status, Reason reason) {
    if (status != nullptr) status->reason = reason;
    return false;
}

// Records `reason` at an absolute file offset and returns false.
inline bool FailAt(Status* status, Reason reason, uint64_t fileOffset) {
    if (status != nullptr) {
        status->reason = reason;
        status->fileOffset = static_cast<int64_t>(fileOffset);
    }
    return false;
}

}  // namespace detail
}  // namespace dta

#endif  // DTA_STATUS_H
