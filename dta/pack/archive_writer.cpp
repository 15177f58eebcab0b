#include "dta/pack/archive_writer.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <numeric>
#include <thread>

#include "dta/format.h"

namespace dta::pack {
namespace {

using namespace dta::format;

// Offsets and sizes are 32-bit fields.
constexpr uint64_t kMaxArchiveSize = 0xFFFFFFFFull;
constexpr uint64_t kMaxEntrySize = 0xFFFFFFFFull;
constexpr uint64_t kDirectoryOffset = kMagicSize + archive_header::kSize;
// Blocks in flight per coding thread: enough to keep every thread busy
// while the oldest block waits to be written.
constexpr size_t kBlocksPerThread = 4;

std::string Upper(const std::string& s) {
    std::string u = s;
    for (char& c : u) c = static_cast<char>(UpperAscii(static_cast<uint8_t>(c)));
    return u;
}

bool Fail(std::string* error, const std::string& message) {
    if (error) *error = message;
    return false;
}

// What the directory needs to know of each entry once it is written.
struct EntryRecord {
    uint32_t key = 0;
    uint64_t headerOffset = 0;
    uint64_t size = 0;
    uint64_t blocks = 0;
    uint64_t fileTime = 0;
};

// One block on its way from the reader through a coder to the sink.
struct Block {
    size_t entry = 0;
    uint64_t index = 0;
    std::shared_ptr<const EntryPlan> plan;
    bool scrambled = false;
    std::vector<uint8_t> data;  // decoded bytes
    std::vector<uint8_t> body;  // coded and, where the entry wants it, scrambled
    bool done = false;
};

// Codes blocks on worker threads. Blocks go in through a ring of fixed size
// and come out in the order they went in.
class CodingPool {
public:
    CodingPool(unsigned threads, const Key& key) : key_(key), ring_(threads * kBlocksPerThread) {
        for (unsigned i = 0; i < threads; ++i) workers_.emplace_back([this] { Work(); });
    }
    ~CodingPool() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        work_.notify_all();
        for (std::thread& t : workers_) t.join();
    }
    CodingPool(const CodingPool&) = delete;
    CodingPool& operator=(const CodingPool&) = delete;

    bool Full() const { return submitted_ - taken_ == ring_.size(); }
    bool Empty() const { return submitted_ == taken_; }

    // The slot for the next block; only while not Full().
    Block& Next() { return ring_[submitted_ % ring_.size()]; }

    void Submit() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            Next().done = false;
            queue_.push_back(submitted_ % ring_.size());
            ++submitted_;
        }
        work_.notify_one();
    }

    // Waits until the oldest block in the ring is coded; only while not Empty().
    Block& Oldest() {
        Block& b = ring_[taken_ % ring_.size()];
        std::unique_lock<std::mutex> lock(mutex_);
        done_.wait(lock, [&] { return b.done; });
        return b;
    }

    void ReleaseOldest() { ++taken_; }

private:
    void Work() {
        for (;;) {
            std::unique_lock<std::mutex> lock(mutex_);
            work_.wait(lock, [&] { return stop_ || !queue_.empty(); });
            if (queue_.empty()) return;
            Block& b = ring_[queue_.front()];
            queue_.pop_front();
            lock.unlock();
            Code(b);
            lock.lock();
            b.done = true;
            done_.notify_all();
        }
    }

    void Code(Block& b) const {
        b.body = EncodeBlock(*b.plan, b.index, b.data.data(), b.data.size());
        if (b.scrambled) {
            ScrambleRun(b.body.data(), b.body.size(), key_);
        } else if (b.index == 0 && b.plan->wave) {
            // The wave header is scrambled even in an unscrambled entry, as
            // a run of its own.
            ScrambleRun(b.body.data() + 1, wave_header::kSize, key_);
        }
    }

    const Key key_;
    std::vector<Block> ring_;
    uint64_t submitted_ = 0;  // touched by the calling thread only
    uint64_t taken_ = 0;
    std::mutex mutex_;
    std::condition_variable work_;
    std::condition_variable done_;
    std::deque<size_t> queue_;
    bool stop_ = false;
    std::vector<std::thread> workers_;
};

// An entry's data, from a file or from memory, read front to back.
class EntrySource {
public:
    bool Open(const PackItem& item, const PackSourceOpener& openFile, std::string* error) {
        item_ = &item;
        if (item.path.empty()) {
            size_ = item.memory ? item.memory->size() : 0;
            fileTime_ = item.fileTime;
            return true;
        }
        if (!openFile) return Fail(error, "no way to read " + item.path);
        file_ = openFile(item.path, error);
        if (!file_) return false;
        size_ = file_->size();
        fileTime_ = file_->fileTime();
        return true;
    }

