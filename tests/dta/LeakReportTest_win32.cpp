// The leak report at program exit, as the user sees it: a message box titled
// "Dta_read error message" with one line per kind of leak. A small program
// registers an archive and ends; this test watches for its box, reads the
// text and answers it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/wine_fixture_win32.h"

using korvo::test::ScratchFolder;

namespace {

constexpr char kTitle[] = "Dta_read error message";
constexpr int kMessageTextId = 65535;
// A guard against a hung program, not a measure of speed.
constexpr DWORD kGiveUpMs = 60000;
constexpr DWORD kPollMs = 50;

std::string HelperPath() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path = self;
    return path.substr(0, path.find_last_of('\\') + 1) + "dta_leak_program.exe";
}

struct Search {
    DWORD processId;
    std::vector<HWND> boxes;
};

BOOL CALLBACK CollectBox(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[32] = {}, title[64] = {};
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, title, sizeof title);
    if (owner == search->processId && std::string(className) == "#32770" && std::string(title) == kTitle) {
        search->boxes.push_back(window);
    }
    return TRUE;
}

std::string ControlText(HWND control) {
    char text[1024] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        5000, &length);
    return text;
}

struct Outcome {
    bool ended = false;
    DWORD exitCode = 0;
    int boxesSeen = 0;  // distinct report boxes answered
    std::string text;   // the first box's message
};

// Runs the program, answers every report box it shows with OK, and waits for
// it to end.
Outcome RunHelper(const std::string& archive, const char* mode) {
    Outcome outcome;
    std::string command = "\"" + HelperPath() + "\" \"" + archive + "\" " + mode;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        ADD_FAILURE() << "cannot start " << command;
        return outcome;
    }
    std::vector<HWND> answered;
    for (DWORD waited = 0; waited < kGiveUpMs; waited += kPollMs) {
        if (WaitForSingleObject(process.hProcess, kPollMs) == WAIT_OBJECT_0) {
            outcome.ended = true;
            break;
        }
        Search search{process.dwProcessId, {}};
        EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&search));
        for (HWND box : search.boxes) {
            if (std::find(answered.begin(), answered.end(), box) != answered.end()) continue;
            answered.push_back(box);
            if (outcome.text.empty()) outcome.text = ControlText(GetDlgItem(box, kMessageTextId));
            HWND ok = GetDlgItem(box, IDOK);
            EXPECT_NE(ok, nullptr) << "the report offers an OK button";
            EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr) << "and nothing else";
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
        }
    }
    outcome.boxesSeen = static_cast<int>(answered.size());
    if (!outcome.ended) TerminateProcess(process.hProcess, 99);
    GetExitCodeProcess(process.hProcess, &outcome.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return outcome;
}

class DtaLeakReport : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.ok());
        // Registration checks the magic only; the directory is never loaded.
        archive_ = folder_ / "leak.dta";
        ASSERT_TRUE(korvo::test::WriteWholeFile(archive_, std::string("PWD0") + std::string(16, '\0')));
    }
    ScratchFolder folder_;
    std::string archive_;
};

}  // namespace

TEST_F(DtaLeakReport, an_archive_never_released_is_reported_in_one_box_with_both_lines) {
    const Outcome outcome = RunHelper(archive_, "leak");
    ASSERT_TRUE(outcome.ended) << "the program did not end after its report was answered";
    EXPECT_EQ(outcome.exitCode, 0u);
    EXPECT_EQ(outcome.boxesSeen, 1);
    EXPECT_EQ(outcome.text,
              "Not released:  1  reference(s) of Dta_read.\n"
              "Not released:  1  Dta_read(s).\n");
}

TEST_F(DtaLeakReport, nothing_is_shown_when_every_archive_was_released) {
    const Outcome outcome = RunHelper(archive_, "release");
    ASSERT_TRUE(outcome.ended);
    EXPECT_EQ(outcome.exitCode, 0u);
    EXPECT_EQ(outcome.boxesSeen, 0);
}

TEST_F(DtaLeakReport, nothing_is_shown_when_the_report_is_off) {
    const Outcome outcome = RunHelper(archive_, "quiet");
    ASSERT_TRUE(outcome.ended);
    EXPECT_EQ(outcome.exitCode, 0u);
    EXPECT_EQ(outcome.boxesSeen, 0);
}
