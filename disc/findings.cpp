#include "disc/findings.h"

#include <algorithm>

namespace disc {

void Findings::Error(const std::string& where, uint32_t line, const std::string& message) {
    all_.push_back(Finding{Severity::Error, where, line, message});
}

void Findings::Warning(const std::string& where, uint32_t line, const std::string& message) {
    all_.push_back(Finding{Severity::Warning, where, line, message});
}

size_t Findings::Errors() const {
    return static_cast<size_t>(std::count_if(all_.begin(), all_.end(),
                                             [](const Finding& f) { return f.severity == Severity::Error; }));
}

size_t Findings::Warnings() const {
    return all_.size() - Errors();
}

std::string Format(const Finding& finding) {
    std::string text = finding.where;
    if (finding.line > 0) text += ":" + std::to_string(finding.line);
    text += finding.severity == Severity::Error ? ": error: " : ": warning: ";
    return text + finding.message;
}

std::string Grouped(uint64_t value) {
    std::string digits = std::to_string(value);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

}  // namespace disc
