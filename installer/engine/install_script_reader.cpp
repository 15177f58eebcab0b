// Reading the install script through the archive library.
#include <memory>
#include <new>

#include "dta/dta.h"
#include "dta/dta_handle.h"
#include "installer/engine/install_script.h"

namespace installer {

namespace {

constexpr uint32_t kSeekBegin = 0;
constexpr uint32_t kSeekEnd = 2;

}  // namespace

bool ReadInstallScript(const InstallScriptTarget& target) {
    dta::ScopedHandle file(dtaOpen(kScriptName, 0));
    if (!file.Valid()) return false;

    int32_t size = dtaSeek(file.Get(), 0, kSeekEnd);
    if (size < 1 || size > kMaxScriptSize) return false;
    if (dtaSeek(file.Get(), 0, kSeekBegin) != 0) return false;

    std::unique_ptr<char[]> text(new (std::nothrow) char[static_cast<size_t>(size)]);
    if (!text) return false;
    // A short read is a failed read: half a script would install half a game.
    int32_t got = 0;
    while (got < size) {
        int32_t read = dtaRead(file.Get(), text.get() + got, static_cast<uint32_t>(size - got));
        if (read <= 0) return false;
        got += read;
    }
    return ParseInstallScript(text.get(), static_cast<size_t>(size), target);
}

bool ReadInstallScript() {
    return ReadInstallScript(ProcessScriptTarget());
}

}  // namespace installer
