// The copy journal of an install over an older version: what the copy
// created and what it replaced, so that a cancelled or failed upgrade puts
// the installed version back exactly as it was.
//
// Before the copy writes a file, Record notes it. A file that does not exist
// yet is noted as created, with every folder above it that the copy will
// have to create; a file that exists is first moved aside into the
// journal's folder below the temporary folder and noted as replaced. Each
// note reaches the journal file ("journal.txt" in that folder) before the
// copy writes the file it describes, so a run that dies half-way still leaves
// the record of how to undo it:
//
//   folder<TAB>C:\Games\Korvo\data
//   created<TAB>C:\Games\Korvo\data\new.dta
//   replaced<TAB>C:\Games\Korvo\Game.exe<TAB>C:\Temp\PWsetup.rollback\1.old
//
// RollBack undoes the notes newest first: created files are deleted,
// replaced ones moved back, created folders removed when empty. When all is
// back the journal's folder goes; otherwise it stays with what could not be
// put back, and the journal file then lists just that. Each file set aside,
// and each step of a rollback, goes to the install log.
//
// Paths are the installer's Windows-style texts; each is noted once, however
// often the copy writes it (letter case and separators do not count).
#ifndef INSTALLER_ENGINE_COPY_JOURNAL_H
#define INSTALLER_ENGINE_COPY_JOURNAL_H

#include <set>
#include <string>
#include <vector>

#include "installer/engine/copy_files.h"

namespace installer {

class CopyJournal {
public:
    CopyJournal() = default;
    ~CopyJournal() = default;
    CopyJournal(const CopyJournal&) = delete;
    CopyJournal& operator=(const CopyJournal&) = delete;

    // Creates the journal's folder below `tempFolder` (which ends in a
    // backslash), under a name that no earlier run's journal uses, and the
    // journal file in it. False when either cannot be created.
    bool Open(const std::string& tempFolder);
    bool IsOpen() const { return !folder_.empty(); }
    // The journal's folder, ending in a backslash; empty until opened.
    const std::string& Folder() const { return folder_; }

    // Notes the file `path` that the copy is about to write, moving an
    // existing file aside first. False, with nothing changed, when the file
    // cannot be moved aside or the note cannot be written; true for a path
    // noted before.
    bool Record(const std::string& path);

    // Undoes every note, newest first. Returns the files that could not be
    // put back (a replaced file whose copy stays in Folder(), or a created
    // file that could not be deleted); empty when the folder is as it was.
    // The journal is closed afterwards either way.
    std::vector<std::string> RollBack();

    // The upgrade is kept: the copies set aside and the journal go.
    void Discard();

private:
    enum class Kind { Folder, Created, Replaced };
    struct Note {
        Kind kind;
        std::string path;
        std::string backup;  // Kind::Replaced
    };

    // Appends the note to the journal file (opened for each note, so that it
    // is never held open between two) and to the notes in memory.
    bool Append(const Note& note);
    bool NoteMissingFolders(const std::string& path);
    void Close(const std::vector<Note>& left);

    std::string folder_;
    std::vector<Note> notes_;
    std::set<std::string> noted_;  // keys of the paths noted so far
    unsigned backups_ = 0;
};

}  // namespace installer

#endif  // INSTALLER_ENGINE_COPY_JOURNAL_H