    // Reads exactly `size` bytes; a file that ends early changed under us.
    bool Read(uint8_t* out, size_t size, std::string* error) {
        if (item_->path.empty()) {
            if (size > 0) std::memcpy(out, item_->memory->data() + position_, size);
            position_ += size;
            return true;
        }
        size_t done = 0;
        while (done < size) {
            size_t got = 0;
            if (!file_->Read(out + done, size - done, &got, error)) return false;
            if (got == 0) return Fail(error, item_->path + " shrank while it was being packed");
            done += got;
        }
        return true;
    }

    // After the last byte: a file that goes on grew under us.
    bool CheckEnd(std::string* error) {
        if (item_->path.empty()) return true;
        uint8_t extra;
        size_t got = 0;
        if (!file_->Read(&extra, 1, &got, error)) return false;
        return got == 0 || Fail(error, item_->path + " grew while it was being packed");
    }

    uint64_t size() const { return size_; }
    uint64_t fileTime() const { return fileTime_; }

private:
    const PackItem* item_ = nullptr;
    std::unique_ptr<PackSource> file_;
    uint64_t size_ = 0;
    uint64_t fileTime_ = 0;
    size_t position_ = 0;
};

bool CheckNames(const std::vector<PackItem>& items, std::vector<std::string>* upper, std::string* error) {
    upper->clear();
    upper->reserve(items.size());
    for (const PackItem& item : items) {
        if (item.name.empty()) return Fail(error, "empty entry name");
        if (item.name.size() > kMaxNameLength)
            return Fail(error, "entry name longer than 259 bytes: " + item.name);
        upper->push_back(Upper(item.name));
    }
    std::vector<std::string> sorted = *upper;
    std::sort(sorted.begin(), sorted.end());
    auto dup = std::adjacent_find(sorted.begin(), sorted.end());
    if (dup != sorted.end()) return Fail(error, "entry name given twice: " + *dup);
    return true;
}

// Appends `size` zero bytes: the space kept for the header and directory.
bool AppendZeros(ArchiveSink& sink, uint64_t size, std::string* error) {
    static const uint8_t kZeros[1 << 14] = {};
    while (size > 0) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(size, sizeof kZeros));
        if (!sink.Append(kZeros, n, error)) return false;
        size -= n;
    }
    return true;
}

}  // namespace

