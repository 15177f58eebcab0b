// The installer's fixed table of 21 named settings, filled by the install
// script's `var` lines, and the typed readings the rest of the program uses.
//
// Keys are fixed ASCII names compared exactly and case-sensitively; a lookup
// scans them in index order. Every value is a text of at most 511 characters
// held in a 512-byte slot of the table; it starts empty. Nothing here fails
// loudly: a missing value reads as the empty text, false or 0.
#ifndef INSTALLER_ENGINE_SETTINGS_TABLE_H
#define INSTALLER_ENGINE_SETTINGS_TABLE_H

#include <cstddef>
#include <cstdint>

namespace installer {

// Index of each setting; the order is the table order (and the scan order of
// a lookup by key).
enum class Setting : int {
    GameName = 0,         // "game_name": display name; replaces %game_name
    RegPath,              // "reg_path": HKLM key of the installed game
    RegIdirKey,           // "reg_idir_key": value name of the installed folder
    RegVersionKey,        // "reg_version_key": value name of the installed version
    Version,              // "version": this package's version
    IsPatch,              // "is_patch": boolean
    UninstallItemName,    // "uninstall_item_name"
    DesktopShortcutName,  // "desktop_shortcut_name"
    NumOfBilboards,       // "num_of_bilboards": integer
    NumOfBilboardsPerCd,  // "num_of_bilboards_per_cd": integer
    ShortcutFolder,       // "shortcut_folder"
    UninstallFolderName,  // "uninstall_folder_name"
    RequireLfl,           // "require_lfl": boolean
    RequestSpaceFull,     // "request_space_full": 64-bit integer
    RequestSpaceCompact,  // "request_space_compact": 64-bit integer
    RequestSpaceBackup,   // "request_space_backup": 64-bit integer
    CurrentRequestSpace,  // "current_request_space": 64-bit, written by the program
    UGameName,            // "u_game_name": replaces %u_game_name
    ValidateCd,           // "validate_cd": boolean
    DirectxName,          // "directx_name"
    DirectxNTName,        // "directxNT_name"
};

class SettingsTable {
public:
    static constexpr int kCount = 21;
    static constexpr size_t kMaxValueLength = 511;
    static constexpr size_t kValueSlotSize = kMaxValueLength + 1;
    // Size of the caller's text buffer that SubstituteNames works on.
    static constexpr size_t kTextBufferSize = 1024;

    // All 21 values empty.
    SettingsTable();

    // The key of `setting`, or null for an index outside 0..20.
    static const char* KeyOf(Setting setting);

    // Looks `key` up (first equal key in index order, case-sensitive) and, when
    // `value` is not null, stores it, cut to 511 characters. Returns whether
    // the key is in the table; an unknown or null key changes nothing.
    bool SetByKey(const char* key, const char* value);

    // Stores `value` (cut to 511 characters) in entry `setting`. A null value
    // or an index outside the table changes nothing.
    void Set(Setting setting, const char* value);

    // Empties every value again.
    void Clear();

    // The stored text; the empty text for an index outside the table. The
    // pointer stays valid for the table's life; its text changes with Set.
    const char* Text(Setting setting) const;

    // True exactly when the first four characters are "true" (case-sensitive).
    bool Bool(Setting setting) const;

    // The lenient decimal value of the text (see ParseLenientInt64), clamped
    // to the signed 32-bit range.
    int32_t Int(Setting setting) const;

    // The lenient decimal value of the text as a signed 64-bit number.
    int64_t Int64(Setting setting) const;

    // Replaces, in place, the first "%game_name" with the value of game_name
    // and then the first "%u_game_name" with the value of u_game_name. `text`
    // is a buffer of kTextBufferSize bytes; the result is cut to 1023
    // characters and always terminated (also when the buffer held no
    // terminator). Returns `text`; null stays null.
    char* SubstituteNames(char* text) const;

private:
    char values_[kCount][kValueSlotSize];
};

// The usual lenient decimal conversion: optional leading white space, an
// optional sign, then digits up to the first non-digit; no digits give 0.
// Values beyond the signed 64-bit range saturate instead of wrapping. A null
// text gives 0.
int64_t ParseLenientInt64(const char* text);

// The same, clamped to the signed 32-bit range.
int32_t ParseLenientInt32(const char* text);

}  // namespace installer

#endif  // INSTALLER_ENGINE_SETTINGS_TABLE_H
