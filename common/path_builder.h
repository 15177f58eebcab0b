// Builds link, file, folder and registry key paths in a fixed buffer.
//
// Paths are built in buffers of kPathBufferSize characters (terminating zero
// included). An append that does not fit leaves the text unchanged and marks
// the path as overflowed; callers check ok() once before using the result, so
// a cut path is never used.
#ifndef COMMON_PATH_BUILDER_H
#define COMMON_PATH_BUILDER_H

#include <cstddef>
#include <cstring>

namespace korvo {

inline constexpr size_t kPathBufferSize = 1024;

class PathBuilder {
public:
    PathBuilder() { text_[0] = '\0'; }
    explicit PathBuilder(const char* text) : PathBuilder() { Append(text); }

    const char* c_str() const { return text_; }
    size_t length() const { return length_; }
    bool empty() const { return length_ == 0; }
    // False once any append did not fit (or was given a null text).
    bool ok() const { return ok_; }
    bool EndsWithBackslash() const { return length_ > 0 && text_[length_ - 1] == '\\'; }

    PathBuilder& Append(const char* text) { return Append(text, text == nullptr ? 0 : std::strlen(text)); }

    // Appends the first `n` characters of `text` (which holds at least n).
    PathBuilder& Append(const char* text, size_t n) {
        if (text == nullptr) {
            ok_ = false;
            return *this;
        }
        // One byte stays for the terminating zero.
        if (kPathBufferSize - 1 - length_ < n) {
            ok_ = false;
            return *this;
        }
        std::memcpy(text_ + length_, text, n);
        length_ += n;
        text_[length_] = '\0';
        return *this;
    }

    PathBuilder& Append(char c) {
        const char text[2] = {c, '\0'};
        return Append(text);
    }

    // Adds a backslash unless the text already ends with one.
    PathBuilder& EnsureBackslash() { return EndsWithBackslash() ? *this : Append('\\'); }

    // Joins a name with exactly one backslash between folder and name.
    PathBuilder& Join(const char* name) { return EnsureBackslash().Append(name); }

    // Drops trailing backslashes, so the text names the folder itself.
    PathBuilder& StripTrailingBackslashes() {
        while (EndsWithBackslash()) text_[--length_] = '\0';
        return *this;
    }

private:
    char text_[kPathBufferSize];
    size_t length_ = 0;
    bool ok_ = true;
};

}  // namespace korvo

#endif  // COMMON_PATH_BUILDER_H
