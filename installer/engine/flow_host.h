// What the installer's flow needs from the program around it. The flow
// (installer_flow.h) decides everything: the mode, the order of the pages,
// what each result leads to. The host only does what it is told: shows a page
// or a message box and reports the result, and calls the system services.
// The Win32 program binds the real pages, dialogs and services; the native
// tests bind a scripted host.
//
// Every call comes from the one user-interface thread, inside the flow's Run.
#ifndef INSTALLER_ENGINE_FLOW_HOST_H
#define INSTALLER_ENGINE_FLOW_HOST_H

#include <cstdint>
#include <string>

#include "installer/engine/message_box.h"

namespace installer {

class CopyJournal;

// Result codes with which a page or a progress dialog ends (its DoModal).
inline constexpr int kResultNext = 1;       // Next, Yes, OK or Finish; a dialog copied its list
inline constexpr int kResultEscape = 2;     // Esc on the finish page
inline constexpr int kResultCancelled = 9;  // the user confirmed the exit, or the page refused
inline constexpr int kResultBack = 12;      // Back
// The welcome page's registry write test failed (the page has shown string
// 92). Kept apart from kResultCancelled so that a confirmed Cancel on the
// welcome page reads as "aborted", not as "access denied".
inline constexpr int kResultRegistryDenied = 109;

// Finish modes: what FinishPage reports.
inline constexpr int32_t kFinishAborted = 0;
inline constexpr int32_t kFinishInstalled = 1;
inline constexpr int32_t kFinishUninstalled = -1;
inline constexpr int32_t kFinishRegistryDenied = -2;
// A cancelled upgrade could not put every file of the older version back;
// what is left lies in the copy journal's folder.
inline constexpr int32_t kFinishNotRestored = 3;

// The pages and progress dialogs the flow shows, each a modal dialog over
// the backdrop. The page objects live as long as the host: a page shown again
// is the same object shown again.
enum class Page {
    Welcome,      // WelcomePage, template 10205: ends 1, 9 or kResultRegistryDenied
    Licence,      // LicencePage, template 12029: 1, 12 or 9
    PatchNotes,   // TextPage, template 12063, with "patch.txt": 1, 12 or 9
    Destination,  // DestinationPage, template 10201: 1, 12 or 9
    Copy,         // CopyProgressDialog, template 130, over add_file: 1 or 9
    Options,      // OptionsPage, template 12062: 1 or 9; keeps the DirectX choice
    Backup,       // BackupProgressDialog, template 137, backup mode: 1 or 9
    Restore,      // BackupProgressDialog, template 137, restore mode: 1 or 9
    Finish,       // FinishPage, template 12060, showing PageParams::finishMode: 1 or 2
};

struct PageParams {
    int32_t finishMode = kFinishAborted;  // read by Page::Finish only
    // Read by Page::Copy only: notes what the copy creates and replaces, in
    // an upgrade; null otherwise.
    CopyJournal* journal = nullptr;
};

class FlowHost {
public:
    virtual ~FlowHost() = default;

    // The process's current folder, whole, however long (the flow applies
    // the folder limit). False when it cannot be read.
    virtual bool CurrentFolder(std::string* folder) = 0;
    // The folder that holds the running program's file, whole (the flow
    // applies the folder limit). False when it cannot be read.
    virtual bool ProgramFolder(std::string* folder) = 0;

    // Creates the black full-screen backdrop window (the `bilboard` window)
    // and makes it the program's main window and the owner of every page.
    virtual void CreateBackdrop() = 0;
    // Gives the backdrop the keyboard focus (before the welcome page shows).
    virtual void FocusBackdrop() = 0;

    // Shows `page` modally and returns the code it ended with.
    virtual int ShowPage(Page page, const PageParams& params) = 0;
    // Whether the options page's DirectX box was ticked at its last Next
    // (false when the page was never left with Next).
    virtual bool DirectXChosen() = 0;

    // Shows a message box without an owner window and returns its answer.
    virtual Answer ShowMessage(const Message& message) = 0;

    // The game's values under HKEY_LOCAL_MACHINE\`keyPath`, REG_BINARY only:
    // the value's size in bytes, or -1 when the key or value is missing or of
    // another type; and the value read into `buffer` with `bufferSize` as the
    // limit (true only when it was read whole and is not empty).
    virtual int32_t QueryRegistryValueSize(const char* keyPath, const char* valueName) = 0;
    virtual bool ReadRegistryValue(const char* keyPath, const char* valueName, char* buffer,
                                   uint32_t bufferSize) = 0;

    // The records: the registration after a finished copy (shortcuts,
    // uninstall record, folder and version values), the removal of an
    // installation from `folder`, and the removal of the patch's backup copies.
    virtual void RegisterInstallation() = 0;
    virtual void UninstallGame(const char* folder) = 0;
    virtual void RemoveBackupFiles() = 0;
    // An upgrade's registration replaces the older version's folder and
    // version values and its uninstall record: SaveRegistration keeps them
    // (or their absence) aside first, RestoreRegistration puts them back.
    // Restore is false when something could not be written back.
    virtual void SaveRegistration() = 0;
    virtual bool RestoreRegistration() = 0;

    // System services: the temporary folder (ending in a backslash), the
    // bytes available on a drive (true only when `required` is strictly
    // less), the Windows family (the kWindows* codes), and starting a program
    // without waiting for it (`commandLine` may be null).
    virtual bool GetTempFolder(char* buffer, uint32_t bufferSize) = 0;
    virtual bool HasFreeSpace(const char* driveRoot, uint64_t required, uint64_t* available) = 0;
    virtual int32_t GetWindowsVersion() = 0;
    virtual bool RunProgram(const char* programPath, const char* commandLine) = 0;
    // Copies the running program's file to `copyPath` (replacing an older
    // copy), has the system delete the copy at the next restart, and starts
    // it with `commandLine` (which repeats the copy's path as its first word)
    // in the copy's folder, without waiting. False, with no copy left, when
    // the copy cannot be made or started.
    virtual bool StartProgramCopy(const char* copyPath, const char* commandLine) = 0;
};

}  // namespace installer

#endif  // INSTALLER_ENGINE_FLOW_HOST_H
