// A bounded path text for building link, file and folder paths.
//
// Paths are built in buffers of kPathTextSize characters (terminating zero
// included). An append that does not fit leaves the text unchanged and marks
// the path as overflowed; callers check ok() once before using the result, so
// a cut path is never used.
#ifndef INSTALLER_WIZARD_SHORTCUTS_PATH_H
#define INSTALLER_WIZARD_SHORTCUTS_PATH_H

#include <cstddef>
#include <cstring>

namespace installer {

inline constexpr size_t kPathTextSize = 1024;

class PathText {
public:
    PathText() { text_[0] = '\0'; }
    explicit PathText(const char* text) : PathText() { Append(text); }

    const char* c_str() const { return text_; }
    size_t length() const { return length_; }
    bool empty() const { return length_ == 0; }
    // False once any append did not fit (or was given a null text).
    bool ok() const { return ok_; }
    bool EndsWithBackslash() const { return length_ > 0 && text_[length_ - 1] == '\\'; }

    PathText& Append(const char* text) { return Append(text, text == nullptr ? 0 : std::strlen(text)); }

    // Appends the first `n` characters of `text` (which holds at least n).
    PathText& Append(const char* text, size_t n) {
        if (text == nullptr) {
            ok_ = false;
            return *this;
        }
        // One byte stays for the terminating zero.
        if (kPathTextSize - 1 - length_ < n) {
            ok_ = false;
            return *this;
        }
        std::memcpy(text_ + length_, text, n);
        length_ += n;
        text_[length_] = '\0';
        return *this;
    }

    PathText& Append(char c) {
        const char text[2] = {c, '\0'};
        return Append(text);
    }

    // Adds a backslash unless the text already ends with one.
    PathText& EnsureBackslash() { return EndsWithBackslash() ? *this : Append('\\'); }

    // Joins a name with exactly one backslash between folder and name.
    PathText& Join(const char* name) { return EnsureBackslash().Append(name); }

    // Drops trailing backslashes, so the text names the folder itself.
    PathText& StripTrailingBackslashes() {
        while (EndsWithBackslash()) text_[--length_] = '\0';
        return *this;
    }

private:
    char text_[kPathTextSize];
    size_t length_ = 0;
    bool ok_ = true;
};

}  // namespace installer

#endif  // INSTALLER_WIZARD_SHORTCUTS_PATH_H
