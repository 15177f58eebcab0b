#include "installer/engine/copy_journal.h"

#include <algorithm>

#include "installer/system/install_log.h"

namespace installer {

namespace {

constexpr char kFolderName[] = "PWsetup.rollback";
constexpr char kFileName[] = "journal.txt";
// Earlier runs' journals that were kept are never reused.
constexpr int kMaxFolderTries = 1000;

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// Windows compares paths without letter case and takes either separator.
std::string Key(const std::string& path) {
    std::string key = path;
    for (char& c : key) {
        if (c == '/') c = '\\';
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    while (!key.empty() && key.back() == '\\') key.pop_back();
    return key;
}

// A drive ("C:") or nothing at all: never created by the copy.
bool IsRoot(const std::string& folder) {
    return folder.empty() || (folder.size() == 2 && folder[1] == ':');
}

// Deletes the file `path` and logs it as `kind` (a file that was not there
// is not logged); true when it is gone afterwards.
bool RemoveLogged(LogKind kind, const std::string& path) {
    const bool there = copyfiles::FileExists(path.c_str());
    if (!copyfiles::RemoveFile(path.c_str())) {
        LogLine(LogKind::Failure, "cannot remove %s: %s", path.c_str(),
                SystemReason(LastSystemError()).c_str());
        return false;
    }
    if (there) LogLine(kind, "removed %s", path.c_str());
    return true;
}

}  // namespace

bool CopyJournal::Open(const std::string& tempFolder) {
    if (IsOpen() || tempFolder.empty()) return false;
    for (int n = 1; n <= kMaxFolderTries; ++n) {
        std::string folder = tempFolder + kFolderName;
        if (n > 1) folder += "." + std::to_string(n);
        if (copyfiles::FolderExists(folder.c_str()) || copyfiles::FileExists(folder.c_str())) continue;
        if (!copyfiles::CreateFolder(folder.c_str())) return false;
        folder += '\\';
        if (!copyfiles::OwnedFile(copyfiles::CreateDestination((folder + kFileName).c_str())).Valid()) {
            copyfiles::RemoveEmptyFolder(folder.c_str());
            return false;
        }
        folder_ = folder;
        return true;
    }
    return false;
}

bool CopyJournal::Append(const Note& note) {
    static const char* const kWords[] = {"folder", "created", "replaced"};
    std::string line = kWords[static_cast<int>(note.kind)];
    line += '\t' + note.path;
    if (note.kind == Kind::Replaced) line += '\t' + note.backup;
    line += "\r\n";
    const copyfiles::OwnedFile file(copyfiles::OpenAppend((folder_ + kFileName).c_str()));
    if (!file.Valid() || !copyfiles::WriteAll(file.Get(), line.data(), static_cast<uint32_t>(line.size())))
        return false;
    notes_.push_back(note);
    noted_.insert(Key(note.path));
    return true;
}

bool CopyJournal::NoteMissingFolders(const std::string& path) {
    // The folders above the file that do not exist yet, deepest first.
    std::vector<std::string> missing;
    for (size_t cut = path.size(); cut > 0; --cut) {
        if (!IsSeparator(path[cut - 1])) continue;
        std::string folder = path.substr(0, cut - 1);
        if (IsRoot(folder) || copyfiles::FolderExists(folder.c_str())) break;
        missing.push_back(std::move(folder));
    }
    for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder) {
        if (noted_.count(Key(*folder)) != 0) continue;
        if (!Append(Note{Kind::Folder, *folder, {}})) return false;
    }
    return true;
}

bool CopyJournal::Record(const std::string& path) {
    if (!IsOpen()) return false;
    if (noted_.count(Key(path)) != 0) return true;
    // A folder in the file's place: the copy itself fails on it and says so.
    if (copyfiles::FolderExists(path.c_str())) return true;

    if (!copyfiles::FileExists(path.c_str())) {
        return NoteMissingFolders(path) && Append(Note{Kind::Created, path, {}});
    }
    const std::string backup = folder_ + std::to_string(backups_ + 1) + ".old";
    if (!copyfiles::MoveReplacing(path.c_str(), backup.c_str())) {
        LogLine(LogKind::Failure, "cannot set aside %s -> %s: %s", path.c_str(), backup.c_str(),
                SystemReason(LastSystemError()).c_str());
        return false;
    }
    if (!Append(Note{Kind::Replaced, path, backup})) {
        // Unnoted, the copy set aside would be lost to a rollback.
        const uint32_t error = LastSystemError();
        const bool back = copyfiles::MoveReplacing(backup.c_str(), path.c_str());
        LogLine(LogKind::Failure, "cannot note %s in the journal %s%s: %s%s", path.c_str(), folder_.c_str(),
                kFileName, SystemReason(error).c_str(), back ? "" : " (and it stays set aside)");
        return false;
    }
    LogLine(LogKind::File, "set aside %s -> %s", path.c_str(), backup.c_str());
    ++backups_;
    return true;
}

std::vector<std::string> CopyJournal::RollBack() {
    std::vector<Note> left;
    for (auto note = notes_.rbegin(); note != notes_.rend(); ++note) {
        const char* path = note->path.c_str();
        switch (note->kind) {
            case Kind::Folder:
                // Something that is not ours keeps it, and it stays.
                if (copyfiles::RemoveEmptyFolder(path)) LogLine(LogKind::Rollback, "removed folder %s", path);
                break;
            case Kind::Created:
                if (!RemoveLogged(LogKind::Rollback, note->path)) left.push_back(*note);
                break;
            case Kind::Replaced:
                if (copyfiles::MoveReplacing(note->backup.c_str(), path)) {
                    LogLine(LogKind::Rollback, "restored %s <- %s", path, note->backup.c_str());
                } else {
                    LogLine(LogKind::Failure, "cannot restore %s <- %s: %s", path, note->backup.c_str(),
                            SystemReason(LastSystemError()).c_str());
                    left.push_back(*note);
                }
                break;
        }
    }
    std::reverse(left.begin(), left.end());
    std::vector<std::string> paths;
    for (const Note& note : left) paths.push_back(note.path);
    Close(left);
    return paths;
}

void CopyJournal::Discard() {
    for (const Note& note : notes_) {
        if (note.kind == Kind::Replaced) RemoveLogged(LogKind::File, note.backup);
    }
    Close({});
}

void CopyJournal::Close(const std::vector<Note>& left) {
    notes_.clear();
    noted_.clear();
    backups_ = 0;
    if (folder_.empty()) return;
    const std::string journal = folder_ + kFileName;
    if (left.empty()) {
        copyfiles::RemoveFile(journal.c_str());
        copyfiles::RemoveEmptyFolder(folder_.c_str());
    } else if (copyfiles::OwnedFile(copyfiles::CreateDestination(journal.c_str())).Valid()) {
        // The journal now lists just what is still to be undone.
        for (const Note& note : left) Append(note);
    }
    folder_.clear();
}

}  // namespace installer
