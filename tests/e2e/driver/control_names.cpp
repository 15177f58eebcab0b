#include "tests/e2e/driver/control_names.h"

#include <map>

#include "tests/e2e/driver/script.h"

namespace e2e {
namespace {

const std::map<std::string, int>& Names() {
    static const std::map<std::string, int> names = {
        // The buttons every dialog and message box may have.
        {"IDOK", 1},
        {"IDCANCEL", 2},
        {"IDYES", 6},
        {"IDNO", 7},
#include "control_names.inc"
    };
    return names;
}

}  // namespace

bool ParseControlId(const std::string& text, int* id) {
    auto named = Names().find(text);
    if (named != Names().end()) {
        *id = named->second;
        return true;
    }
    long long value = 0;
    if (!ParseInteger(text, &value) || value < 0 || value > 0xFFFF) return false;
    *id = static_cast<int>(value);
    return true;
}

std::string ControlIdName(int id) {
    std::string names;
    for (const auto& [name, value] : Names()) {
        if (value == id) names += (names.empty() ? "" : " or ") + name;
    }
    return std::to_string(id) + (names.empty() ? "" : " (" + names + ")");
}

}  // namespace e2e
