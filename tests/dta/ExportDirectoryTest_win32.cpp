// PWsetup.exe's export directory as an outside caller sees it: the twelve
// decorated names, their ordinals and the module name.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/dta/export_image_win32.h"
#include "tests/support/wine_fixture_win32.h"

using korvo::test::PeImage;

namespace {

// Reads PWsetup.exe as a file. In a 64-bit test build this is the shipped
// 32-bit program of the i686 build tree; a missing file is a failure that
// names it, never a skip.
class ExportDirectory : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string path = korvo::test::PwsetupPath();
        const std::string bytes = korvo::test::ReadWholeFile(path);
        ASSERT_NE(bytes, "<missing>") << "cannot open " << path
                                      << (sizeof(void*) == 4 ? "" : " (build the windows preset first)");
        image_ = PeImage(std::vector<uint8_t>(bytes.begin(), bytes.end()));
        ASSERT_TRUE(image_.ok()) << path << " is not a 32-bit Windows program";
    }

    PeImage image_{{}};
};

struct Expected {
    const char* name;
    uint32_t ordinal;
};

// Ordinals follow the alphabetical order of the names.
constexpr Expected kExports[] = {
    {"_dtaBin2Text@8", 1},
    {"_dtaClose@4", 2},
    {"_dtaCreate@4", 3},
    {"_dtaDelete@4", 4},
    {"_dtaDumpMemoryLeaks@4", 5},
    {"_dtaGetTime@12", 6},
    {"_dtaOpen@8", 7},
    {"_dtaOpenWrite@8", 8},
    {"_dtaRead@12", 9},
    {"_dtaSeek@12", 10},
    {"_dtaSetDtaFirstForce@0", 11},
    {"_dtaWrite@12", 12},
};

}  // namespace

TEST_F(ExportDirectory, names_the_module_and_exports_exactly_the_twelve_functions) {
    korvo::test::ExportDirectory exports;
    ASSERT_TRUE(image_.ReadExports(&exports));
    EXPECT_EQ(exports.moduleName, "PWsetup.exe");
    EXPECT_EQ(exports.ordinalBase, 1u);
    EXPECT_EQ(exports.functionCount, 12u);
    ASSERT_EQ(exports.names.size(), std::size(kExports));
    for (size_t i = 0; i < std::size(kExports); ++i) {
        SCOPED_TRACE(kExports[i].name);
        EXPECT_EQ(exports.names[i].name, kExports[i].name);
        EXPECT_EQ(exports.names[i].ordinal, kExports[i].ordinal);
        // Real code, not a forwarder or an empty slot.
        EXPECT_TRUE(image_.IsCode(exports.names[i].address));
    }
}

TEST_F(ExportDirectory, every_function_has_its_own_address) {
    korvo::test::ExportDirectory exports;
    ASSERT_TRUE(image_.ReadExports(&exports));
    std::vector<uint32_t> addresses;
    for (const auto& e : exports.names) addresses.push_back(e.address);
    std::sort(addresses.begin(), addresses.end());
    EXPECT_EQ(std::adjacent_find(addresses.begin(), addresses.end()), addresses.end());
}

TEST_F(ExportDirectory, the_program_is_a_windows_gui_program_not_a_library) {
    EXPECT_EQ(image_.Subsystem(), 2u);  // IMAGE_SUBSYSTEM_WINDOWS_GUI
    EXPECT_EQ(image_.Characteristics() & korvo::test::kFlagDll, 0u);
    EXPECT_NE(image_.EntryPoint(), 0u);
}
