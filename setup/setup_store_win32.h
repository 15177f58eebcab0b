// The stored settings: HKEY_LOCAL_MACHINE\Software\Ambergate Studio\Korvo,
// value "VX7R_setup", 63 bytes of REG_BINARY.
#ifndef SETUP_SETUP_STORE_WIN32_H
#define SETUP_SETUP_STORE_WIN32_H

#include <cstddef>

#include "setup/setup_record.h"

namespace setup {

// Reads the stored value into `*bytes`. Returns the number of bytes the value
// holds when it fits the record (at most kSetupRecordSize), else 0: no key, no
// value, or a value too long for the record. Only a result of exactly
// kSetupRecordSize is a valid record.
size_t ReadStoredSetup(SetupRecordBytes* bytes);

// Creates or opens the key and stores the 63 bytes. False when the key cannot
// be created or the value cannot be written.
bool WriteStoredSetup(const SetupRecordBytes& bytes);

}  // namespace setup

#endif  // SETUP_SETUP_STORE_WIN32_H
