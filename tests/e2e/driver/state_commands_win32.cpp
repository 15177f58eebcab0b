// The scenario commands that look at everything a run may have left in a
// place at once: a folder with all its files, or a registry key with all its
// values. mark-state and expect-unchanged show that a refused run changed
// nothing; expect-logged that the install log names every file and value a
// run left.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>

#include "tests/e2e/driver/driver_win32.h"
#include "tests/e2e/driver/log_lines.h"
#include "tests/e2e/driver/registry_win32.h"

namespace e2e {
namespace {

// What a place holds: each file, folder or value by its name below the
// place, with a text that changes when its size, bytes or type do. A folder
// that is not there holds only the name "" (kAbsent).
using PlaceState = std::map<std::string, std::string>;

constexpr char kAbsent[] = "(nothing there)";

bool IsRegistryPlace(const std::string& place) {
    HKEY root;
    std::string sub;
    return ParseRegistryKey(place, &root, &sub);
}

// The FNV-1a hash of the first `size` bytes of a file, the size its folder
// lists (a link to a device such as /dev/full would read for ever); false
// when they cannot be read.
bool HashFile(const std::string& path, uint64_t size, uint64_t* hash) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    uint64_t h = 14695981039346656037ull;
    char buffer[65536];
    while (size > 0) {
        const std::streamsize want = static_cast<std::streamsize>(std::min<uint64_t>(size, sizeof buffer));
        if (!file.read(buffer, want)) return false;
        for (std::streamsize i = 0; i < want; ++i) {
            h = (h ^ static_cast<unsigned char>(buffer[i])) * 1099511628211ull;
        }
        size -= static_cast<uint64_t>(want);
    }
    *hash = h;
    return true;
}

// Adds every file and folder below `folder` to `state`, named after
// `prefix` (folders with their final backslash). False when one cannot be read.
bool ListFolder(const std::string& folder, const std::string& prefix, PlaceState* state) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    bool ok = true;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            (*state)[prefix + name + "\\"] = "folder";
            ok = ListFolder(path, prefix + name + "\\", state) && ok;
            continue;
        }
        const uint64_t size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        uint64_t hash = 0;
        ok = HashFile(path, size, &hash) && ok;
        char text[64];
        std::snprintf(text, sizeof text, "%llu bytes, hash %016llx", static_cast<unsigned long long>(size),
                      static_cast<unsigned long long>(hash));
        (*state)[prefix + name] = text;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return ok;
}

std::string DescribeValue(const RegistryEntry& value) {
    static const char digits[] = "0123456789abcdef";
    std::string text = "type " + std::to_string(value.type) + ":";
    for (unsigned char b : value.data) {
        text += ' ';
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

// Everything `place` holds now.
bool ReadPlace(const std::string& place, PlaceState* state, std::string* error) {
    state->clear();
    if (IsRegistryPlace(place)) {
        // A key holds what its values hold: an empty key reads as an absent
        // one. (The welcome page's write test leaves the game key behind, empty.)
        if (!RegistryKeyExists(place)) return true;
        std::vector<RegistryEntry> values;
        if (!ListRegistryValues(place, &values)) {
            *error = "cannot read the values of " + Quote(place);
            return false;
        }
        for (const RegistryEntry& value : values) (*state)[value.name] = DescribeValue(value);
        return true;
    }
    const std::string folder = ToWindowsPath(place);
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        (*state)[""] = kAbsent;
        return true;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        *error = Quote(folder) + " is a file; mark-state and expect-logged take folders and registry keys";
        return false;
    }
    if (!ListFolder(folder, "", state)) {
        *error = "cannot read everything in " + Quote(folder);
        return false;
    }
    return true;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// "HKEY_LOCAL_MACHINE\..." written with the short root name the log uses.
std::string ShortRootName(const std::string& key) {
    static const std::pair<const char*, const char*> roots[] = {{"HKEY_LOCAL_MACHINE\\", "HKLM\\"},
                                                                {"HKEY_CURRENT_USER\\", "HKCU\\"},
                                                                {"HKEY_CLASSES_ROOT\\", "HKCR\\"}};
    for (const auto& [longName, shortName] : roots) {
        const std::string prefix = longName;
        if (key.compare(0, prefix.size(), prefix) == 0) return shortName + key.substr(prefix.size());
    }
    return key;
}

std::string WithoutFinalBackslash(std::string path) {
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

}  // namespace

bool Driver::State(const std::vector<std::string>& w, std::string* error) {
    if (w[0] == "mark-state") {
        markedState_.clear();
        for (size_t i = 1; i < w.size(); ++i) {
            if (!ReadPlace(w[i], &markedState_[w[i]], error)) return false;
        }
        return true;
    }
    if (w[0] == "expect-unchanged") {
        if (markedState_.empty()) {
            *error = "nothing marked (mark-state first)";
            return false;
        }
        std::string changes;
        for (const auto& [place, before] : markedState_) {
            PlaceState now;
            if (!ReadPlace(place, &now, error)) return false;
            const std::string root =
                WithoutFinalBackslash(IsRegistryPlace(place) ? place : ToWindowsPath(place));
            auto report = [&](const std::string& name, const std::string& what) {
                changes += "\n  " + (name.empty() ? root : root + "\\" + name) + ": " + what;
            };
            for (const auto& [name, was] : before) {
                auto it = now.find(name);
                if (it == now.end()) {
                    report(name, name.empty() ? "there now, not before" : "gone (was " + was + ")");
                } else if (it->second != was) {
                    report(name, it->second + ", was " + was);
                }
            }
            for (const auto& [name, is] : now) {
                if (!before.count(name)) report(name, name.empty() ? "gone" : "new (" + is + ")");
            }
        }
        if (!changes.empty()) *error = "changed since mark-state:" + changes;
        return changes.empty();
    }
    // expect-logged LOG PLACE
    std::ifstream file(ToWindowsPath(w[1]), std::ios::binary);
    if (!file) {
        *error = "cannot read the log " + Quote(ToWindowsPath(w[1]));
        return false;
    }
    const std::string log((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const bool registry = IsRegistryPlace(w[2]);
    const std::string root = WithoutFinalBackslash(registry ? ShortRootName(w[2]) : ToWindowsPath(w[2]));
    PlaceState state;
    if (!ReadPlace(w[2], &state, error)) return false;
    const std::vector<std::string> texts = LogTexts(log, registry ? "registry" : "file");
    std::string missing;
    size_t checked = 0;
    for (const auto& [name, description] : state) {
        // Files and values are what a run writes; folders and absence are not.
        if (name.empty() || name.back() == '\\') continue;
        ++checked;
        const std::string full = Lower(root + "\\" + name);
        if (std::none_of(texts.begin(), texts.end(),
                         [&](const std::string& text) { return NamesWhole(text, full); }))
            missing += "\n  " + root + "\\" + name;
    }
    if (checked == 0) {
        *error = "there is nothing in " + Quote(root) + " to look for in the log";
        return false;
    }
    if (!missing.empty()) {
        *error = std::string("no ") + (registry ? "registry" : "file") + " line of the log names" + missing;
        return false;
    }
    return true;
}

}  // namespace e2e
