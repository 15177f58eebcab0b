// A disc set as PWsetup meets it: folders, one per disc, numbered from 1,
// whose files are found by name the way Windows finds them (any letter case,
// backslash or slash between folders), and the volume label a folder
// declares for the Wine drive it is mapped as.
#ifndef DISC_DISC_SET_H
#define DISC_DISC_SET_H

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace disc {

// The file in a disc folder that gives the volume label of a folder drive.
inline constexpr const char* kLabelFileName = ".windows-label";

class DiscFolder {
public:
    DiscFolder(std::filesystem::path root, uint32_t number) : root_(std::move(root)), number_(number) {}

    const std::filesystem::path& Root() const { return root_; }
    uint32_t Number() const { return number_; }
    // The folder as the user named it (or the image it was taken from), for
    // messages.
    std::string Shown() const { return image_.empty() ? root_.generic_string() : image_; }
    // Shown() with `name` (backslashes turned into slashes) appended.
    std::string Shown(const std::string& name) const;

    // Marks the folder as the contents of the disc image `image`, whose
    // volume label is `label`.
    void SetImage(const std::string& image, const std::string& label) {
        image_ = image;
        imageLabel_ = label;
    }
    // Where the declared label stands, for messages: the label file (line 1)
    // or the image (no line).
    std::string LabelShown() const { return image_.empty() ? Shown(kLabelFileName) : image_; }
    uint32_t LabelLine() const { return image_.empty() ? 1 : 0; }

    // The file `name` (relative, "\" or "/" between folders) matched without
    // regard to letter case, or nothing when no regular file has that name.
    std::optional<std::filesystem::path> Find(const std::string& name) const;

    // The label the folder declares: an image's volume label, or the first
    // line of its label file with blanks and line ends taken off; nothing
    // without that file.
    std::optional<std::string> DeclaredLabel() const;

    // Whether the folder holds any regular file other than the label file.
    bool HasFiles() const;

private:
    const std::vector<std::string>& Names(const std::filesystem::path& folder) const;

    std::filesystem::path root_;
    uint32_t number_;
    std::string image_;
    std::string imageLabel_;
    mutable std::map<std::filesystem::path, std::vector<std::string>> names_;
};

// Gathers the discs named on the command line. One folder that holds
// PWdata.dta is disc 1 and the folders after it are discs 2, 3, ...; one
// folder that holds no PWdata.dta but disc1, disc2, ... is a whole set. False
// with a message when a folder is missing or neither.
bool GatherDiscs(const std::vector<std::string>& folders, std::vector<DiscFolder>* discs, std::string* error);

// Lower case, "/" turned into "\": two names that Windows takes for one file
// compare equal in this form.
std::string FoldName(const std::string& name);

}  // namespace disc

#endif  // DISC_DISC_SET_H
