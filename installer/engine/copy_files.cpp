// The copy worker's file operations: the installer's paths put into the
// system's spelling, then handed to the file layer.
#include "installer/engine/copy_files.h"

#include <string>

namespace installer::copyfiles {

namespace io = dta::io;

namespace {

// The path in the system's spelling; null stays null (and every operation
// below refuses it).
class SystemPath {
public:
    explicit SystemPath(const char* path) : valid_(path != nullptr), text_(valid_ ? path : "") {
        if (!text_.empty()) io::ToSystemSeparators(&text_[0]);
    }
    const char* c_str() const { return valid_ ? text_.c_str() : nullptr; }

private:
    bool valid_;
    std::string text_;
};

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

}  // namespace

File OpenSource(const char* path) {
    return io::OpenRead(SystemPath(path).c_str(), false, io::Share::None);
}

File CreateDestination(const char* path) {
    return io::OpenWrite(SystemPath(path).c_str(), true, false);
}

bool CreateParentFolders(const char* path) {
    if (path == nullptr) return false;
    const std::string text(path);
    size_t last = std::string::npos;
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsSeparator(text[i])) last = i;
    }
    if (last == std::string::npos || last == 0) return true;
    // Each level in turn, from the top. A drive ("C:") or a level that exists
    // already refuses creation harmlessly; only the last level is checked.
    for (size_t i = 1; i <= last; ++i) {
        if (IsSeparator(text[i])) CreateFolder(text.substr(0, i).c_str());
    }
    return FolderExists(text.substr(0, last).c_str());
}

bool Size(File file, uint64_t* size) {
    return io::Size(file, size);
}

bool ReadExact(File file, void* buffer, uint32_t count) {
    uint32_t got = 0;
    return io::Read(file, buffer, count, &got) && got == count;
}

bool WriteAll(File file, const void* buffer, uint32_t count) {
    uint32_t written = 0;
    return io::Write(file, buffer, count, &written) && written == count;
}

void Close(File file) {
    if (file != kNoFile) io::Close(file);
}

File OpenAppend(const char* path) {
    return io::OpenAppend(SystemPath(path).c_str());
}

bool FileExists(const char* path) {
    const SystemPath native(path);
    return io::Exists(native.c_str()) && !io::IsFolder(native.c_str());
}

bool FolderExists(const char* path) {
    return io::IsFolder(SystemPath(path).c_str());
}

bool MoveReplacing(const char* from, const char* to) {
    return io::Move(SystemPath(from).c_str(), SystemPath(to).c_str());
}

bool RemoveFile(const char* path) {
    const SystemPath native(path);
    if (native.c_str() == nullptr) return false;
    // A file that cannot be deleted is still there; one that never was is not.
    return io::Delete(native.c_str()) || !io::Exists(native.c_str());
}

bool CreateFolder(const char* path) {
    return io::CreateFolder(SystemPath(path).c_str());
}

bool RemoveEmptyFolder(const char* path) {
    return io::RemoveFolder(SystemPath(path).c_str());
}

}  // namespace installer::copyfiles
