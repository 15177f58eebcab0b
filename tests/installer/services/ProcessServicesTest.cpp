#include <thread>

#include <gtest/gtest.h>

#include "installer/services/process_services.h"

using namespace installer;

namespace {

// Whether another thread could take the copy lock right now.
bool OtherThreadCanLock() {
    bool taken = false;
    std::thread other([&taken] {
        taken = ProcessServices::Instance().TryLockCopy();
        if (taken) ProcessServices::Instance().UnlockCopy();
    });
    other.join();
    return taken;
}

}  // namespace

TEST(ProcessServices, copy_lock_keeps_other_threads_out_while_held) {
    EXPECT_TRUE(OtherThreadCanLock());
    {
        CopyLockGuard guard;
        EXPECT_FALSE(OtherThreadCanLock());
    }
    EXPECT_TRUE(OtherThreadCanLock());
}

TEST(ProcessServices, copy_lock_may_be_taken_again_by_its_holder) {
    ProcessServices& services = ProcessServices::Instance();
    services.LockCopy();
    ASSERT_TRUE(services.TryLockCopy());
    services.UnlockCopy();
    // Still held once by this thread.
    EXPECT_FALSE(OtherThreadCanLock());
    services.UnlockCopy();
    EXPECT_TRUE(OtherThreadCanLock());
}
