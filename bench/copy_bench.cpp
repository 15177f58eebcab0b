// The copy worker against cp: one large file copied by each, in turns, in the
// same run, from the system's file cache to the same folder. The worker's
// time leaves out its fixed wait before it opens the files; what remains is
// its chunked copy with a callback per 64 KiB.
//
//   copy_bench [MiB] [folder]     defaults: 256 MiB in the temporary folder
//
// Prints the best of three rounds for each and the ratio worker / cp (below 1
// means the worker is faster).
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "installer/engine/copy_worker.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRounds = 3;

struct Done {
    std::mutex mutex;
    std::condition_variable ended;
    int32_t status = 0;
};

int32_t OnReport(int32_t status, int32_t, int32_t, void* user) {
    auto* done = static_cast<Done*>(user);
    if (status == installer::kCopyFinished || status == installer::kCopyFailed) {
        std::lock_guard<std::mutex> lock(done->mutex);
        done->status = status;
        done->ended.notify_all();
    }
    return installer::kCopyRun;
}

// Seconds the worker took, its fixed wait left out; negative on failure.
double WorkerCopy(const std::string& source, const std::string& destination) {
    Done done;
    const Clock::time_point start = Clock::now();
    if (installer::StartFileCopy(source.c_str(), destination.c_str(), OnReport, &done) !=
        installer::kCopyStarted) {
        return -1;
    }
    std::unique_lock<std::mutex> lock(done.mutex);
    done.ended.wait(lock, [&done] { return done.status != 0; });
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (done.status != installer::kCopyFinished) return -1;
    return seconds - installer::kCopyWaitMilliseconds / 1000.0;
}

double CpCopy(const std::string& source, const std::string& destination) {
    const std::string command = "cp '" + source + "' '" + destination + "'";
    const Clock::time_point start = Clock::now();
    if (std::system(command.c_str()) != 0) return -1;
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void MakeFile(const std::string& path, uint64_t size) {
    std::ofstream out(path, std::ios::binary);
    std::vector<char> block(1 << 20);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>((i * 131) ^ (i >> 9));
    for (uint64_t written = 0; written < size; written += block.size()) {
        block[0] = static_cast<char>(written >> 20);  // no two blocks alike
        out.write(block.data(),
                  static_cast<std::streamsize>(std::min<uint64_t>(block.size(), size - written)));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const uint64_t mib = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 256;
    const fs::path folder = (argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path()) / "korvo-copy-bench";
    if (mib == 0) {
        std::fprintf(stderr, "usage: copy_bench [MiB] [folder]\n");
        return 2;
    }
    fs::create_directories(folder);
    const std::string source = (folder / "source.bin").string();
    const std::string byWorker = (folder / "worker.bin").string();
    const std::string byCp = (folder / "cp.bin").string();
    const uint64_t size = mib << 20;
    MakeFile(source, size);

    // Warm-up: the source in the cache, the targets allocated once.
    CpCopy(source, byCp);
    WorkerCopy(source, byWorker);

    double worker = 1e30;
    double cp = 1e30;
    for (int round = 0; round < kRounds; ++round) {
        const double w = WorkerCopy(source, byWorker);
        const double c = CpCopy(source, byCp);
        if (w < 0 || c < 0 || fs::file_size(byWorker) != size) {
            std::fprintf(stderr, "a copy failed\n");
            return 1;
        }
        worker = std::min(worker, w);
        cp = std::min(cp, c);
    }
    const double megabytes = static_cast<double>(size) / 1e6;
    std::printf("file        %llu MiB in %s\n", static_cast<unsigned long long>(mib),
                folder.string().c_str());
    std::printf("worker      %.3f s  %.0f MB/s  (best of %d, %u ms wait left out)\n", worker,
                megabytes / worker, kRounds, installer::kCopyWaitMilliseconds);
    std::printf("cp          %.3f s  %.0f MB/s  (best of %d)\n", cp, megabytes / cp, kRounds);
    std::printf("worker / cp %.2f\n", worker / cp);

    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}
