#include <thread>

#include <gtest/gtest.h>

#include "installer/engine/copy_lock.h"

using namespace installer;

namespace {

// Whether another thread could take the copy lock right now.
bool OtherThreadCanLock() {
    bool taken = false;
    std::thread other([&taken] {
        taken = CopyLock::Instance().TryLock();
        if (taken) CopyLock::Instance().Unlock();
    });
    other.join();
    return taken;
}

}  // namespace

TEST(CopyLock, copy_lock_keeps_other_threads_out_while_held) {
    EXPECT_TRUE(OtherThreadCanLock());
    {
        CopyLockGuard guard;
        EXPECT_FALSE(OtherThreadCanLock());
    }
    EXPECT_TRUE(OtherThreadCanLock());
}

TEST(CopyLock, copy_lock_may_be_taken_again_by_its_holder) {
    CopyLock& lock = CopyLock::Instance();
    lock.Lock();
    ASSERT_TRUE(lock.TryLock());
    lock.Unlock();
    // Still held once by this thread.
    EXPECT_FALSE(OtherThreadCanLock());
    lock.Unlock();
    EXPECT_TRUE(OtherThreadCanLock());
}
