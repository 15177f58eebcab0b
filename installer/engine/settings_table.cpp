#include "installer/engine/settings_table.h"

#include <cstring>

namespace installer {

namespace {

// In index order; a key lookup scans them in this order.
constexpr const char* kKeys[SettingsTable::kCount] = {
    "game_name",
    "reg_path",
    "reg_idir_key",
    "reg_version_key",
    "version",
    "is_patch",
    "uninstall_item_name",
    "desktop_shortcut_name",
    "num_of_bilboards",
    "num_of_bilboards_per_cd",
    "shortcut_folder",
    "uninstall_folder_name",
    "require_lfl",
    "request_space_full",
    "request_space_compact",
    "request_space_backup",
    "current_request_space",
    "u_game_name",
    "validate_cd",
    "directx_name",
    "directxNT_name",
};

constexpr const char kGameNameToken[] = "%game_name";
constexpr const char kUGameNameToken[] = "%u_game_name";

bool InTable(Setting setting) {
    int index = static_cast<int>(setting);
    return index >= 0 && index < SettingsTable::kCount;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Replaces the first occurrence of `token` in the terminated text held by a
// buffer of `capacity` bytes with `value`; the result is cut to fit.
void ReplaceFirst(char* text, size_t capacity, const char* token, const char* value) {
    char* hit = std::strstr(text, token);
    if (hit == nullptr) return;

    size_t before = static_cast<size_t>(hit - text);
    size_t tokenLength = std::strlen(token);
    size_t valueLength = std::strlen(value);
    size_t afterLength = std::strlen(hit + tokenLength);
    size_t maxLength = capacity - 1;

    // The value lands right after `before`; what follows it moves up or down.
    size_t valueKept = valueLength;
    if (maxLength - before < valueKept) valueKept = maxLength - before;
    size_t afterStart = before + valueKept;
    size_t afterKept = afterLength;
    if (maxLength - afterStart < afterKept) afterKept = maxLength - afterStart;

    std::memmove(text + afterStart, hit + tokenLength, afterKept);
    std::memcpy(text + before, value, valueKept);
    text[afterStart + afterKept] = '\0';
}

}  // namespace

SettingsTable::SettingsTable() {
    Clear();
}

const char* SettingsTable::KeyOf(Setting setting) {
    return InTable(setting) ? kKeys[static_cast<int>(setting)] : nullptr;
}

bool SettingsTable::SetByKey(const char* key, const char* value) {
    if (key == nullptr) return false;
    for (int i = 0; i < kCount; ++i) {
        if (std::strcmp(kKeys[i], key) == 0) {
            Set(static_cast<Setting>(i), value);
            return true;
        }
    }
    return false;
}

void SettingsTable::Set(Setting setting, const char* value) {
    if (value == nullptr || !InTable(setting)) return;
    char* slot = values_[static_cast<int>(setting)];
    size_t length = strnlen(value, kMaxValueLength);
    // The value may be the slot's own text (set from Text()); memmove copes.
    std::memmove(slot, value, length);
    slot[length] = '\0';
}

void SettingsTable::Clear() {
    std::memset(values_, 0, sizeof values_);
}

const char* SettingsTable::Text(Setting setting) const {
    return InTable(setting) ? values_[static_cast<int>(setting)] : "";
}

bool SettingsTable::Bool(Setting setting) const {
    return std::strncmp(Text(setting), "true", 4) == 0;
}

int32_t SettingsTable::Int(Setting setting) const {
    return ParseLenientInt32(Text(setting));
}

int64_t SettingsTable::Int64(Setting setting) const {
    return ParseLenientInt64(Text(setting));
}

char* SettingsTable::SubstituteNames(char* text) const {
    if (text == nullptr) return nullptr;
    // A buffer without a terminator is cut to its last byte first.
    if (strnlen(text, kTextBufferSize) == kTextBufferSize) text[kTextBufferSize - 1] = '\0';
    ReplaceFirst(text, kTextBufferSize, kGameNameToken, Text(Setting::GameName));
    ReplaceFirst(text, kTextBufferSize, kUGameNameToken, Text(Setting::UGameName));
    return text;
}

int64_t ParseLenientInt64(const char* text) {
    if (text == nullptr) return 0;
    while (IsBlank(*text)) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') {
        negative = *text == '-';
        ++text;
    }
    // Accumulate the magnitude as unsigned; saturate rather than wrap.
    const uint64_t limit = negative ? static_cast<uint64_t>(INT64_MAX) + 1 : static_cast<uint64_t>(INT64_MAX);
    uint64_t magnitude = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        unsigned digit = static_cast<unsigned>(*text - '0');
        if ((limit - digit) / 10 < magnitude) {
            magnitude = limit;
            break;
        }
        magnitude = magnitude * 10 + digit;
    }
    if (!negative) return static_cast<int64_t>(magnitude);
    if (magnitude == static_cast<uint64_t>(INT64_MAX) + 1) return INT64_MIN;
    return -static_cast<int64_t>(magnitude);
}

int32_t ParseLenientInt32(const char* text) {
    int64_t value = ParseLenientInt64(text);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

}  // namespace installer
