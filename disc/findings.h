// What `korvo-disc check` found: each problem with the file and line it is
// about, its weight and its reason, printed the way compilers print theirs.
#ifndef DISC_FINDINGS_H
#define DISC_FINDINGS_H

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace disc {

enum class Severity {
    Warning,  // PWsetup runs, but not as the author likely meant
    Error,    // PWsetup refuses, fails or installs something wrong
};

struct Finding {
    Severity severity = Severity::Error;
    std::string where;  // "idata.txt", or a file or folder of the set
    uint32_t line = 0;  // in `where`, from 1; 0 when no single line is at fault
    std::string message;
};

class Findings {
public:
    void Error(const std::string& where, uint32_t line, const std::string& message);
    void Warning(const std::string& where, uint32_t line, const std::string& message);

    const std::vector<Finding>& All() const { return all_; }
    size_t Errors() const;
    size_t Warnings() const;

private:
    std::vector<Finding> all_;
};

// "idata.txt:12: error: reason", or "where: warning: reason" without a line.
std::string Format(const Finding& finding);

// 1234567 -> "1,234,567".
std::string Grouped(uint64_t value);

}  // namespace disc

#endif  // DISC_FINDINGS_H
