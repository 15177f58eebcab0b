#include "installer/engine/copy_worker.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <system_error>
#include <thread>

#include "installer/engine/copy_files.h"
#include "installer/engine/copy_lock.h"
#include "installer/system/install_log.h"

namespace installer {

namespace {

constexpr uint64_t kMiB = 1024 * 1024;

// The worker's process-wide state. `running` is read and written under the
// copy lock; the list's byte count and request size belong to the one
// running worker, and to the dialog between copies.
struct WorkerState {
    bool running = false;
    CopyOutcome outcome;  // under the copy lock, like `running`
    std::atomic<uint64_t> bytesOfFinishedFiles{0};
    std::atomic<uint64_t> requestSpace{0};
};

WorkerState& State() {
    static WorkerState state;
    return state;
}

// The worker's end: the copy is no longer running, and this is how it went.
void SetEnded(const CopyOutcome& outcome) {
    CopyLockGuard lock;
    State().running = false;
    State().outcome = outcome;
}

// Notes the system's code of the first step that failed; `ok` passes through.
bool Check(bool ok, uint32_t* error) {
    if (!ok && *error == 0) *error = LastSystemError();
    return ok;
}

struct CopyJob {
    std::string source;
    std::string destination;
    CopyCallback callback;
    void* user;
};

void Wait() {
    std::this_thread::sleep_for(std::chrono::milliseconds(kCopyWaitMilliseconds));
}

// The total percentage with `bytesDone` of the current file counted; with
// `commit`, `fileBytes` join the finished files first and count alone.
int32_t ListPercent(uint64_t bytesDone, uint64_t fileBytes, bool commit) {
    WorkerState& state = State();
    uint64_t base;
    if (commit) {
        base = state.bytesOfFinishedFiles.load() + fileBytes;
        state.bytesOfFinishedFiles.store(base);
    } else {
        base = state.bytesOfFinishedFiles.load() + bytesDone;
    }
    return TotalPercent(base, state.requestSpace.load());
}

// How a copy ended.
enum class Ending {
    Copied,   // every byte is written: status 4, the file counts as finished
    Aborted,  // the callback said abort: status 3, the file counts as finished
    Failed,   // a read or write failed: status 3; the file does not count, as
              // the dialog may copy it again
};

void CopyFile(const CopyJob& job) {
    Wait();

    const auto start = std::chrono::steady_clock::now();
    uint64_t size = 0;
    uint32_t error = 0;
    Ending ending = Ending::Failed;
    {
        copyfiles::OwnedFile source(copyfiles::OpenSource(job.source.c_str()));
        copyfiles::OwnedFile destination;
        if (Check(source.Valid(), &error) && Check(copyfiles::Size(source.Get(), &size), &error) &&
            Check(copyfiles::CreateParentFolders(job.destination.c_str()), &error)) {
            destination.Reset(copyfiles::CreateDestination(job.destination.c_str()));
            Check(destination.Valid(), &error);
        }
        std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[kCopyChunkSize]);
        if (destination.Valid() && buffer) {
            ending = Ending::Copied;
            bool paused = false;
            uint64_t done = 0;
            while (done < size) {
                const uint32_t chunk =
                    size - done < kCopyChunkSize ? static_cast<uint32_t>(size - done) : kCopyChunkSize;
                if (paused) {
                    Wait();
                } else {
                    if (!Check(copyfiles::ReadExact(source.Get(), buffer.get(), chunk), &error) ||
                        !Check(copyfiles::WriteAll(destination.Get(), buffer.get(), chunk), &error)) {
                        ending = Ending::Failed;
                        break;
                    }
                    done += chunk;
                }
                const int32_t command =
                    job.callback(paused ? kCopyPaused : kCopyRunning, FilePercent(done, size),
                                 ListPercent(done, 0, false), job.user);
                if (command == kCopyRun) paused = false;
                if (command == kCopyPause) paused = true;
                if (command == kCopyAbort) {
                    ending = Ending::Aborted;
                    break;
                }
            }
        }
    }
    // Both files are closed by now, so whoever sees the last report may at
    // once delete the file or start the next copy.
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    SetEnded(CopyOutcome{size, static_cast<uint32_t>(elapsed.count()), ending == Ending::Failed ? error : 0});
    const bool finished = ending != Ending::Failed;
    job.callback(ending == Ending::Copied ? kCopyFinished : kCopyFailed, 100,
                 ListPercent(0, finished ? size : 0, finished), job.user);
}

}  // namespace

int32_t StartFileCopy(const char* source, const char* destination, CopyCallback callback, void* user) {
    CopyLockGuard lock;
    WorkerState& state = State();
    if (source == nullptr || destination == nullptr || callback == nullptr ||
        std::strlen(source) >= kCopyPathBufferSize || std::strlen(destination) >= kCopyPathBufferSize) {
        // No system call failed: the outcome has no reason to give.
        if (!state.running) state.outcome = CopyOutcome();
        return kCopySourceUnreadable;
    }
    if (state.running) return kCopyBusy;

    state.outcome = CopyOutcome();
    copyfiles::File probe = copyfiles::OpenSource(source);
    if (probe == copyfiles::kNoFile) {
        state.outcome.systemError = LastSystemError();
        return kCopySourceUnreadable;
    }
    copyfiles::Close(probe);

    // Marked running before the thread exists, so a second start in between
    // cannot slip past the test above.
    state.running = true;
    try {
        std::thread(CopyFile, CopyJob{source, destination, callback, user}).detach();
    } catch (const std::system_error& failure) {
        state.outcome.systemError = static_cast<uint32_t>(failure.code().value());
        state.running = false;
        return kCopyNoThread;
    }
    return kCopyStarted;
}

void BeginCopyList(uint64_t requestSpace) {
    WorkerState& state = State();
    state.bytesOfFinishedFiles.store(0);
    state.requestSpace.store(requestSpace);
}

bool CopyRunning() {
    CopyLockGuard lock;
    return State().running;
}

CopyOutcome LastCopyOutcome() {
    CopyLockGuard lock;
    return State().outcome;
}

int32_t FilePercent(uint64_t bytesDone, uint64_t fileSize) {
    if (fileSize < kMiB) return 0;
    const uint64_t percent = (bytesDone / kMiB) * 100 / (fileSize / kMiB);
    return percent > 100 ? 100 : static_cast<int32_t>(percent);
}

int32_t TotalPercent(uint64_t bytes, uint64_t requestSpace) {
    const uint64_t requestMiB = requestSpace / kMiB;
    if (requestMiB == 0) return 0;
    // bytes / kMiB is below 2^44, so the product cannot overflow.
    const uint64_t percent = (bytes / kMiB) * 100 / requestMiB;
    const uint64_t limit = static_cast<uint64_t>(std::numeric_limits<int32_t>::max());
    return static_cast<int32_t>(percent > limit ? limit : percent);
}

}  // namespace installer
