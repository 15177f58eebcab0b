// The GUI test driver: runs a scenario (see script.h for the syntax) against
// one program under test, started by the scenario, in the same Wine prefix.
//
// Commands (ID is a control of the current window, the one found by the
// last wait-window or wait-dialog, named as in the programs' resource headers,
// IDC_NEXT, or by its number; PATH a Windows path, or a Unix path that
// is reached through Wine's Z: drive):
//   start PROGRAM [ARGS...]          start the program (Windows or Unix path);
//                                    it starts in the program's own folder
//   wait-window CAPTION [CLASS]      wait for a visible top-level window of it
//   wait-dialog CAPTION ID [SECONDS] wait for a visible dialog of that caption
//                                    holding control ID, other than the current
//                                    window (the next page of a wizard); with
//                                    SECONDS it must be there and settled by then
//   click ID                         click a button like a user: check boxes
//                                    change state, then the parent hears BN_CLICKED
//   close                            the current window's close box (WM_SYSCOMMAND
//                                    SC_CLOSE, also what the taskbar's Close sends)
//   key KEY                          press and release a key (script.h names them:
//                                    enter, escape, space, tab, alt+n, alt+f4 ...)
//                                    on the control that has the keyboard focus, or
//                                    on the window when none of its controls has it;
//                                    the program's own message loop sees it
//                                    (dialog keys, mnemonics, TranslateMessage)
//   focus ID                         give control ID the focus, as the Tab key would
//   expect-focus ID                  the control that has the keyboard focus
//   select ID ITEM                   pick a list item, notifying the parent
//   set-text ID TEXT                 replace a control's text
//   expect-text ID TEXT              control text
//   expect-text-like ID PATTERN      control text, '*' standing for any text
//   expect-checked ID 0|1|2          check box state
//   expect-enabled ID 0|1            expect-visible ID 0|1
//   expect-items ID [ITEM...]        all items of a combo or list box, in order
//   expect-selected ID ITEM          expect-no-selection ID
//   expect-progress ID N             a progress bar's position
//   wait-progress ID N               wait until a progress bar has reached N
//   answer TEXT yes|no|ok|cancel [CAPTION]   press a button of a message box
//   answer-like PATTERN yes|no|ok|cancel [CAPTION]   the same, '*' in PATTERN
//                                    standing for any text
//   wait-message PATTERN [CAPTION]   wait for a message box and leave it open
//   expect-exit CODE                 the program ends (asking nothing) with CODE
//   expect-silent-exit CODE          the same, and no window of it shows while
//                                    the driver waits (a run with /S)
//   follow NAME [CODE]               the program ends (asking nothing) with CODE
//                                    (0 when not given), and the program whose
//                                    file is named NAME, which it started,
//                                    becomes the one under test
//   expect-output PATTERN PROGRAM [ARGS...]   run another program to its end;
//                                    a line of its standard output matches
//                                    PATTERN ('*' for any text)
//   mark-size                        remember the current window's rectangle
//   expect-size-change DW DH         size changed by DW, DH since mark-size,
//                                    at the same position
//   expect-in-window ID 0|1          the control lies wholly inside (1) or wholly
//                                    outside (0) the current window's client area
//   expect-apart ID OTHER            the two controls' rectangles do not meet
//   expect-title-clear ID GROUP      check box ID lies within group box GROUP and
//                                    ends left of the title's first letter as drawn
//                                    on the screen (found with ID hidden a moment)
//   screenshot FILE.png              the screen as PNG
//   show ID                          print a control's state (for writing scenarios)
//   map-drive LETTER FOLDER cdrom|fixed|removable   unmap-drive LETTER
//                                    (FOLDER a Unix path; its .windows-label
//                                    file is the volume label)
//   copy-file PATH TO                move-file PATH TO        delete-file PATH
//   make-folder PATH                 (every level)
//   make-read-only PATH              set the file's read-only attribute
//   expect-file PATH [SAME-AS]       a file, with the same bytes as SAME-AS
//   expect-folder PATH               expect-no-file PATH (neither file nor folder)
//   expect-link PATH TARGET [FOLDER] a shell link, its target and working folder
//   reg-set KEY NAME sz|dword|binary|binary-text DATA   reg-delete KEY [NAME]
//                                    (binary-text: REG_BINARY holding a text and its zero)
//   reg-create-volatile KEY          a new volatile key (no lasting key can be made below it)
//   expect-reg KEY NAME HEX          expect-reg-absent KEY NAME
//   expect-reg-text KEY NAME TEXT    the value holds TEXT and a terminating zero
//   wait-reg KEY NAME                wait until the value exists
//   expect-reg-type KEY NAME sz|dword|binary  expect-reg-size KEY NAME N
//   expect-reg-bytes KEY NAME OFFSET HEX      expect-reg-u32 KEY NAME OFFSET N
//   mark-state PLACE...              remember what each PLACE holds: a folder
//                                    (PATH) with every file's size and bytes
//                                    below it, or that it is absent; or a
//                                    registry key (KEY) with every value below
//                                    it (no values: as if absent)
//   expect-unchanged                 every marked place holds what it held
//   expect-logged LOG PLACE          every file below folder PLACE is named in
//                                    a "file" line of the install log LOG, every
//                                    value below key PLACE (KEY\NAME) in a
//                                    "registry" line
//
// While the program handles an action the driver waits until the handler has
// returned or a new window (such as a message box) has appeared; after key
// and focus, until the program's message loop has taken the posted messages
// and those its handlers posted in turn. Any command
// but answer, wait-message, wait-window, wait-dialog, screenshot and the file, drive and
// registry commands fails while an unexpected message box is open. Waits end
// with a failure after a generous limit, never hang.
#ifndef TESTS_E2E_DRIVER_DRIVER_WIN32_H
#define TESTS_E2E_DRIVER_DRIVER_WIN32_H

