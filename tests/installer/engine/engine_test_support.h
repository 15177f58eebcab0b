// Helpers shared by the engine's tests: a fresh folder that is also the
// current folder (the archive library looks for plain files there first),
// files made in it, and archives packed with given key words.
#ifndef TESTS_INSTALLER_ENGINE_TEST_SUPPORT_H
#define TESTS_INSTALLER_ENGINE_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/tools/temp_folder.h"
#include "dta/pack/packer.h"

namespace engine_test {

// A path as the installer forms it, for the test's own file calls: its
// backslashes separate folders on every platform, as the copy worker takes
// them.
inline std::string NativePath(std::string path) {
#if !defined(_WIN32)
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
#endif
    return path;
}

// A TempFolder that is the current folder while it lives. Paths it hands out
// end without a separator; Folder() gives the text with one, as the
// installer keeps its folders.
class WorkFolder {
public:
    WorkFolder() : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder_.path());
    }
    ~WorkFolder() { std::filesystem::current_path(previous_); }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    std::string Folder() const { return folder_.path().string() + Separator(); }
    static std::string Separator() {
        return std::string(1, static_cast<char>(std::filesystem::path::preferred_separator));
    }
    std::string operator/(const std::string& name) const { return folder_ / name; }

    std::string Write(const std::string& name, const std::string& text) const {
        return folder_.Write(name, std::vector<uint8_t>(text.begin(), text.end()));
    }
    // Reads a file the installer wrote.
    static std::string Read(const std::string& path) {
        const std::vector<uint8_t> bytes = TempFolder::Read(NativePath(path));
        return std::string(bytes.begin(), bytes.end());
    }

    // Packs the named texts into an archive at `name` with the key words.
    std::string Pack(const std::string& name, const std::vector<std::pair<std::string, std::string>>& entries,
                     uint32_t key1, uint32_t key2) const {
        std::vector<dta::pack::PackInput> inputs;
        for (const auto& [entryName, text] : entries) {
            dta::pack::PackInput input;
            input.name = entryName;
            input.data.assign(text.begin(), text.end());
            inputs.push_back(std::move(input));
        }
        std::vector<uint8_t> image;
        std::string error;
        EXPECT_TRUE(dta::pack::BuildArchive(inputs, key1, key2, &image, &error)) << error;
        return folder_.Write(name, image);
    }

private:
    std::filesystem::path previous_;
    TempFolder folder_;
};

// Bytes that differ from one position to the next, so a chunk written to the
// wrong place shows.
inline std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 65536) & 0xFF);
    return bytes;
}

}  // namespace engine_test

#endif  // TESTS_INSTALLER_ENGINE_TEST_SUPPORT_H
