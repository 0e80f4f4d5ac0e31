#include "BackgroundTask.h"

#include <utility>

BackgroundTask::~BackgroundTask()
{
    Drop();
    if (!Worker.joinable())
        return;
    {
        const std::lock_guard<std::mutex> guard(Lock);
        Ending = true;
    }
    Changed.notify_all();
    Worker.join();
}

void BackgroundTask::Start(std::function<void()> job)
{
    {
        const std::lock_guard<std::mutex> guard(Lock);
        Job = std::move(job);
        Running = true;
        Finished = false;
        Failure = nullptr;
    }
    if (!Worker.joinable())
        Worker = std::thread(&BackgroundTask::Work, this);
    Changed.notify_all();
}

void BackgroundTask::Wait()
{
    std::unique_lock<std::mutex> guard(Lock);
    if (Running && Job) {
        // The worker has not begun: the job runs here rather than wait until
        // the system gets round to the worker, which takes long on a busy machine.
        std::function<void()> job = std::move(Job);
        Job = nullptr;
        Running = false;
        guard.unlock();
        job();
        return;
    }
    Changed.wait(guard, [this] { return !Running || Finished; });
    Running = false;
    if (Failure)
        std::rethrow_exception(std::exchange(Failure, nullptr));
}

void BackgroundTask::Drop()
{
    try {
        Wait();
    } catch (...) {
        // The owner is already giving up, for a reason of its own.
    }
}

void BackgroundTask::Work()
{
    std::unique_lock<std::mutex> guard(Lock);
    for (;;) {
        Changed.wait(guard, [this] { return Ending || (Running && !Finished && Job); });
        if (Ending)
            return;
        std::function<void()> job = std::move(Job);
        Job = nullptr;
        guard.unlock();
        std::exception_ptr failure;
        try {
            job();
        } catch (...) {
            failure = std::current_exception();
        }
        guard.lock();
        Failure = failure;
        Finished = true;
        Changed.notify_all();
    }
}
