// Entry times, carriage-return removal and the leak report text.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#if !defined(_WIN32)
#include <unistd.h>
#endif

#include "tests/dta/archive_builder.h"
#include "dta/dta.h"
#include "dta/leak_report.h"

using namespace dtatest;

namespace {

// dtaBin2Text over `text`; returns the kept bytes and the whole buffer.
std::pair<std::string, std::string> Bin2Text(std::string text) {
    const uint32_t length = dtaBin2Text(text.data(), static_cast<uint32_t>(text.size()));
    return {text.substr(0, length), text};
}

}  // namespace

TEST(Services, bin2text_removes_carriage_returns_but_the_last_byte) {
    EXPECT_EQ(Bin2Text("A\r\nB\r\n").first, "A\nB\n");
    EXPECT_EQ(Bin2Text("A\r").first, "A\r");
    EXPECT_EQ(Bin2Text("A\r\r").first, "A\r");
    EXPECT_EQ(Bin2Text("\r").first, "\r");
    EXPECT_EQ(Bin2Text("\r\r\r\rx").first, "x");
    EXPECT_EQ(Bin2Text("plain").first, "plain");
    // The freed bytes at the end hold the last byte, as removing one carriage
    // return after another would leave them.
    EXPECT_EQ(Bin2Text("A\r\nB\r\n").second, std::string("A\nB\n\n\n"));
    EXPECT_EQ(Bin2Text("\rab\rcd").second, std::string("abcddd"));
    EXPECT_EQ(dtaBin2Text(nullptr, 5), 0u);
    char one = 'x';
    EXPECT_EQ(dtaBin2Text(&one, 0), 0u);
}

TEST(Services, entry_time_comes_from_the_archive_unless_asked_for_the_file) {
    TempFolder folder;
    ArchiveBuilder builder;
    TestEntry entry;
    entry.name = "timed";
    entry.bodies = StoredBodies({1});
    entry.decodedSize = 1;
    entry.time = 0x01D2A3B4C5D6E7F8ull;
    builder.Add(entry);
    WriteFile(folder.Path("a.dta"), builder.Build().bytes);
    WriteFile(folder.Path("plain.txt"), {1});
    ArchiveRef ref{Register(folder.Path("a.dta"))};
    ASSERT_NE(ref.archive, nullptr);
    const int32_t h = dtaOpen("timed", 1);
    const int32_t plain = dtaOpen(folder.Path("plain.txt").c_str(), 0);
    ASSERT_GE(h, 0);
    ASSERT_GE(plain, 0);
    uint32_t time[2] = {};
    EXPECT_EQ(dtaGetTime(h, time, 0), 1);
    EXPECT_EQ(time[0], 0xC5D6E7F8u);
    EXPECT_EQ(time[1], 0x01D2A3B4u);
    // The archive file and the plain file were written moments ago: after 2020.
    constexpr uint32_t kHigh2020 = 0x01D5C000;
    EXPECT_EQ(dtaGetTime(h, time, 1), 1);
    EXPECT_GT(time[1], kHigh2020);
    EXPECT_EQ(dtaGetTime(plain, time, 0), 1);
    EXPECT_GT(time[1], kHigh2020);
    EXPECT_EQ(dtaGetTime(h, nullptr, 0), 0);
    dtaClose(h);
    dtaClose(plain);
    EXPECT_EQ(dtaGetTime(h, time, 0), 0);
    EXPECT_EQ(dtaGetTime(-3, time, 0), 0);
}

TEST(Services, leak_report_names_what_was_not_released) {
    EXPECT_EQ(dta::detail::BuildLeakReport(0, 0), "");
    EXPECT_EQ(dta::detail::BuildLeakReport(1, 1),
              "Not released:  1  reference(s) of Dta_read.\nNot released:  1  Dta_read(s).\n");
    EXPECT_EQ(dta::detail::BuildLeakReport(3, 0), "Not released:  3  reference(s) of Dta_read.\n");
    EXPECT_EQ(dta::detail::BuildLeakReport(0, -2), "Not released:  -2  Dta_read(s).\n");
}

#if !defined(_WIN32)  // there the report is a message box that waits for the user

// Keeps an unreleased archive reachable, so leak checkers see no lost memory.
Dta_read* g_unreleased = nullptr;

TEST(Services, leak_report_shows_at_exit_when_enabled) {
    EXPECT_EXIT(
        {
            const std::string path =
                (std::filesystem::temp_directory_path() / ("dta_leak_" + std::to_string(::getpid())))
                    .string();
            ArchiveBuilder builder;
            builder.AddStored("a", {1});
            WriteFile(path, builder.Build().bytes);
            dtaDumpMemoryLeaks(1);
            g_unreleased = Register(path);
            std::filesystem::remove(path);
            std::exit(g_unreleased != nullptr ? 0 : 1);
        },
        testing::ExitedWithCode(0),
        "Dta_read error message\nNot released:  1  reference\\(s\\) of Dta_read\\.\nNot released:  1  "
        "Dta_read\\(s\\)\\.");
}
#endif
