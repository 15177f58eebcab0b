#include "tools/archive_view.h"

#include "tools/archive_listing.h"
#include "tools/library_reader.h"

namespace dta::tools {

std::string EntryInfo::Label() const {
    std::string label = "entry " + std::to_string(index);
    if (!name.empty()) label += " (" + name + ")";
    return label;
}

struct ArchiveView::State {
    LibraryArchive library;
    std::vector<EntryInfo> entries;
    std::vector<std::string> problems;
};

ArchiveView::ArchiveView() : state_(new State) {}
ArchiveView::~ArchiveView() = default;

bool ArchiveView::Open(const std::string& path, uint32_t key1, uint32_t key2, std::string* error) {
    std::vector<ListedEntry> listed;
    if (!ListArchive(path, key1, key2, &listed, error) || !state_->library.Open(path, key1, key2, error))
        return false;
    state_->entries.clear();
    for (size_t i = 0; i < listed.size(); ++i) {
        EntryInfo e;
        e.index = i;
        e.name = listed[i].name;
        e.size = listed[i].size;
        e.blocks = listed[i].blocks;
        e.fileTime = listed[i].fileTime;
        e.scrambled = listed[i].scrambled;
        e.wave = listed[i].wave;
        e.methods = listed[i].methods;
        e.problem = listed[i].problem;
        state_->entries.push_back(std::move(e));
    }
    return true;
}

const std::vector<EntryInfo>& ArchiveView::entries() const {
    return state_->entries;
}

const std::vector<std::string>& ArchiveView::problems() const {
    return state_->problems;
}

bool ArchiveView::ReadEntry(size_t index, const BlockSink& sink, std::string* error) {
    const EntryInfo& e = state_->entries.at(index);
    if (!e.problem.empty()) {
        if (error) *error = e.Label() + ": " + e.problem;
        return false;
    }
    std::vector<uint8_t> data;
    if (!state_->library.ReadEntry(e.name, &data, error)) return false;
    if (data.size() != e.size) {
        if (error)
            *error = e.Label() + ": decoded " + std::to_string(data.size()) + " bytes, header says " +
                     std::to_string(e.size);
        return false;
    }
    if (error) error->clear();
    return sink(data.data(), data.size());
}

}  // namespace dta::tools
