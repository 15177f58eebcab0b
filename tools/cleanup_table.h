// The table of temporary files that an interrupt must remove: fixed slots of
// path text with a lock-free state each, so that a signal handler (or a
// console control handler on its own thread) can walk it at any moment.
#ifndef TOOLS_CLEANUP_TABLE_H
#define TOOLS_CLEANUP_TABLE_H

#include <string>

namespace dta::tools::os::detail {

// Enters `path`; returns its slot, or -1 when the table is full or the path
// too long (the file is then still removed on every ordinary path).
int RegisterForCleanup(const std::string& path);

// Drops the slot (from RegisterForCleanup; -1 is ignored).
void UnregisterFromCleanup(int slot);

// Calls `remove` for every registered path. Async-signal-safe as long as
// `remove` is.
void RemoveRegistered(void (*remove)(const char* path));

}  // namespace dta::tools::os::detail

#endif  // TOOLS_CLEANUP_TABLE_H
