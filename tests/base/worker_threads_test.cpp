#include <gtest/gtest.h>

#include <atomic>
#include <latch>

#include "base/worker_threads.h"

TEST(WorkerThreads, CountsUntilEachEndsEvenAfterTheOwnerIsGone)
{
    std::latch release(1);
    std::atomic<int> done { 0 };
    WorkerThreads handle;
    {
        WorkerThreads owner;
        handle = owner;
        for (int i = 0; i < 3; ++i)
            owner.start([&] {
                release.wait();
                ++done;
            });
        owner.start([] { throw std::runtime_error("a failing worker ends alone"); });
        EXPECT_FALSE(owner.waitIdle(std::chrono::milliseconds(20)));
        EXPECT_GE(owner.running(), 3);
    }
    release.count_down();
    EXPECT_TRUE(handle.waitIdle(std::chrono::seconds(5)));
    EXPECT_EQ(handle.running(), 0);
    EXPECT_EQ(done, 3);
}
