// Creation on first use and shut-down at exit of the library's state, and the
// open-file table's slot helpers.
#include "dta/library_state.h"

#include <atomic>
#include <new>

#include "dta/leak_report.h"
#include "dta/report.h"

namespace dta::detail {
namespace {

// Constant-initialised: valid before any constructor of the program has run.
std::atomic<LibraryState*> g_state{nullptr};

// Shuts the library down at program exit. Its constructor is trivial and
// constant, so the object needs no start-up code of its own; only its
// destructor runs, at exit.
class LibraryShutdown {
public:
    constexpr LibraryShutdown() = default;
    ~LibraryShutdown() { ShutDownLibrary(); }
};

LibraryShutdown g_shutdown;

}  // namespace

LibraryState* State() {
    LibraryState* state = g_state.load(std::memory_order_acquire);
    if (state != nullptr) return state;
    // Two threads may race here: both build a state, one wins, the loser
    // deletes its own. The state's constructor has no side effects.
    auto* fresh = new (std::nothrow) LibraryState;
    if (fresh == nullptr) return nullptr;
    if (g_state.compare_exchange_strong(state, fresh, std::memory_order_acq_rel)) return fresh;
    delete fresh;
    return state;
}

LockedState::LockedState() : state_(State()) {
    if (state_ != nullptr) guard_ = std::unique_lock<std::recursive_mutex>(state_->lock);
}

OpenSlot* UsedSlot(LibraryState& state, int32_t handle) {
    if (handle < 0 || static_cast<size_t>(handle) >= state.slots.size()) return nullptr;
    OpenSlot& slot = state.slots[static_cast<size_t>(handle)];
    return slot.IsFree() ? nullptr : &slot;
}

int32_t InsertSlot(LibraryState& state, OpenSlot&& slot) {
    for (size_t i = 0; i < state.slots.size(); ++i) {
        if (state.slots[i].IsFree()) {
            state.slots[i] = std::move(slot);
            return static_cast<int32_t>(i);
        }
    }
    if (state.slots.size() >= static_cast<size_t>(INT32_MAX)) return -1;
    try {
        state.slots.push_back(std::move(slot));
    } catch (const std::bad_alloc&) {
        return -1;
    }
    return static_cast<int32_t>(state.slots.size() - 1);
}

void FreeSlot(OpenSlot& slot) {
    slot = OpenSlot();
}

std::unique_ptr<uint8_t[]> NewBlockBuffer() {
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[kBlockBufferSize]);
}

void ShutDownLibrary() {
    LibraryState* state = g_state.load(std::memory_order_acquire);
    if (state == nullptr) return;
    if (state->leakReportEnabled) {
        std::string text;
        {
            std::lock_guard<std::recursive_mutex> guard(state->lock);
            text = BuildLeakReport(state->references, state->objects);
        }
        if (!text.empty()) ShowReport(kLeakReportTitle, text.c_str());
    }
    // Open files and archive files still open are left to the system; only
    // the tables and the lock are freed.
    g_state.store(nullptr, std::memory_order_release);
    delete state;
}

}  // namespace dta::detail
