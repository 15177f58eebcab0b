#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "installer/engine/copy_worker.h"
#include "tests/installer/engine/engine_test_support.h"

using engine_test::Pattern;
using engine_test::WorkFolder;
using namespace installer;

namespace {

constexpr uint64_t kMiB = 1024 * 1024;

struct Report {
    int32_t status;
    int32_t filePercent;
    int32_t totalPercent;
};

// Records the worker's reports and answers each with a command chosen by
// the test (run, by default).
class Recorder {
public:
    std::function<int32_t(size_t call, const Report&)> answer = [](size_t, const Report&) -> int32_t {
        return kCopyRun;
    };

    static int32_t Callback(int32_t status, int32_t filePercent, int32_t totalPercent, void* user) {
        auto* self = static_cast<Recorder*>(user);
        const Report report{status, filePercent, totalPercent};
        std::lock_guard<std::mutex> lock(self->mutex_);
        self->reports_.push_back(report);
        if (status == kCopyFinished || status == kCopyFailed) self->done_.notify_all();
        return self->answer(self->reports_.size() - 1, report);
    }

    int32_t Start(const std::string& source, const std::string& destination) {
        return StartFileCopy(source.c_str(), destination.c_str(), Callback, this);
    }

    // Waits for the last report (never longer than a minute) and returns all.
    std::vector<Report> Wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        const bool ended = done_.wait_for(lock, std::chrono::minutes(1), [this] {
            return !reports_.empty() &&
                   (reports_.back().status == kCopyFinished || reports_.back().status == kCopyFailed);
        });
        EXPECT_TRUE(ended) << "the worker never ended";
        return reports_;
    }

private:
    std::mutex mutex_;
    std::condition_variable done_;
    std::vector<Report> reports_;
};

// Copies and waits; the worker has made its last report on return.
std::vector<Report> Copy(const std::string& source, const std::string& destination, Recorder& recorder) {
    EXPECT_EQ(recorder.Start(source, destination), kCopyStarted);
    std::vector<Report> reports = recorder.Wait();
    EXPECT_FALSE(CopyRunning());
    return reports;
}

size_t Chunks(uint64_t size) {
    return static_cast<size_t>((size + kCopyChunkSize - 1) / kCopyChunkSize);
}

// A path that accepts the open for writing and fails every write.
#if defined(_WIN32)
const char kFullDevice[] = "Z:\\dev\\full";
#else
const char kFullDevice[] = "/dev/full";
#endif

}  // namespace

TEST(CopyPercent, counts_whole_mib_and_never_overflows) {
    EXPECT_EQ(FilePercent(0, kMiB - 1), 0);
    EXPECT_EQ(FilePercent(kMiB - 1, kMiB - 1), 0);
    EXPECT_EQ(FilePercent(kMiB - 1, 2 * kMiB), 0);
    EXPECT_EQ(FilePercent(kMiB, 3 * kMiB + 5), 33);
    EXPECT_EQ(FilePercent(3 * kMiB + 5, 3 * kMiB + 5), 100);
    // Sizes past 4 GiB count whole.
    EXPECT_EQ(FilePercent(5ull << 30, 10ull << 30), 50);

    EXPECT_EQ(TotalPercent(50 * kMiB, 0), 0);
    EXPECT_EQ(TotalPercent(50 * kMiB, kMiB - 1), 0);
    EXPECT_EQ(TotalPercent(kMiB - 1, 10 * kMiB), 0);
    EXPECT_EQ(TotalPercent(5 * kMiB + 7, 10 * kMiB + 7), 50);
    EXPECT_EQ(TotalPercent(30 * kMiB, 10 * kMiB), 300);   // not clamped
    EXPECT_EQ(TotalPercent(6ull << 30, 8ull << 30), 75);  // a request of 8 GiB is used whole
    EXPECT_EQ(TotalPercent(UINT64_MAX, kMiB), INT32_MAX);
}

TEST(CopyWorker, a_zero_byte_file_finishes_at_once) {
    WorkFolder folder;
    const std::string source = folder.Write("empty.bin", "");
    folder.Write("target.bin", "old contents");
    BeginCopyList(10 * kMiB);
    Recorder recorder;
    const std::vector<Report> reports = Copy(source, folder / "target.bin", recorder);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].status, kCopyFinished);
    EXPECT_EQ(reports[0].filePercent, 100);
    EXPECT_EQ(WorkFolder::Read(folder / "target.bin"), "");  // replaced
}

