#include "BackgroundTask.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

TEST(BackgroundTask, WaitWithoutAJobReturns)
{
    BackgroundTask task;
    task.Wait();
    task.Drop();
}

TEST(BackgroundTask, JobsRunOnceEachInOrder)
{
    BackgroundTask task;
    std::vector<int> done;
    for (int i = 0; i < 100; ++i) {
        task.Start([&done, i] { done.push_back(i); });
        task.Wait();
        ASSERT_EQ(done.size(), static_cast<std::size_t>(i + 1));
    }
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(done[static_cast<std::size_t>(i)], i);
}

TEST(BackgroundTask, AJobRunsWhileTheCallerGoesOn)
{
    BackgroundTask task;
    std::atomic<bool> ran{false};
    std::thread::id worker;
    task.Start([&ran, &worker] {
        worker = std::this_thread::get_id();
        ran = true;
    });
    // The caller does not wait: the worker alone can run the job.
    for (int i = 0; i < 5000 && !ran; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    task.Wait();
    EXPECT_TRUE(ran);
    EXPECT_NE(worker, std::this_thread::get_id());
}

TEST(BackgroundTask, WaitThrowsWhatTheJobThrewOnce)
{
    BackgroundTask task;
    task.Start([] { throw std::runtime_error("disk full"); });
    EXPECT_THROW(task.Wait(), std::runtime_error);
    task.Wait(); // reported once only
    int runs = 0;
    task.Start([&runs] { ++runs; });
    task.Wait();
    EXPECT_EQ(runs, 1);
}

TEST(BackgroundTask, DropForgetsTheFailureAndTheEndWaitsForTheJob)
{
    bool finished = false;
    {
        BackgroundTask task;
        task.Start([] { throw std::runtime_error("read error"); });
        task.Drop();
        task.Start([&finished] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            finished = true;
        });
    }
    EXPECT_TRUE(finished);
}

} // namespace
