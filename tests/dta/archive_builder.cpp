#include "tests/dta/archive_builder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include <sys/stat.h>

#include "dta/dta.h"
#include "dta/format.h"

namespace fs = std::filesystem;
namespace format = dta::format;

namespace dtatest {

TestEntry& ArchiveBuilder::Add(TestEntry entry) {
    entries_.push_back(std::move(entry));
    return entries_.back();
}

TestEntry& ArchiveBuilder::AddStored(const std::string& name, const Bytes& data, bool scrambled,
                                     uint8_t method) {
    TestEntry entry;
    entry.name = name;
    entry.bodies = StoredBodies(data, method);
    entry.decodedSize = static_cast<uint32_t>(data.size());
    entry.scrambled = scrambled;
    return Add(std::move(entry));
}

BuiltArchive ArchiveBuilder::Build() const {
    const format::Key key = format::MakeKey(key1_, key2_);
    BuiltArchive out;
    Bytes& file = out.bytes;
    file.assign(format::kMagic, format::kMagic + format::kMagicSize);
    file.resize(format::kMagicSize + format::archive_header::kSize);
    if (directoryFirst) file.resize(file.size() + entries_.size() * format::directory_entry::kSize);

    struct Row {
        uint32_t key;
        uint32_t headerOffset;
        uint32_t firstBlock;
        uint8_t tail[16];
    };
    std::vector<Row> rows;
    for (const TestEntry& entry : entries_) {
        Row row{};
        row.key = format::LookupKey(entry.name.data(), entry.name.size());
        row.headerOffset = static_cast<uint32_t>(file.size());
        std::string upper = entry.name;
        for (char& c : upper) c = static_cast<char>(format::UpperAscii(static_cast<uint8_t>(c)));
        const size_t tail = std::min<size_t>(upper.size(), 16);
        std::copy(upper.end() - static_cast<std::ptrdiff_t>(tail), upper.end(), row.tail);

        uint8_t header[format::entry_header::kSize] = {};
        format::WriteLe32(header + format::entry_header::kTime, static_cast<uint32_t>(entry.time));
        format::WriteLe32(header + format::entry_header::kTime + 4, static_cast<uint32_t>(entry.time >> 32));
        format::WriteLe32(header + format::entry_header::kDecodedSize, entry.decodedSize);
        format::WriteLe32(header + format::entry_header::kBlockCount,
                          entry.blockCount.value_or(static_cast<uint32_t>(entry.bodies.size())));
        const uint16_t nameLength = entry.nameLength.value_or(static_cast<uint16_t>(entry.name.size()));
        format::WriteLe16(
            header + format::entry_header::kNameField,
            static_cast<uint16_t>(nameLength | (entry.scrambled ? format::entry_header::kScrambledFlag : 0)));
        format::ScrambleRun(header, sizeof header, key);
        file.insert(file.end(), header, header + sizeof header);

        Bytes name(entry.name.begin(), entry.name.end());
        format::ScrambleRun(name.data(), name.size(), key);
        file.insert(file.end(), name.begin(), name.end());

        row.firstBlock = static_cast<uint32_t>(file.size());
        uint16_t previous = 0;
        for (size_t b = 0; b < entry.bodies.size(); ++b) {
            Bytes body = entry.bodies[b];
            const bool wave = b == 0 && !body.empty() && body[0] >= format::kMethodWaveFirst;
            if (entry.scrambled) {
                format::ScrambleRun(body.data(), body.size(), key);
            } else if (wave && body.size() >= 1 + format::wave_header::kSize) {
                format::ScrambleRun(body.data() + 1, format::wave_header::kSize, key);
            }
            uint8_t blockHeader[4];
            uint16_t size = static_cast<uint16_t>(body.size());
            if (b == 0 && entry.firstBlockSize) size = *entry.firstBlockSize;
            format::WriteLe16(blockHeader, size);
            format::WriteLe16(blockHeader + 2, previous);
            previous = static_cast<uint16_t>(body.size());
            file.insert(file.end(), blockHeader, blockHeader + 4);
            file.insert(file.end(), body.begin(), body.end());
        }
        out.entryHeaderOffsets.push_back(row.headerOffset);
        out.firstBlockOffsets.push_back(row.firstBlock);
        rows.push_back(row);
    }

    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return static_cast<int32_t>(a.key) < static_cast<int32_t>(b.key);
    });
    out.directoryOffset = static_cast<uint32_t>(
        directoryFirst ? format::kMagicSize + format::archive_header::kSize : file.size());
    Bytes directory(rows.size() * format::directory_entry::kSize);
    for (size_t i = 0; i < rows.size(); ++i) {
        uint8_t* raw = directory.data() + i * format::directory_entry::kSize;
        format::WriteLe32(raw + format::directory_entry::kKey, rows[i].key);
        format::WriteLe32(raw + format::directory_entry::kEntryHeaderOffset, rows[i].headerOffset);
        format::WriteLe32(raw + format::directory_entry::kFirstBlockOffset, rows[i].firstBlock);
        std::copy(rows[i].tail, rows[i].tail + 16, raw + format::directory_entry::kNameTail);
    }
    format::ScrambleRun(directory.data(), directory.size(), key);
    if (directoryFirst) {
        std::copy(directory.begin(), directory.end(), file.begin() + out.directoryOffset);
    } else {
        file.insert(file.end(), directory.begin(), directory.end());
    }

    uint8_t* header = file.data() + format::archive_header::kOffset;
    format::WriteLe32(header + format::archive_header::kDirectoryOffset, out.directoryOffset);
    format::WriteLe32(header + format::archive_header::kDirectorySize,
                      directorySize.value_or(static_cast<uint32_t>(directory.size())));
    format::ScrambleRun(header, format::archive_header::kSize, key);
    return out;
}

