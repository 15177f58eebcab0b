#include "tests/e2e/driver/log_lines.h"

#include <cctype>

namespace e2e {

std::vector<std::string> LogTexts(const std::string& log, const std::string& kind) {
    std::vector<std::string> texts;
    size_t begin = 0;
    while (begin < log.size()) {
        size_t end = log.find('\n', begin);
        if (end == std::string::npos) end = log.size();
        std::string line = log.substr(begin, end - begin);
        begin = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t kindAt = line.find("  ");
        if (kindAt == std::string::npos) continue;
        const size_t textAt = line.find("  ", kindAt + 2);
        if (textAt == std::string::npos || line.compare(kindAt + 2, textAt - kindAt - 2, kind) != 0) continue;
        std::string text = line.substr(textAt + 2);
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        texts.push_back(std::move(text));
    }
    return texts;
}

bool NamesWhole(const std::string& text, const std::string& name) {
    static const std::string before = " \"'(=";
    static const std::string after = " \"'),;=";
    if (name.empty()) return false;
    for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
        const size_t end = at + name.size();
        if ((at == 0 || before.find(text[at - 1]) != std::string::npos) &&
            (end == text.size() || after.find(text[end]) != std::string::npos))
            return true;
    }
    return false;
}

}  // namespace e2e
