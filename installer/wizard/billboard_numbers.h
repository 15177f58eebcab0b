// Which billboard pictures a disc has: the numbers in the names found in the
// disc's billboard archive and in the current folder, so that loading a set
// takes time for the pictures present, not for the numbers a setting allows.
#ifndef INSTALLER_WIZARD_BILLBOARD_NUMBERS_H
#define INSTALLER_WIZARD_BILLBOARD_NUMBERS_H

#include <cstdint>
#include <string>
#include <vector>

namespace installer {

// Reads the picture number of `name` when it is "bilboard<n>.bmp" in any
// letter case (as the archive's lookup and the file system match names) with
// n in decimal as the loader writes it: no sign, no leading zero (other than
// n = 0 itself), at most 19 digits. False for any other name.
bool BillboardNumberOf(const std::string& name, uint64_t* number);

// The numbers of the pictures of disc `discIndex` (from 0) among `names`:
// those from perDisc times discIndex to perDisc more, ascending, each once.
// None when perDisc is below 1.
std::vector<uint64_t> SelectBillboardNumbers(const std::vector<std::string>& names, int32_t perDisc,
                                             uint32_t discIndex);

}  // namespace installer

#endif  // INSTALLER_WIZARD_BILLBOARD_NUMBERS_H
