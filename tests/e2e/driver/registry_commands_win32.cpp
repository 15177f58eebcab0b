// The scenario commands that set up and check registry values.
#include <cstring>

#include "tests/e2e/driver/driver_win32.h"
#include "tests/e2e/driver/registry_win32.h"

namespace e2e {
namespace {

// Limit and pace of wait-reg.
constexpr DWORD kRegistryWaitMs = 30000;
constexpr DWORD kRegistryPollMs = 50;

bool ParseType(const std::string& text, DWORD* type) {
    if (text == "sz") {
        *type = REG_SZ;
    } else if (text == "dword") {
        *type = REG_DWORD;
    } else if (text == "binary") {
        *type = REG_BINARY;
    } else {
        return false;
    }
    return true;
}

std::string Hex(const std::vector<unsigned char>& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        if (!out.empty()) out += ' ';
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

}  // namespace

bool Driver::Registry(const std::vector<std::string>& w, std::string* error) {
    const std::string& c = w[0];
    const std::string& key = w[1];
    const std::string name = w.size() > 2 ? w[2] : "";
    const std::string where = key + " " + name;
    HKEY root;
    std::string sub;
    if (!ParseRegistryKey(key, &root, &sub)) {
        *error = "bad registry key " + key;
        return false;
    }
    if (c == "reg-delete") {
        bool ok = w.size() > 2 ? DeleteRegistryValue(key, name) : DeleteRegistryKey(key);
        if (!ok) *error = "cannot delete " + where;
        return ok;
    }
    if (c == "reg-create-volatile") {
        // Non-volatile keys cannot be created below a volatile one: a way to
        // make a program's registry write fail.
        if (!CreateVolatileRegistryKey(key)) {
            *error = "cannot create the volatile key " + key;
            return false;
        }
        return true;
    }
    if (c == "reg-set") {
        DWORD type = 0;
        std::vector<unsigned char> data;
        // binary-text: a text and its terminating zero stored as REG_BINARY,
        // the way the installer keeps its values.
        const bool binaryText = w[3] == "binary-text";
        if (!binaryText && !ParseType(w[3], &type)) {
            *error = "the type must be sz, dword, binary or binary-text";
            return false;
        }
        long long number = 0;
        if (binaryText) {
            type = REG_BINARY;
            data.assign(w[4].begin(), w[4].end());
            data.push_back(0);
        } else if (type == REG_SZ) {
            data.assign(w[4].begin(), w[4].end());
            data.push_back(0);
        } else if (type == REG_DWORD) {
            if (!ParseInteger(w[4], &number) || number < 0 || number > 0xFFFFFFFFll) {
                *error = "bad dword " + w[4];
                return false;
            }
            for (int i = 0; i < 4; ++i) data.push_back(static_cast<unsigned char>(number >> (8 * i)));
        } else if (!ParseHexBytes(w[4], &data)) {
            *error = "bad hex bytes " + w[4];
            return false;
        }
        if (!WriteRegistryValue(key, name, type, data)) {
            *error = "cannot write " + where;
            return false;
        }
        return true;
    }

    DWORD type = 0;
    std::vector<unsigned char> data;
    bool present = ReadRegistryValue(key, name, &type, &data);
    if (c == "wait-reg") {
        // For values that another program writes in its own time.
        const DWORD start = GetTickCount();
        while (!present && GetTickCount() - start < kRegistryWaitMs) {
            Sleep(kRegistryPollMs);
            present = ReadRegistryValue(key, name, &type, &data);
        }
        if (!present) *error = "no value " + where + " appeared";
        return present;
    }
    if (c == "expect-reg-absent") {
        if (present) *error = where + " exists: " + Hex(data);
        return !present;
    }
    if (!present) {
        *error = "there is no value " + where;
        return false;
    }
    if (c == "expect-reg-type") {
        DWORD expected = 0;
        if (!ParseType(w[3], &expected)) {
            *error = "the type must be sz, dword or binary";
            return false;
        }
        if (type != expected) *error = where + " has type " + std::to_string(type) + ", expected " + w[3];
        return type == expected;
    }
    if (c == "expect-reg-size") {
        long long size = 0;
        if (!ParseInteger(w[3], &size)) {
            *error = "bad size " + w[3];
            return false;
        }
        if (static_cast<long long>(data.size()) != size) {
            *error = where + " holds " + std::to_string(data.size()) + " bytes, expected " + w[3];
            return false;
        }
        return true;
    }
    if (c == "expect-reg-text") {
        std::vector<unsigned char> expected(w[3].begin(), w[3].end());
        expected.push_back(0);
        if (data != expected) {
            std::string shown(data.begin(), data.end());
            *error = where + " holds " + Quote(shown) + " (" + Hex(data) + "), expected " + Quote(w[3]) +
                     " and a terminating zero";
        }
        return data == expected;
    }
    if (c == "expect-reg") {
        std::vector<unsigned char> expected;
        if (!ParseHexBytes(w[3], &expected)) {
            *error = "bad hex bytes " + w[3];
            return false;
        }
        if (data != expected) *error = where + " holds " + Hex(data) + ", expected " + Hex(expected);
        return data == expected;
    }
    // expect-reg-bytes and expect-reg-u32: a piece at an offset.
    long long offset = 0;
    if (!ParseInteger(w[3], &offset) || offset < 0) {
        *error = "bad offset " + w[3];
        return false;
    }
    std::vector<unsigned char> expected;
    if (c == "expect-reg-bytes") {
        if (!ParseHexBytes(w[4], &expected)) {
            *error = "bad hex bytes " + w[4];
            return false;
        }
    } else {
        long long number = 0;
        if (!ParseInteger(w[4], &number) || number < 0 || number > 0xFFFFFFFFll) {
            *error = "bad number " + w[4];
            return false;
        }
        for (int i = 0; i < 4; ++i) expected.push_back(static_cast<unsigned char>(number >> (8 * i)));
    }
    if (data.size() < static_cast<unsigned long long>(offset) || data.size() - offset < expected.size()) {
        *error = where + " holds only " + std::to_string(data.size()) + " bytes";
        return false;
    }
    std::vector<unsigned char> actual(data.begin() + offset, data.begin() + offset + expected.size());
    if (actual != expected) {
        *error = where + " holds " + Hex(actual) + " at offset " + w[3] + ", expected " + Hex(expected);
        return false;
    }
    return true;
}

}  // namespace e2e
