// Shell special folders and the game's folder in Programs.
#include "installer/records/shortcuts_folders_win32.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>

namespace installer {

using korvo::PathBuilder;

namespace {

// Owner of an item list that the shell allocated with the task allocator.
class ItemList {
public:
    ItemList() = default;
    ~ItemList() { CoTaskMemFree(list_); }
    ItemList(const ItemList&) = delete;
    ItemList& operator=(const ItemList&) = delete;

    LPITEMIDLIST* Receive() { return &list_; }
    LPCITEMIDLIST get() const { return list_; }

private:
    LPITEMIDLIST list_ = nullptr;
};

}  // namespace

bool GetSpecialFolder(int csidl, PathBuilder& out) {
    out = PathBuilder();
    ItemList list;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, list.Receive())) || list.get() == nullptr)
        return false;
    char path[MAX_PATH] = {};
    if (!SHGetPathFromIDListA(list.get(), path) || path[0] == '\0') return false;
    PathBuilder folder(path);
    folder.EnsureBackslash();
    if (!folder.ok()) return false;
    out = folder;
    return true;
}

bool GetDesktopFolder(PathBuilder& out) {
    return GetSpecialFolder(CSIDL_DESKTOPDIRECTORY, out);
}

bool GetProgramsFolder(PathBuilder& out) {
    return GetSpecialFolder(CSIDL_PROGRAMS, out);
}

bool AppendShortcutFolder(PathBuilder& folder, const char* levels, bool create) {
    if (levels == nullptr) return folder.ok();
    for (const char* c = levels; *c != '\0' && folder.ok(); ++c) {
        if (*c == '\\' && create) CreateDirectoryA(folder.c_str(), nullptr);
        folder.Append(*c);
    }
    return folder.ok();
}

size_t ShortcutFolderLength(const char* levels) {
    if (levels == nullptr) return 0;
    const char* last = std::strrchr(levels, '\\');
    return last == nullptr ? 0 : static_cast<size_t>(last - levels) + 1;
}

}  // namespace installer
