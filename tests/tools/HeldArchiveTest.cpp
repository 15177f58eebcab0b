// The archive pack -o - holds back: in memory up to its bound, then in a
// nameless temporary file, patched in place and sent out whole.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/tools/temp_folder.h"
#include "tools/held_archive.h"

using dta::tools::HeldArchive;

namespace {

std::vector<uint8_t> Pattern(size_t n, uint8_t seed) {
    std::vector<uint8_t> out(n);
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(seed + i * 13);
    return out;
}

// Appends `parts`, patches the first 4 bytes and returns what SendTo gives,
// beside what it must give.
void HoldPatchAndSend(HeldArchive& held, const std::vector<std::vector<uint8_t>>& parts) {
    std::vector<uint8_t> expected;
    std::string error;
    for (const auto& part : parts) {
        ASSERT_TRUE(held.Append(part.data(), part.size(), &error)) << error;
        expected.insert(expected.end(), part.begin(), part.end());
    }
    const uint8_t header[4] = {'P', 'W', 'D', '0'};
    ASSERT_TRUE(held.WriteAt(0, header, sizeof header, &error)) << error;
    std::copy(header, header + 4, expected.begin());
    // A patch past the end is refused, never a hole.
    EXPECT_FALSE(held.WriteAt(expected.size() - 2, header, sizeof header, &error));
    std::ostringstream out;
    ASSERT_TRUE(held.SendTo(out, &error)) << error;
    EXPECT_EQ(out.str(), std::string(expected.begin(), expected.end()));
    EXPECT_EQ(held.size(), expected.size());
}

}  // namespace

TEST(HeldArchive, holds_in_memory_up_to_the_bound_then_in_a_file_that_leaves_nothing) {
    TempFolder dir;
    {
        HeldArchive small(dir.path().string(), 1000);
        HoldPatchAndSend(small, {Pattern(600, 1), Pattern(400, 2)});
        EXPECT_FALSE(small.Spilled());
    }
    {
        // The part that crosses the bound moves everything held to the file.
        HeldArchive large(dir.path().string(), 1000);
        HoldPatchAndSend(large, {Pattern(600, 1), Pattern(401, 2), Pattern(70000, 3)});
        EXPECT_TRUE(large.Spilled());
#if !defined(_WIN32)
        // The file has no name in the folder, even while it is in use. (On
        // Windows it keeps its name until the system deletes it on close.)
        EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
#endif
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(HeldArchive, failures_name_the_folder_or_standard_output) {
    TempFolder dir;
    const std::string missing = dir / "missing";
    HeldArchive held(missing, 10);
    const std::vector<uint8_t> bytes = Pattern(20, 0);
    std::string error;
    EXPECT_FALSE(held.Append(bytes.data(), bytes.size(), &error));
    EXPECT_EQ(error.rfind("cannot create a temporary file in " + missing + ": ", 0), 0u) << error;
    EXPECT_GT(error.size(), ("cannot create a temporary file in " + missing + ": ").size()) << error;

    HeldArchive inMemory(dir.path().string(), 100);
    ASSERT_TRUE(inMemory.Append(bytes.data(), bytes.size(), &error)) << error;
    std::ostringstream broken;
    broken.setstate(std::ios::badbit);
    EXPECT_FALSE(inMemory.SendTo(broken, &error));
    EXPECT_EQ(error.rfind("cannot write to standard output", 0), 0u) << error;
}
