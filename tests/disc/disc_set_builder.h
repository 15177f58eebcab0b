// Lays out disc sets for the check's tests as the demo's build does: the
// demo's install script and texts in PWdata.dta, every add_file source on its
// disc, a billboard archive of 800 x 600 pictures per disc, the volume label
// file, the programs PWsetup starts, and for the patch patch\a8.dta. Each
// part can be changed or left out to make one mistake.
#ifndef TESTS_DISC_DISC_SET_BUILDER_H
#define TESTS_DISC_DISC_SET_BUILDER_H

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/dta/archive_builder.h"

namespace disctest {

using dtatest::Bytes;

enum class Demo { OneDisc, TwoDiscs, Patch };

// The demo's install script for `demo`, as stored in the source tree.
std::string DemoScript(Demo demo);

// A 16-bit uncompressed BMP of `width` x `height` pixels (`bits` per pixel
// written in the header, the rows sized for 16 bits).
Bytes Picture(int32_t width = 800, int32_t height = 600, uint16_t bits = 16);

// The number of the line that holds `text` in `script`, from 1; 0 when none does.
uint32_t LineOf(const std::string& script, const std::string& text);

// `script` with the first line that holds `text` replaced by `line`; an
// empty `line` leaves an empty line, so the numbers of later lines stay.
std::string ReplaceLine(const std::string& script, const std::string& text, const std::string& line);

struct DiscSetBuilder {
    explicit DiscSetBuilder(Demo demo);

    Demo demo;
    // Packed as idata.txt; starts as the demo's script.
    std::string script;
    // Appends "var request_space_full = <bytes of every add_file source>"
    // as the demo's build does.
    bool measure = true;
    bool license = true;
    bool patchNotes = true;
    // Entries of bilboard<d>.dta per disc index d; filled with the pictures
    // each disc shows (4 per disc).
    std::map<uint32_t, std::map<std::string, Bytes>> billboards;
    // patch\a8.dta's entries on disc 1 of the patch.
    std::optional<std::map<std::string, Bytes>> patchArchive;

    // Lays the set out as `root`/disc1, disc2, ... and returns `root`.
    std::string Build(const std::string& root) const;
};

// Lays out a project folder for `korvo-disc build` from the demo: its
// script and texts, files/ with every add_file source, billboards/ with four
// pictures per disc, every-disc/ with the setups, PWsetup.exe, and for the
// patch disc1/patch/a8.dta.
void LayOutProject(Demo demo, const std::string& folder);

}  // namespace disctest

#endif  // TESTS_DISC_DISC_SET_BUILDER_H
