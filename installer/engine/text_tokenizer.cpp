#include "installer/engine/text_tokenizer.h"

#include "installer/engine/settings_table.h"

namespace installer {

void TextTokenizer::SetLine(const char* line, const char* separators, char quote) {
    line_.assign(line != nullptr ? line : "");
    separators_.assign(separators != nullptr ? separators : "");
    quote_ = quote;
    position_ = 0;
    token_.clear();
}

bool TextTokenizer::IsSeparator(char c) const {
    return separators_.find(c) != std::string::npos;
}

const char* TextTokenizer::NextToken() {
    const size_t end = line_.size();
    while (position_ < end && IsSeparator(line_[position_])) ++position_;
    if (position_ >= end) return nullptr;

    size_t start;
    size_t stop;
    if (line_[position_] == quote_) {
        start = position_ + 1;
        stop = start;
        while (stop < end && line_[stop] != quote_) ++stop;
    } else {
        start = position_;
        stop = start;
        while (stop < end && !IsSeparator(line_[stop])) ++stop;
    }
    token_.assign(line_, start, stop - start);
    // The character that ended the token (closing quote or separator) goes too.
    position_ = stop < end ? stop + 1 : end;
    return token_.empty() ? nullptr : token_.c_str();
}

int32_t TextTokenizer::NextInt() {
    const char* token = NextToken();
    return token != nullptr ? ParseLenientInt32(token) : 0;
}

}  // namespace installer