#include <windows.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/e2e/driver/script.h"

namespace e2e {

// Names and argument counts of every command; false with a reason for an
// unknown command or a wrong number of arguments.
bool CheckCommand(const std::vector<std::string>& words, std::string* error);

// A text as a scenario would write it, so that failures show \n and \r.
std::string Quote(const std::string& text);

// Items as a failure shows them: each quoted, or "(none)".
std::string QuoteList(const std::vector<std::string>& items);

// Reads a number from 0 to `maxValue`; false with a reason otherwise.
bool ParseFlag(const std::string& text, int maxValue, int* value, std::string* error);

// "/unix/path" as the Windows path that reaches it through Wine's Z: drive;
// any other text unchanged.
std::string ToWindowsPath(const std::string& path);

// Limits of the driver's waits. They only end a hang; a passing scenario
// never comes near them.
inline constexpr DWORD kWindowWaitMs = 60000;
inline constexpr DWORD kActionWaitMs = 30000;
inline constexpr DWORD kPollMs = 20;

class Driver {
public:
    using Words = std::vector<std::string>;  // a command's name, then its arguments
    using Handler = bool (Driver::*)(const Words& w, std::string* error);

    // What a command needs before its handler runs.
    enum class Needs {
        kNothing,        // runs at any time (program, files, registry, message boxes)
        kWindow,         // a current window
        kSettledWindow,  // a current window, the last action handled, no message box open
    };
    struct Command {
        size_t minArgs;
        size_t maxArgs;  // SIZE_MAX: any number
        Needs needs;
        Handler handler;
    };
    // The command of that name; null for an unknown one.
    static const Command* FindCommand(const std::string& name);

    // `failureShot`: where to save a screenshot when a command fails ("" for none).
    explicit Driver(std::string failureShot);
    ~Driver();  // ends a program that is still running
    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;

    // Runs every line; prints each command and the first failure. Returns true
    // when all commands passed and the program (if started) has ended.
    bool Run(const std::vector<ScriptLine>& lines, const std::string& scriptName);

private:
    struct PendingSend;

    bool Execute(const Words& w, std::string* error);

    // The program and its windows (driver_win32.cpp).
    bool Start(const Words& w, std::string* error);
    bool WaitWindow(const Words& w, std::string* error);
    bool Answer(const Words& w, std::string* error);
    bool ExpectExit(const Words& w, std::string* error);
    bool Follow(const Words& w, std::string* error);
    bool ExpectOutput(const Words& w, std::string* error);
    bool Screenshot(const Words& w, std::string* error);
    bool Drive(const Words& w, std::string* error);
    // The current window and its controls (control_commands_win32.cpp).
    bool Click(const Words& w, std::string* error);
    bool Close(const Words& w, std::string* error);
    bool PressKey(const Words& w, std::string* error);
    bool Focus(const Words& w, std::string* error);
    bool ExpectFocus(const Words& w, std::string* error);
    bool Select(const Words& w, std::string* error);
    bool SetText(const Words& w, std::string* error);
    bool ExpectText(const Words& w, std::string* error);
    bool ExpectState(const Words& w, std::string* error);
    bool ExpectProgress(const Words& w, std::string* error);
    bool WaitProgress(const Words& w, std::string* error);
    bool ExpectItems(const Words& w, std::string* error);
    bool ExpectSelection(const Words& w, std::string* error);
    bool Show(const Words& w, std::string* error);
    bool MarkSize(const Words& w, std::string* error);
    bool ExpectSizeChange(const Words& w, std::string* error);
    // layout_commands_win32.cpp, registry_commands_win32.cpp, file_commands_win32.cpp,
    // state_commands_win32.cpp
    bool Layout(const Words& w, std::string* error);
    bool Registry(const Words& w, std::string* error);
    bool Files(const Words& w, std::string* error);
    bool State(const Words& w, std::string* error);

    // The control of the current window that `id` names (a resource name
    // such as IDC_NEXT, or a number); false with a reason if none.
    bool Control(const std::string& id, HWND* control, std::string* error);
    // The items of list or combo box `id` and the selected one's index (-1: none).
    bool ReadList(const std::string& id, std::vector<std::string>* items, int* selected, std::string* error);
    // Sends a message to the program on a helper thread and waits as Settle does.
    bool SendAction(HWND window, UINT message, WPARAM wparam, LPARAM lparam, std::string* error);
    // Posts messages into the program's queue, as the keyboard would, and
    // waits as Settle does until its message loop has handled them.
    bool PostAction(std::vector<MSG> messages, std::string* error);
    // Runs `action` (owned from here on) on a helper thread and settles.
    bool StartAction(PendingSend* action, std::string* error);
    // The window of the program's thread that has the keyboard focus, when
    // it is the current window or one of its controls; null otherwise.
    HWND FocusedControl() const;
    // Waits until the last action's handler returned or a new window appeared.
    bool Settle(std::string* error);
    // Fails when a message box that no command expects is open.
    bool RequireNoMessageBox(std::string* error);
    bool Running() const;
    void EndProgram();

    std::string failureShot_;
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    HWND current_ = nullptr;
    RECT marked_ = {};
    bool hasMark_ = false;
    std::unique_ptr<PendingSend> pending_;
    // What mark-state saw: each place's entries ("data\x.map", "Korvo\Version")
    // with a text that tells their size and content.
    std::map<std::string, std::map<std::string, std::string>> markedState_;
};

}  // namespace e2e

#endif  // TESTS_E2E_DRIVER_DRIVER_WIN32_H
