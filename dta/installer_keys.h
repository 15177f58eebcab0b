// The key words the installer opens its own archives with (the data archive
// PWdata.dta and the billboard archives); the packer's default as well.
#ifndef DTA_INSTALLER_KEYS_H
#define DTA_INSTALLER_KEYS_H

#include <cstdint>

namespace dta {

inline constexpr uint32_t kInstallerKey1 = 0x5E91C07B;
inline constexpr uint32_t kInstallerKey2 = 0x3C6A2F19;

}  // namespace dta

#endif  // DTA_INSTALLER_KEYS_H
