// The game's own registry values (Win32 build only).
//
// The game key holds texts stored with type REG_BINARY, terminating zero
// included; every reader here accepts only that type, so a value of any other
// type reads as absent. Each call opens its key with KEY_ALL_ACCESS and closes
// it again before returning; no key stays open between calls. Each value
// written or deleted is logged (logged_key_win32.h).
#ifndef INSTALLER_RECORDS_REGISTRY_VALUES_WIN32_H
#define INSTALLER_RECORDS_REGISTRY_VALUES_WIN32_H

#include <windows.h>

#include <cstdint>

namespace installer {

// Creates or opens `keyPath` under `root` and stores `text` as REG_BINARY,
// its terminating zero included. False when any argument is null, the key
// path is empty, the key cannot be created, or the value cannot be set.
bool WriteRegistryValue(HKEY root, const char* keyPath, const char* valueName, const char* text);

// Size in bytes (terminating zero included) of a REG_BINARY value; -1 when the
// key cannot be opened, the value is missing, has another type, or an
// argument is null.
int32_t QueryRegistryValueSize(HKEY root, const char* keyPath, const char* valueName);

// Reads a REG_BINARY value into `buffer` (at most `bufferSize` bytes). True
// only when the value exists, has type REG_BINARY, is not empty and fits; on
// success the buffer always holds a zero-terminated text: data without a
// final zero gets one appended when there is room and is refused otherwise.
// Size the buffer with QueryRegistryValueSize first.
bool ReadRegistryValue(HKEY root, const char* keyPath, const char* valueName, char* buffer,
                       uint32_t bufferSize);

// Deletes a value. True when the value is gone afterwards (also when it was
// never there); false when the key cannot be opened, an argument is null, or
// the system refuses the deletion.
bool DeleteRegistryValue(HKEY root, const char* keyPath, const char* valueName);

}  // namespace installer

#endif  // INSTALLER_RECORDS_REGISTRY_VALUES_WIN32_H