std::vector<Bytes> StoredBodies(const Bytes& data, uint8_t method) {
    std::vector<Bytes> bodies;
    size_t done = 0;
    do {
        const size_t part = std::min(data.size() - done, format::block::kDecodedSize);
        Bytes body{method};
        body.insert(body.end(), data.begin() + static_cast<std::ptrdiff_t>(done),
                    data.begin() + static_cast<std::ptrdiff_t>(done + part));
        bodies.push_back(std::move(body));
        done += part;
    } while (done < data.size());
    return bodies;
}

Bytes LiteralLzBody(const Bytes& data) {
    Bytes body{format::kMethodLz};
    for (size_t i = 0; i < data.size(); ++i) {
        if (i % 16 == 0) {
            body.push_back(0);  // a flag word of 16 literals
            body.push_back(0);
        }
        body.push_back(data[i]);
    }
    return body;
}

Bytes Pattern(size_t size, uint32_t seed) {
    Bytes bytes(size);
    uint32_t state = seed * 2654435761u + 1;
    for (uint8_t& b : bytes) {
        state = state * 1103515245u + 12345u;
        b = static_cast<uint8_t>(state >> 16);
    }
    return bytes;
}

TempFolder::TempFolder() {
    std::random_device random;
    const fs::path base = fs::temp_directory_path();
    for (;;) {
        const fs::path candidate = base / ("dta_test_" + std::to_string(random()));
        if (fs::create_directory(candidate)) {
            path_ = candidate.string();
            return;
        }
    }
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    // Read-only files left by a test must not stop the clean-up.
    for (const auto& item : fs::recursive_directory_iterator(path_, ignored))
        ::chmod(item.path().string().c_str(), S_IREAD | S_IWRITE);
    fs::remove_all(path_, ignored);
}

std::string TempFolder::Path(const std::string& name) const {
    return (fs::path(path_) / name).string();
}

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) {
    std::error_code ignored;
    return fs::exists(path, ignored);
}

}  // namespace dtatest

namespace dtatest {

Dta_read* Register(const std::string& path, uint32_t key1, uint32_t key2) {
    Dta_read* archive = dtaCreate(path.c_str());
    if (archive != nullptr && !archive->LoadDirectory(key1, key2)) {
        archive->Release();
        return nullptr;
    }
    return archive;
}

ArchiveRef::~ArchiveRef() {
    if (archive != nullptr) archive->Release();
}

Bytes ReadAll(int32_t handle) {
    Bytes bytes(static_cast<size_t>(std::max(dtaSeek(handle, 0, 2), 0)));
    dtaSeek(handle, 0, 0);
    if (bytes.empty() || dtaRead(handle, bytes.data(), static_cast<uint32_t>(bytes.size())) !=
                             static_cast<int32_t>(bytes.size()))
        bytes.clear();
    return bytes;
}

}  // namespace dtatest