bool WriteArchive(const std::vector<PackItem>& items, const PackOptions& options, ArchiveSink& sink,
                  PackObserver* observer, uint64_t* archiveSize, std::string* error) {
    std::vector<std::string> upper;
    if (!CheckNames(items, &upper, error)) return false;
    const Key key = MakeKey(options.key1, options.key2);
    const uint64_t dirSize = uint64_t{directory_entry::kSize} * items.size();
    if (kDirectoryOffset + dirSize > kMaxArchiveSize)
        return Fail(error, "archive would reach 4 GiB (it holds at most 4,294,967,295 bytes)");

    if (!sink.Append(reinterpret_cast<const uint8_t*>(kMagic), kMagicSize, error) ||
        !AppendZeros(sink, archive_header::kSize + dirSize, error))
        return false;
    uint64_t offset = kDirectoryOffset + dirSize;

    std::vector<EntryRecord> records(items.size());
    unsigned threads = options.threads != 0 ? options.threads : std::thread::hardware_concurrency();
    CodingPool pool(std::max(1u, threads), key);
    uint16_t previousStored = 0;

    // Writes the oldest coded block, preceded by its entry's header and name
    // when it is the entry's first.
    auto writeOldest = [&]() {
        const Block& b = pool.Oldest();
        const PackItem& item = items[b.entry];
        EntryRecord& r = records[b.entry];
        const uint64_t headerBytes = b.index == 0 ? entry_header::kSize + item.name.size() : 0;
        if (b.body.size() > block::kMaxBodySize ||
            offset + headerBytes + block_header::kSize + b.body.size() > kMaxArchiveSize)
            return Fail(error, "archive would reach 4 GiB (it holds at most 4,294,967,295 bytes)");
        if (b.index == 0) {
            r.headerOffset = offset;
            uint8_t header[entry_header::kSize] = {};
            WriteLe32(header + entry_header::kTime, static_cast<uint32_t>(r.fileTime));
            WriteLe32(header + entry_header::kTime + 4, static_cast<uint32_t>(r.fileTime >> 32));
            WriteLe32(header + entry_header::kDecodedSize, static_cast<uint32_t>(r.size));
            WriteLe32(header + entry_header::kBlockCount, static_cast<uint32_t>(r.blocks));
            WriteLe16(header + entry_header::kNameField,
                      static_cast<uint16_t>(item.name.size() |
                                            (item.scrambled ? entry_header::kScrambledFlag : 0)));
            ScrambleRun(header, sizeof header, key);
            std::vector<uint8_t> name(item.name.begin(), item.name.end());
            ScrambleRun(name.data(), name.size(), key);
            if (!sink.Append(header, sizeof header, error) || !sink.Append(name.data(), name.size(), error))
                return false;
            previousStored = 0;
        }
        const uint16_t stored = static_cast<uint16_t>(b.body.size());
        uint8_t blockHeader[block_header::kSize];
        WriteLe16(blockHeader, stored);
        WriteLe16(blockHeader + 2, previousStored);
        if (!sink.Append(blockHeader, sizeof blockHeader, error) ||
            !sink.Append(b.body.data(), b.body.size(), error))
            return false;
        previousStored = stored;
        offset += headerBytes + block_header::kSize + b.body.size();
        if (observer) {
            const uint64_t done = uint64_t{b.index} * block::kDecodedSize;
            observer->BlockWritten(std::min<uint64_t>(block::kDecodedSize, r.size - done),
                                   b.index + 1 == r.blocks);
        }
        pool.ReleaseOldest();
        return true;
    };
    auto nextBlock = [&]() -> Block* {
        while (pool.Full())
            if (!writeOldest()) return nullptr;
        return &pool.Next();
    };

    for (size_t i = 0; i < items.size(); ++i) {
        const PackItem& item = items[i];
        EntrySource source;
        if (!source.Open(item, options.openFile, error)) return false;
        const uint64_t size = source.size();
        if (size > kMaxEntrySize)
            return Fail(error, item.name + ": 4 GiB or larger (an entry holds at most 4,294,967,295 bytes)");

        auto plan = std::make_shared<EntryPlan>();
        const uint64_t blocks = BlockCount(size);
        for (uint64_t b = 0; b < blocks; ++b) {
            Block* block = nextBlock();
            if (block == nullptr) return false;
            const size_t n =
                static_cast<size_t>(std::min<uint64_t>(block::kDecodedSize, size - b * block::kDecodedSize));
            block->data.resize(n);
            if (!source.Read(block->data.data(), n, error)) return false;
            if (b == 0) {
                // The first block's bytes decide a wave entry's coding.
                std::string why;
                if (!PlanEntry(item.method, block->data.data(), n, size, plan.get(), &why))
                    return Fail(error, item.name + ": " + why);
                records[i] = {LookupKey(item.name.data(), item.name.size()), 0, size, blocks,
                              source.fileTime()};
                if (observer) observer->EntryStarted(item, *plan, size);
            }
            block->entry = i;
            block->index = b;
            block->plan = plan;
            block->scrambled = item.scrambled;
            pool.Submit();
            if (observer) observer->BytesRead(n);
        }
        if (!source.CheckEnd(error)) return false;
    }
    while (!pool.Empty())
        if (!writeOldest()) return false;

    // The directory, sorted by lookup key; a stable sort keeps equal keys in
    // input order.
    std::vector<size_t> order(items.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return records[a].key < records[b].key; });
    std::vector<uint8_t> dir(static_cast<size_t>(dirSize));
    for (size_t slot = 0; slot < order.size(); ++slot) {
        const size_t i = order[slot];
        uint8_t* e = dir.data() + slot * directory_entry::kSize;
        WriteLe32(e + directory_entry::kKey, records[i].key);
        WriteLe32(e + directory_entry::kEntryHeaderOffset, static_cast<uint32_t>(records[i].headerOffset));
        WriteLe32(
            e + directory_entry::kFirstBlockOffset,
            static_cast<uint32_t>(records[i].headerOffset + entry_header::kSize + items[i].name.size()));
        const std::string& u = upper[i];
        const size_t tail = std::min(u.size(), directory_entry::kNameTailSize);
        std::memcpy(e + directory_entry::kNameTail, u.data() + u.size() - tail, tail);
    }
    ScrambleRun(dir.data(), dir.size(), key);

    uint8_t header[archive_header::kSize] = {};
    WriteLe32(header + archive_header::kDirectoryOffset, static_cast<uint32_t>(kDirectoryOffset));
    WriteLe32(header + archive_header::kDirectorySize, static_cast<uint32_t>(dirSize));
    ScrambleRun(header, sizeof header, key);
    if (!sink.WriteAt(archive_header::kOffset, header, sizeof header, error) ||
        (!dir.empty() && !sink.WriteAt(kDirectoryOffset, dir.data(), dir.size(), error)))
        return false;
    if (archiveSize) *archiveSize = offset;
    return true;
}

}  // namespace dta::pack
