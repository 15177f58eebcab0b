// The scenario commands that prepare and check files, folders and shell
// links. Paths are Windows paths; a Unix path ("/build/...") is reached
// through Wine's Z: drive.
#include <objbase.h>
#include <shlobj.h>

#include <fstream>
#include <iterator>

#include "tests/e2e/driver/driver_win32.h"
#include "tests/e2e/driver/remote_window_win32.h"

namespace e2e {
namespace {

// Bounds what a scenario compares; the demo's files are a few MiB.
constexpr std::streamoff kMaxCompareBytes = 64ll << 20;

bool ReadWholeFile(const std::string& path, std::string* bytes) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) return false;
    const std::streamoff size = file.tellg();
    if (size < 0 || size > kMaxCompareBytes) return false;
    bytes->resize(static_cast<size_t>(size));
    file.seekg(0);
    return static_cast<bool>(file.read(&(*bytes)[0], size)) || size == 0;
}

// 0 when nothing is there, else FILE_ATTRIBUTE_DIRECTORY or FILE_ATTRIBUTE_NORMAL.
DWORD Kind(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

bool MakeFolders(const std::string& path) {
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\') {
            const std::string level = path.substr(0, i);
            // Drive names ("C:") and the empty text before a root need nothing.
            if (level.empty() || level.back() == ':') continue;
            if (!CreateDirectoryA(level.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
                return false;
        }
    }
    return Kind(path) == FILE_ATTRIBUTE_DIRECTORY;
}

// Releases a COM interface when it goes out of scope.
template <typename T>
class Com {
public:
    Com() = default;
    ~Com() {
        if (p_) p_->Release();
    }
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    T** out() { return &p_; }
    T* operator->() const { return p_; }

private:
    T* p_ = nullptr;
};

bool ReadLink(const std::string& path, std::string* target, std::string* folder, std::string* error) {
    Com<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(link.out())))) {
        *error = "cannot create a shell link object";
        return false;
    }
    Com<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.out())))) {
        *error = "the shell link object cannot load files";
        return false;
    }
    if (FAILED(file->Load(Widen(path).c_str(), STGM_READ))) {
        *error = "there is no shell link " + path;
        return false;
    }
    char text[MAX_PATH * 2] = {};
    if (FAILED(link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH))) text[0] = '\0';
    *target = text;
    text[0] = '\0';
    if (FAILED(link->GetWorkingDirectory(text, sizeof text))) text[0] = '\0';
    *folder = text;
    return true;
}

}  // namespace

bool Driver::Files(const std::vector<std::string>& w, std::string* error) {
    const std::string& c = w[0];
    const std::string path = ToWindowsPath(w[1]);
    const std::string other = w.size() > 2 ? ToWindowsPath(w[2]) : "";
    const DWORD kind = Kind(path);
    if (c == "copy-file" || c == "move-file") {
        const BOOL ok = c == "copy-file" ? CopyFileA(path.c_str(), other.c_str(), FALSE)
                                         : MoveFileExA(path.c_str(), other.c_str(),
                                                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
        if (!ok) {
            *error = "cannot " + c.substr(0, 4) + " " + Quote(path) + " to " + Quote(other) + " (error " +
                     std::to_string(GetLastError()) + ")";
        }
        return ok != FALSE;
    }
    if (c == "delete-file") {
        if (!DeleteFileA(path.c_str())) {
            *error = "cannot delete " + Quote(path) + " (error " + std::to_string(GetLastError()) + ")";
            return false;
        }
        return true;
    }
    if (c == "make-folder") {
        if (!MakeFolders(path)) {
            *error = "cannot create the folder " + Quote(path);
            return false;
        }
        return true;
    }
    if (c == "make-read-only") {
        if (kind != FILE_ATTRIBUTE_NORMAL ||
            !SetFileAttributesA(path.c_str(), GetFileAttributesA(path.c_str()) | FILE_ATTRIBUTE_READONLY)) {
            *error =
                "cannot make " + Quote(path) + " read-only (error " + std::to_string(GetLastError()) + ")";
            return false;
        }
        return true;
    }
    if (c == "expect-no-file") {
        if (kind != 0) {
            *error = std::string(kind == FILE_ATTRIBUTE_DIRECTORY ? "a folder" : "a file") + " is at " +
                     Quote(path);
        }
        return kind == 0;
    }
    if (c == "expect-folder") {
        if (kind != FILE_ATTRIBUTE_DIRECTORY) *error = "there is no folder " + Quote(path);
        return kind == FILE_ATTRIBUTE_DIRECTORY;
    }
    if (c == "expect-link") {
        std::string target, folder;
        if (!ReadLink(path, &target, &folder, error)) return false;
        if (target != other) {
            *error = "the link " + Quote(path) + " points to " + Quote(target) + ", expected " + Quote(other);
            return false;
        }
        if (w.size() > 3 && folder != w[3]) {
            *error = "the link " + Quote(path) + " starts in " + Quote(folder) + ", expected " + Quote(w[3]);
            return false;
        }
        return true;
    }
    // expect-file [SAME-AS]
    if (kind != FILE_ATTRIBUTE_NORMAL) {
        *error = "there is no file " + Quote(path);
        return false;
    }
    if (w.size() < 3) return true;
    std::string mine, theirs;
    if (!ReadWholeFile(path, &mine) || !ReadWholeFile(other, &theirs)) {
        *error = "cannot read " + Quote(path) + " and " + Quote(other);
        return false;
    }
    if (mine != theirs) {
        size_t at = 0;
        while (at < mine.size() && at < theirs.size() && mine[at] == theirs[at]) ++at;
        *error = Quote(path) + " (" + std::to_string(mine.size()) + " bytes) differs from " + Quote(other) +
                 " (" + std::to_string(theirs.size()) + " bytes) from byte " + std::to_string(at) + " on";
        return false;
    }
    return true;
}

}  // namespace e2e
