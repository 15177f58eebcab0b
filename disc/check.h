// `korvo-disc check`: a finished disc set read the way PWsetup will read it,
// with every problem reported by file, line and reason.
#ifndef DISC_CHECK_H
#define DISC_CHECK_H

#include <string>
#include <vector>

#include "disc/disc_set.h"
#include "disc/findings.h"

namespace disc {

// The disc a file's disc number names, and the picture numbers a disc
// shows, are those PWsetup uses: disc n is discs[n - 1], and disc index d
// shows bilboard<d*k>.bmp to bilboard<d*k+k-1>.bmp from bilboard<d>.dta,
// k being num_of_bilboards_per_cd.
//
// Checks `discs` (disc 1 first, holding PWdata.dta) and adds every problem
// to `findings`. `notes` receives a line for each thing checked that went
// well (for a verbose run).
void CheckDiscSet(const std::vector<DiscFolder>& discs, Findings* findings, std::vector<std::string>* notes);

}  // namespace disc

#endif  // DISC_CHECK_H