TEST(CopyWorker, copies_chunk_by_chunk_with_percentages_in_whole_mib) {
    WorkFolder folder;
    const std::string small = Pattern(kCopyChunkSize * 3 + 17);
    const std::string large = Pattern(2 * kMiB + kMiB / 2);
    folder.Write("small.bin", small);
    folder.Write("large.bin", large);
    BeginCopyList(5 * kMiB);

    // Below 1 MiB the file bar stays at 0 until the end.
    Recorder first;
    std::vector<Report> reports = Copy(folder / "small.bin", folder / "small.out", first);
    ASSERT_EQ(reports.size(), Chunks(small.size()) + 1);
    for (size_t i = 0; i + 1 < reports.size(); ++i) {
        EXPECT_EQ(reports[i].status, kCopyRunning);
        EXPECT_EQ(reports[i].filePercent, 0);
        EXPECT_EQ(reports[i].totalPercent, 0);
    }
    EXPECT_EQ(reports.back().status, kCopyFinished);
    EXPECT_EQ(reports.back().filePercent, 100);
    EXPECT_EQ(WorkFolder::Read(folder / "small.out"), small);

    Recorder second;
    reports = Copy(folder / "large.bin", folder / "large.out", second);
    ASSERT_EQ(reports.size(), Chunks(large.size()) + 1);
    // After 16 chunks (1 MiB) of 2 whole MiB: 50; the total counts the
    // finished small file too, against 5 whole MiB.
    EXPECT_EQ(reports[14].filePercent, 0);
    EXPECT_EQ(reports[15].filePercent, 50);
    EXPECT_EQ(reports[15].totalPercent, 20);
    EXPECT_EQ(reports[reports.size() - 2].filePercent, 100);
    EXPECT_EQ(reports.back().status, kCopyFinished);
    EXPECT_EQ(reports.back().totalPercent, 40);
    EXPECT_EQ(WorkFolder::Read(folder / "large.out"), large);
}

TEST(CopyWorker, creates_the_missing_folders_of_the_destination) {
    WorkFolder folder;
    const std::string source = folder.Write("data.bin", "game data");
    Recorder recorder;
    const std::string destination = folder.Folder() + "game\\maps\\data.bin";
    EXPECT_EQ(Copy(source, destination, recorder).back().status, kCopyFinished);
    EXPECT_EQ(WorkFolder::Read(destination), "game data");
}

TEST(CopyWorker, cancel_after_the_first_chunk_leaves_the_part_written) {
    WorkFolder folder;
    const std::string source = folder.Write("data.bin", Pattern(2 * kMiB));
    BeginCopyList(4 * kMiB);
    Recorder recorder;
    recorder.answer = [](size_t, const Report&) -> int32_t { return kCopyAbort; };
    const std::vector<Report> reports = Copy(source, folder / "data.out", recorder);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].status, kCopyRunning);
    EXPECT_EQ(reports[1].status, kCopyFailed);
    EXPECT_EQ(reports[1].filePercent, 100);
    EXPECT_EQ(reports[1].totalPercent, 50);  // an aborted file counts as done
    EXPECT_EQ(WorkFolder::Read(folder / "data.out"), Pattern(2 * kMiB).substr(0, kCopyChunkSize));
}

TEST(CopyWorker, pause_copies_nothing_until_resumed) {
    WorkFolder folder;
    const std::string bytes = Pattern(kCopyChunkSize * 4);
    const std::string source = folder.Write("data.bin", bytes);
    Recorder recorder;
    // Pause after the first chunk; resume on the second paused pass.
    recorder.answer = [](size_t call, const Report&) -> int32_t {
        if (call == 0) return kCopyPause;
        if (call == 2) return kCopyRun;
        return 99;  // no command: nothing changes
    };
    const auto start = std::chrono::steady_clock::now();
    const std::vector<Report> reports = Copy(source, folder / "data.out", recorder);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    std::vector<int32_t> statuses;
    for (const Report& report : reports) statuses.push_back(report.status);
    EXPECT_EQ(statuses, (std::vector<int32_t>{5, 6, 6, 5, 5, 5, 4}));
    // The wait before the files open and one per paused pass.
    EXPECT_GE(elapsed, std::chrono::milliseconds(3 * kCopyWaitMilliseconds));
    EXPECT_EQ(WorkFolder::Read(folder / "data.out"), bytes);
}

