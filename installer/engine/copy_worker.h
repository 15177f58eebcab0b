// The copy worker: copies one file on a thread of its own, in 64 KiB chunks,
// and reports its progress through a callback, which answers with a command.
// Only one copy runs at a time in the process; the copy lock guards that.
//
//   dialog (UI thread)                     worker thread
//   StartFileCopy(src, dst, cb, block) --> waits 200 ms, opens both files
//                                          per chunk: cb(5 or 6, file %, total %)
//        cb returns 0 run / 1 pause / 2 abort
//                                          at the end: cb(4 | 3, 100, total %)
//
// Percentages are computed in whole MiB, so a file below 1 MiB shows 0 until
// it is done. Sizes and byte counts are 64-bit: files of 4 GiB and more copy
// whole.
#ifndef INSTALLER_ENGINE_COPY_WORKER_H
#define INSTALLER_ENGINE_COPY_WORKER_H

#include <cstddef>
#include <cstdint>

namespace installer {

// Status that the worker reports.
enum CopyStatus : int32_t {
    kCopyFailed = 3,    // the copy failed or was aborted; the worker has ended
    kCopyFinished = 4,  // the file is copied whole; the worker has ended
    kCopyRunning = 5,   // copying
    kCopyPaused = 6,    // copying, but paused in this pass
};

// Commands that the callback returns; any other value changes nothing.
enum CopyCommand : int32_t {
    kCopyRun = 0,    // clear the pause
    kCopyPause = 1,  // pause: the next passes copy nothing and wait
    kCopyAbort = 2,  // stop now (reported as kCopyFailed)
};

// Results of StartFileCopy.
enum StartCopyResult : int32_t {
    kCopyStarted = 0,
    kCopySourceUnreadable = 5,  // the source cannot be opened for reading, or a path is too long
    kCopyBusy = 6,              // another copy is still running
    kCopyNoThread = 7,          // the worker thread could not be created
};

// Called on the worker thread after every chunk and once at the end.
using CopyCallback = int32_t (*)(int32_t status, int32_t filePercent, int32_t totalPercent, void* user);

inline constexpr uint32_t kCopyChunkSize = 64 * 1024;
// The worker waits this long before it opens the files, and this long per
// pass while paused.
inline constexpr uint32_t kCopyWaitMilliseconds = 200;
// Longest source or destination path, terminating zero included.
inline constexpr size_t kCopyPathBufferSize = 512;

// Starts copying `source` to `destination` (replacing it; missing parent
// folders of the destination are created first). Returns kCopyStarted once
// the worker runs; kCopyBusy when a copy is still running; kCopySourceUnreadable
// when a path is null, does not fit kCopyPathBufferSize, or the source cannot
// be opened for reading; kCopyNoThread when no thread could be made. After
// kCopyStarted the callback is called until it has reported kCopyFinished or
// kCopyFailed, which is its last call: by then both files are closed and the
// next copy may start. `user` must stay valid until then.
int32_t StartFileCopy(const char* source, const char* destination, CopyCallback callback, void* user);

// Starts a new list: the bytes of finished files go back to 0, and total
// percentages are measured against `requestSpace` bytes from now on. Called
// by a progress dialog when it opens, while no copy runs.
void BeginCopyList(uint64_t requestSpace);

// Whether a copy is running (its thread has not yet made its last report).
bool CopyRunning();

// How the last copy ended, for the install log.
struct CopyOutcome {
    uint64_t bytes = 0;         // the source's size: all of it was written when the copy finished
    uint32_t milliseconds = 0;  // from opening the two files to closing them
    uint32_t systemError = 0;   // the system's code of the open, read or write that failed; 0 when
                                // none is known (aborted, a short read, a path too long)
};

// The outcome of the copy whose last report (kCopyFinished or kCopyFailed)
// has been seen, or of a StartFileCopy that refused the source or found no
// thread; read it before starting the next copy.
CopyOutcome LastCopyOutcome();

// The file's progress: 0 below 1 MiB, else whole MiB done * 100 / whole MiB
// of the size.
int32_t FilePercent(uint64_t bytesDone, uint64_t fileSize);

// The list's progress: whole MiB of `bytes` * 100 / whole MiB of
// `requestSpace`; 0 when the request is below 1 MiB. Not clamped to 100, but
// held within the signed 32-bit range.
int32_t TotalPercent(uint64_t bytes, uint64_t requestSpace);

}  // namespace installer

#endif  // INSTALLER_ENGINE_COPY_WORKER_H
