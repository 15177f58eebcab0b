#include "tools/archive_view.h"

#include <algorithm>

#include "dta/examine.h"
#include "dta/status.h"
#include "tools/tool_os.h"

namespace dta::tools {
namespace {

// Damaged entries after which the rest of the directory is not examined.
constexpr size_t kMaxDamagedEntries = 32;

}  // namespace

std::string EntryInfo::Label() const {
    std::string label = "entry " + std::to_string(index);
    if (!name.empty()) label += " (" + name + ")";
    return label;
}

std::string MethodName(uint8_t method) {
    if (method == format::kMethodLz) return "lz";
    if (method < format::kMethodWaveFirst) return "stored";
    return "wave/" + std::to_string(method);
}

struct ArchiveView::State {
    examine::Archive archive;
    std::vector<EntryInfo> entries;
    std::vector<std::string> problems;
};

ArchiveView::ArchiveView() : state_(new State) {}
ArchiveView::~ArchiveView() = default;

bool ArchiveView::Open(const std::string& path, uint32_t key1, uint32_t key2, std::string* error) {
    state_->entries.clear();
    state_->problems.clear();
    Status status;
    if (!state_->archive.Open(path, key1, key2, &status)) {
        if (error) *error = path + ": " + Describe(status);
        if (status.reason == Reason::CannotOpen) {
            // The system's reason, when the file can't be opened at all.
            os::InputFile probe;
            if (!probe.Open(path, error) && error && error->empty()) *error = path + ": " + Describe(status);
        }
        return false;
    }
    status = Status();
    const size_t count = state_->archive.EntryCount();
    if (!state_->archive.CheckDirectory(&status)) {
        std::string problem = Describe(status);
        const size_t claimed = state_->archive.Summary().entryCount;
        if (status.reason == Reason::DirectoryOutOfOrder && claimed > count)
            problem += "; the " + GroupedNumber(static_cast<int64_t>(claimed - count)) +
                       " directory entries from there on were not read";
        state_->problems.push_back(std::move(problem));
    }

    size_t damaged = 0;
    for (size_t i = 0; i < count; ++i) {
        EntryInfo e;
        status = Status();
        if (!state_->archive.ReadEntry(i, &e, &status)) e.problem = Describe(status);
        const bool sound = e.problem.empty();
        state_->entries.push_back(std::move(e));
        // A directory whose entries keep failing is garbage: give up on it
        // rather than report (and hold) every entry it claims.
        if (!sound && ++damaged == kMaxDamagedEntries && i + 1 < count) {
            state_->problems.push_back("gave up after " + std::to_string(damaged) + " damaged entries; the " +
                                       GroupedNumber(static_cast<int64_t>(count - i - 1)) +
                                       " directory entries after entry " + std::to_string(i) +
                                       " were not read");
            break;
        }
    }
    return true;
}

const std::vector<EntryInfo>& ArchiveView::entries() const {
    return state_->entries;
}

const std::vector<std::string>& ArchiveView::problems() const {
    return state_->problems;
}

uint64_t ArchiveView::BytesAfterEnd() const {
    if (!state_->problems.empty()) return 0;
    const examine::ArchiveSummary& summary = state_->archive.Summary();
    uint64_t end = static_cast<uint64_t>(summary.directoryOffset) + summary.directorySize;
    for (const EntryInfo& e : state_->entries) {
        if (!e.problem.empty()) return 0;
        end = std::max(end, e.end);
    }
    return summary.fileSize > end ? summary.fileSize - end : 0;
}

bool ArchiveView::ReadEntry(size_t index, const BlockSink& sink, std::string* error) {
    if (error) error->clear();
    const EntryInfo& e = state_->entries.at(index);
    if (!e.problem.empty()) {
        if (error) *error = e.problem;
        return false;
    }
    examine::EntryStream stream;
    Status status;
    if (!stream.Open(state_->archive, index, &status)) {
        if (error) *error = Describe(status);
        return false;
    }
    for (;;) {
        const uint8_t* data = nullptr;
        size_t size = 0;
        if (!stream.Next(&data, &size, &status)) {
            if (error) *error = Describe(status);
            return false;
        }
        if (size == 0) return true;
        if (!sink(data, size)) return false;
    }
}

}  // namespace dta::tools
