// Turns the names on `dta pack`'s command line into the entries to pack:
// files as they are, folders walked in a fixed order.
//
// Entry names are the paths as given, read lexically: "." parts dropped,
// ".." parts folded into the part before them, a leading root, drive or
// ".." dropped (as tar drops them), and backslashes between the parts. So
// `pack a.dta docs` names its entries "docs\...", and `pack -C docs a.dta .`
// names them by their paths below docs.
//
// Inside a folder, a link to a file is packed under the link's own path
// with the contents of the file it points to; links to folders, dangling
// links and anything that is neither file nor folder (pipes, devices) are
// skipped with a warning. Names given on the command line are followed.
// Archive names ignore letter case: a walked file whose name differs from an
// earlier one only there is skipped with a warning, and so is a walked file
// whose name breaks the entry name rule (EntryNameProblem in safe_path.h).
#ifndef TOOLS_PACK_INPUTS_H
#define TOOLS_PACK_INPUTS_H

#include <cstdint>
#include <string>
#include <vector>

#include "dta/pack/archive_writer.h"

namespace dta::tools {

// One name from the command line with the options in force where it stands.
struct PackArgument {
    std::string path;
    std::string baseFolder;  // -C: `path` is read relative to it (unless absolute)
    std::string entryName;   // --as: the entry name of a file
    pack::Method method = pack::Method::Auto;
    bool scrambled = true;
};

struct GatheredInputs {
    std::vector<pack::PackItem> items;
    uint64_t totalBytes = 0;            // the files' sizes as the walk saw them
    std::vector<std::string> warnings;  // skipped links and other files, names that lost parts
    size_t leftOut = 0;                 // files found but not packed: special files, names
                                        // taken or refused by the entry name rule
};

// Gathers the entries for `arguments`. Files equal to `archivePath` (the
// archive being written, when it exists already) are skipped with a
// warning. False with a message when a name cannot be read or a folder
// cannot be walked, --as names a folder, or a file named on the command line
// (or by --as) gets a name that the entry name rule refuses.
bool GatherInputs(const std::vector<PackArgument>& arguments, const std::string& archivePath,
                  GatheredInputs* gathered, std::string* error);

// The entry name for `path` read lexically as above; `dropped` is set when a
// root, drive or leading ".." was removed. Empty for a path with no parts
// left (".", "/", "..").
std::string EntryNameFor(const std::string& path, bool* dropped);

}  // namespace dta::tools

#endif  // TOOLS_PACK_INPUTS_H
