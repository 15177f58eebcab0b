#include "tools/cleanup_table.h"

#include <atomic>
#include <cstring>

namespace dta::tools::os::detail {
namespace {

constexpr int kSlots = 16;
constexpr size_t kPathMax = 4096;

enum SlotState : int { kFree = 0, kFilling = 1, kReady = 2 };

std::atomic<int> g_state[kSlots];
char g_path[kSlots][kPathMax];

static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads the states");

}  // namespace

int RegisterForCleanup(const std::string& path) {
    if (path.size() >= kPathMax) return -1;
    for (int slot = 0; slot < kSlots; ++slot) {
        int expected = kFree;
        if (!g_state[slot].compare_exchange_strong(expected, kFilling)) continue;
        std::memcpy(g_path[slot], path.c_str(), path.size() + 1);
        g_state[slot].store(kReady);
        return slot;
    }
    return -1;
}

void UnregisterFromCleanup(int slot) {
    if (slot >= 0 && slot < kSlots) g_state[slot].store(kFree);
}

void RemoveRegistered(void (*remove)(const char* path)) {
    for (int slot = 0; slot < kSlots; ++slot)
        if (g_state[slot].load() == kReady) remove(g_path[slot]);
}

}  // namespace dta::tools::os::detail
