// The progress line of long jobs: what it shows, that it makes way for
// messages, and that it stays silent when it is not wanted.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "tools/command.h"
#include "tools/progress.h"

using namespace dta::tools;
using std::chrono::milliseconds;

namespace {

// The text after the last carriage return: what the terminal shows now.
std::string Shown(const std::string& written) {
    const size_t cr = written.rfind('\r');
    return cr == std::string::npos ? written : written.substr(cr + 1);
}

}  // namespace

TEST(Progress, shows_bytes_entries_rate_and_time_left_and_makes_way_for_messages) {
    std::ostringstream out, err;
    Console console(out, err, true);
    Progress progress(err, console.ProgressWanted(), 4000000, 8, milliseconds(0));
    console.Attach(&progress);
    // Some time passes, so that there is a rate.
    std::this_thread::sleep_for(milliseconds(2));
    progress.Add(1000000, 2);
    const std::string line = Shown(err.str());
    EXPECT_NE(line.find("[#####               ]"), std::string::npos) << line;
    EXPECT_NE(line.find("1.0 MB of 4.0 MB"), std::string::npos) << line;
    EXPECT_NE(line.find("2 of 8 entries"), std::string::npos) << line;
    EXPECT_NE(line.find("B/s"), std::string::npos) << line;
    EXPECT_NE(line.find(" left"), std::string::npos) << line;

    // A message first blanks the line, then stands on a line of its own.
    console.Error("cannot write x: No space left on device");
    const std::string all = err.str();
    const std::string expected =
        "\r" + std::string(line.size(), ' ') + "\r" + "dta: cannot write x: No space left on device\n";
    ASSERT_GE(all.size(), expected.size());
    EXPECT_EQ(all.substr(all.size() - expected.size()), expected);
    EXPECT_EQ(out.str(), "");

    // Done: nothing is left on the terminal.
    progress.Add(3000000, 6);
    progress.Clear();
    EXPECT_EQ(Shown(err.str()), "");
}

TEST(Progress, is_silent_off_a_terminal_with_q_and_during_the_first_second) {
    for (const bool terminal : {false, true}) {
        std::ostringstream out, err;
        Console console(out, err, terminal);
        console.quiet = true;
        Progress quiet(err, console.ProgressWanted(), 100, 1, milliseconds(0));
        quiet.Add(50, 1);
        console.quiet = false;
        Progress wanted(err, console.ProgressWanted(), 100, 1, milliseconds(0));
        wanted.Add(50, 1);
        EXPECT_EQ(err.str().empty(), !terminal) << terminal;
    }
    std::ostringstream err;
    Progress early(err, true, 100, 1);
    early.Add(50, 1);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(HumanBytes(17), "17 B");
    EXPECT_EQ(HumanBytes(820000), "820.0 KB");
    EXPECT_EQ(HumanBytes(1.5e9), "1.5 GB");
}

TEST(Progress, fits_the_terminal_width_dropping_the_least_needed_parts_first) {
    const std::string full = [] {
        std::ostringstream err;
        Progress progress(err, true, 4000000, 8, milliseconds(0));
        progress.SetColumns(200);
        std::this_thread::sleep_for(milliseconds(2));
        progress.Add(1000000, 2);
        return Shown(err.str());
    }();
    ASSERT_NE(full.find(" left"), std::string::npos) << full;
    for (const size_t columns :
         {size_t{200}, full.size() + 1, full.size(), size_t{60}, size_t{40}, size_t{10}}) {
        std::ostringstream err;
        Progress progress(err, true, 4000000, 8, milliseconds(0));
        progress.SetColumns(columns);
        std::this_thread::sleep_for(milliseconds(2));
        progress.Add(1000000, 2);
        const std::string line = Shown(err.str());
        EXPECT_LE(line.size(), columns - 1) << columns << ": " << line;
        // The rate differs from run to run: near the full line's width only
        // the bound holds for certain.
        if (columns == 200) {
            EXPECT_NE(line.find(" left"), std::string::npos) << line;
        }
        if (columns >= 40) {
            EXPECT_NE(line.find("2 of 8 entries"), std::string::npos) << columns << ": " << line;
        }
    }
}
