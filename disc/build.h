// `korvo-disc build`: a project folder turned into disc folders ready to burn
// or map as drives, then checked.
//
// The project folder:
//
//   idata.txt       the install script; build writes the measured
//                   request_space_full (and for a patch request_space_backup)
//                   into it
//   license.txt     the licence page's text; patch.txt the patch notes
//   files/          one tree with the files the add_file lines name; each goes
//                   to the disc its line's number names
//   billboards/     bilboard<n>.bmp, numbered across all discs; disc index d
//                   gets the pictures d*k to d*k+k-1 (k: num_of_bilboards_per_cd)
//   every-disc/     optional: copied onto every disc (EAX3\setup.exe, the
//                   DirectX setups that PWsetup starts from the last disc)
//   disc<n>/        optional: copied onto disc n as it is (patch\a8.dta)
//   PWsetup.exe     the installer for disc 1 (or --installer FILE)
//   setup.exe       the settings tool, copied to disc 1 with --setup
//
// OUT/disc1, OUT/disc2, ... get the files, PWdata.dta (idata.txt and the
// texts, with the installer's key words) on disc 1, bilboard<d>.dta and the
// label file .windows-label ("KORVO_CD_<n>") on each disc; with images,
// OUT/disc<n>.iso of each disc with that volume label (through xorriso).
#ifndef DISC_BUILD_H
#define DISC_BUILD_H

#include <string>
#include <vector>

#include "disc/findings.h"

namespace disc {

struct BuildOptions {
    std::string project;
    std::string out;
    std::string installer;  // PWsetup.exe to use; empty: the project's
    bool withSetup = false;
    bool images = false;  // also OUT/disc<n>.iso, volume label KORVO_CD_<n>
};

// Builds into a new folder beside `out` and renames it to `out` only when
// the set is complete and its check found no error; on any failure nothing
// is left at `out`. `out` must not exist. Problems go to `findings`
// (input mistakes and the check's findings); `said` receives what build
// computed and wrote (the request sizes, the images), `notes` what the check
// found sound. True when `out` was made.
bool BuildDiscSet(const BuildOptions& options, Findings* findings, std::vector<std::string>* said,
                  std::vector<std::string>* notes);

}  // namespace disc

#endif  // DISC_BUILD_H
