// Registers the input as an archive with the installer's key words, then
// opens and reads every entry its directory names: forwards, after seeks
// backwards, and in pieces that cross block edges. Then inspects the same
// file: the directory checks, every entry's checks and its stream; an entry
// that streams whole must read the same through dtaOpen and dtaRead, since
// both go through one parser.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "dta/dta.h"
#include "dta/format.h"
#include "dta/installer_keys.h"
#include "dta/examine.h"
#include "dta/library_state.h"

#if defined(_WIN32)
#include <process.h>
#define KORVO_GETPID _getpid
#else
#include <unistd.h>
#define KORVO_GETPID getpid
#endif

namespace {

constexpr size_t kMaxInput = 1 << 20;
constexpr size_t kMaxEntries = 64;
constexpr uint32_t kMaxReadPerEntry = 256 * 1024;
constexpr uint32_t kKey1 = dta::kInstallerKey1;
constexpr uint32_t kKey2 = dta::kInstallerKey2;

const std::string& ArchivePath() {
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("fuzz_archive_" + std::to_string(KORVO_GETPID()) + ".dta"))
            .string();
    return path;
}

// The stored names of the directory's entries, read from the input itself.
std::vector<std::string> EntryNames(const uint8_t* data, size_t size) {
    namespace format = dta::format;
    std::vector<std::string> names;
    dta::detail::LockedState state;
    if (!state || state->archives.empty()) return names;
    const format::Key key = format::MakeKey(kKey1, kKey2);
    for (const dta::detail::DirEntry& entry : state->archives.back().directory) {
        if (names.size() == kMaxEntries) break;
        const size_t at = entry.entryHeaderOffset;
        if (at > size || size - at < format::entry_header::kSize) continue;
        uint8_t header[format::entry_header::kSize];
        std::memcpy(header, data + at, sizeof header);
        format::ScrambleRun(header, sizeof header, key);
        const size_t length = format::ReadLe16(header + format::entry_header::kNameField) &
                              format::entry_header::kNameLengthMask;
        if (length == 0 || size - at - format::entry_header::kSize < length) continue;
        std::vector<uint8_t> name(data + at + format::entry_header::kSize,
                                  data + at + format::entry_header::kSize + length);
        format::ScrambleRun(name.data(), name.size(), key);
        std::string text(name.begin(), name.end());
        // Names that could wander off into the disk's own files are left out.
        if (text.find_first_of(std::string("/:\0", 3)) != std::string::npos) continue;
        names.push_back(text);
    }
    return names;
}

void ReadEntry(const std::string& name) {
    const int32_t handle = dtaOpen(name.c_str(), 1);
    if (handle < 0) return;
    static std::vector<uint8_t> buffer(kMaxReadPerEntry + 1);
    const int32_t size = dtaSeek(handle, 0, 2);
    dtaSeek(handle, 0, 0);
    const uint32_t want = size > 0 ? std::min<uint32_t>(static_cast<uint32_t>(size), kMaxReadPerEntry) : 0;
    dtaRead(handle, buffer.data(), want);
    // Backwards through the blocks, then pieces across block edges.
    for (int32_t at = static_cast<int32_t>(want); at > 0; at -= 32768) {
        if (dtaSeek(handle, at - 1, 0) >= 0) dtaRead(handle, buffer.data(), 3);
    }
    dtaSeek(handle, 30000, 0);
    dtaRead(handle, buffer.data(), 40000);
    dtaRead(handle, buffer.data(), 70000);
    uint32_t time[2];
    dtaGetTime(handle, time, 0);
    dtaClose(handle);
}

// The whole entry through dtaOpen and dtaRead, or false.
bool ReadThroughExports(const std::string& name, std::vector<uint8_t>* data) {
    const int32_t handle = dtaOpen(name.c_str(), 1);
    if (handle < 0) return false;
    const int32_t size = dtaSeek(handle, 0, 2);
    bool ok = size >= 0 && dtaSeek(handle, 0, 0) == 0;
    if (ok) {
        data->resize(static_cast<size_t>(size));
        ok = size == 0 || dtaRead(handle, data->data(), static_cast<uint32_t>(size)) == size;
    }
    dtaClose(handle);
    return ok;
}

void Inspect(bool registered) {
    dta::examine::Archive archive;
    dta::Status status;
    if (!archive.Open(ArchivePath(), kKey1, kKey2, &status)) {
        if (status.Ok()) std::abort();  // a failure always says why
        return;
    }
    archive.CheckDirectory(&status);
    const size_t count = std::min(archive.EntryCount(), kMaxEntries);
    for (size_t i = 0; i < count; ++i) {
        dta::examine::EntryInfo info;
        status = dta::Status();
        if (!archive.ReadEntry(i, &info, &status) && (status.Ok() || status.entry != static_cast<int64_t>(i)))
            std::abort();
        dta::Describe(status);

        dta::examine::EntryStream stream;
        std::vector<uint8_t> streamed;
        bool whole = stream.Open(archive, i, &status);
        while (whole && streamed.size() <= kMaxReadPerEntry) {
            const uint8_t* block = nullptr;
            size_t size = 0;
            whole = stream.Next(&block, &size, &status);
            if (!whole || size == 0) break;
            streamed.insert(streamed.end(), block, block + size);
        }
        if (!whole || streamed.size() > kMaxReadPerEntry || !info.nameRead) continue;
        if (streamed.size() != stream.Size()) std::abort();
        // The exports find the name at this index unless an earlier entry of
        // the directory has the same name. The examiner stops reading the
        // directory at its first key out of order, so that holds only when
        // it read the whole directory, as the reader does.
        size_t found = 0;
        if (!registered || archive.EntryCount() != archive.Summary().entryCount ||
            info.name.find_first_of(std::string("/:\0", 3)) != std::string::npos ||
            !archive.Find(info.name, &found, &status) || found != i)
            continue;
        std::vector<uint8_t> exported;
        if (!ReadThroughExports(info.name, &exported) || exported != streamed) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kMaxInput) return 0;
    {
        std::ofstream out(ArchivePath(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out) return 0;
    }
    Dta_read* archive = dtaCreate(ArchivePath().c_str());
    if (archive != nullptr) {
        if (archive->LoadDirectory(kKey1, kKey2)) {
            for (const std::string& name : EntryNames(data, size)) ReadEntry(name);
        }
        archive->Release();
    }
    // Inspected while registered again, so the exports can read it too.
    archive = dtaCreate(ArchivePath().c_str());
    Inspect(archive != nullptr && archive->LoadDirectory(kKey1, kKey2));
    if (archive != nullptr) archive->Release();
    std::remove(ArchivePath().c_str());
    return 0;
}