TEST(CopyWorker, one_copy_at_a_time) {
    WorkFolder folder;
    const std::string source = folder.Write("data.bin", "x");
    Recorder first;
    Recorder second;
    ASSERT_EQ(first.Start(source, folder / "one.out"), kCopyStarted);
    EXPECT_TRUE(CopyRunning());
    EXPECT_EQ(second.Start(source, folder / "two.out"), kCopyBusy);
    first.Wait();
    EXPECT_FALSE(CopyRunning());
    EXPECT_EQ(Copy(source, folder / "two.out", second).back().status, kCopyFinished);
}

TEST(CopyWorker, refuses_unreadable_sources_and_paths_that_do_not_fit) {
    WorkFolder folder;
    const std::string source = folder.Write("data.bin", "x");
    Recorder recorder;
    EXPECT_EQ(recorder.Start(folder / "missing.bin", folder / "out.bin"), kCopySourceUnreadable);
    EXPECT_NE(LastCopyOutcome().systemError, 0u);
    EXPECT_EQ(recorder.Start(folder.Folder(), folder / "out.bin"), kCopySourceUnreadable);  // a folder
    EXPECT_EQ(StartFileCopy(nullptr, "x", Recorder::Callback, &recorder), kCopySourceUnreadable);
    EXPECT_EQ(LastCopyOutcome().systemError, 0u);  // no system call failed

    // 511 characters fit the worker's path buffers; 512 do not.
    std::string destination = folder.Folder();
    while (destination.size() < kCopyPathBufferSize - 1) {
        const size_t room = kCopyPathBufferSize - 1 - destination.size();
        destination += room > 100 ? std::string(99, 'd') + "\\" : std::string(room, 'f');
    }
    ASSERT_EQ(destination.size(), kCopyPathBufferSize - 1);
    EXPECT_EQ(recorder.Start(source, destination + "g"), kCopySourceUnreadable);
    std::string longSource = folder.Folder() + std::string(kCopyPathBufferSize, 's');
    EXPECT_EQ(recorder.Start(longSource, folder / "out.bin"), kCopySourceUnreadable);
    const std::vector<Report> reports = Copy(source, destination, recorder);
#if !defined(_WIN32)
    // Windows' own limit on ANSI paths (260) is below ours.
    EXPECT_EQ(reports.back().status, kCopyFinished);
    EXPECT_EQ(WorkFolder::Read(destination), "x");
#endif
}

TEST(CopyWorker, a_failed_write_reports_3_and_leaves_the_total_for_a_retry) {
    WorkFolder folder;
    const std::string source = folder.Write("data.bin", Pattern(2 * kMiB));
    BeginCopyList(4 * kMiB);
    Recorder failing;
    const std::vector<Report> reports = Copy(source, kFullDevice, failing);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].status, kCopyFailed);
    EXPECT_EQ(reports[0].totalPercent, 0);
    EXPECT_NE(LastCopyOutcome().systemError, 0u);  // the write's own reason, for the log

    // A destination below a file cannot be made either.
    Recorder blocked;
    folder.Write("plain", "a file, not a folder");
    EXPECT_EQ(Copy(source, folder.Folder() + "plain\\data.out", blocked).back().status, kCopyFailed);

    // The failed file did not count: its retry brings the total to 50, not 100.
    Recorder retry;
    EXPECT_EQ(Copy(source, folder / "data.out", retry).back().totalPercent, 50);
    EXPECT_EQ(LastCopyOutcome().bytes, 2 * kMiB);
    EXPECT_EQ(LastCopyOutcome().systemError, 0u);
}

TEST(CopyWorker, files_of_4_gib_and_more_count_whole) {
    WorkFolder folder;
    const uint64_t size = (4ull << 30) + 3;
    {
        // Sparse: it costs no disk. Cut to 32 bits its size would be 3 bytes.
        std::ofstream out(folder / "huge.bin", std::ios::binary);
        out.seekp(static_cast<std::streamoff>(size - 1));
        out.put('z');
    }
    ASSERT_EQ(std::filesystem::file_size(folder / "huge.bin"), size);
    BeginCopyList(size);
    Recorder recorder;
    recorder.answer = [](size_t, const Report&) -> int32_t { return kCopyAbort; };
    const std::vector<Report> reports = Copy(folder / "huge.bin", folder / "huge.out", recorder);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].status, kCopyRunning);
    // The aborted file counts with its whole size against the whole request.
    EXPECT_EQ(reports[1].totalPercent, 100);
    EXPECT_EQ(std::filesystem::file_size(folder / "huge.out"), kCopyChunkSize);
}
