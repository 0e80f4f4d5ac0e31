#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

// A worker thread that runs one job at a time for its owner, so that a file
// can be read or written while the caller goes on with other work. The thread
// starts with the first job and ends with the object. A thread per job
// (std::async) is simpler but measured slower: the 1 MiB blocks come faster
// than a busy system starts threads, and Wait could no longer take over a job
// the worker has not begun.
class BackgroundTask {
  public:
    BackgroundTask() = default;
    BackgroundTask(const BackgroundTask&) = delete;
    BackgroundTask& operator=(const BackgroundTask&) = delete;
    ~BackgroundTask();

    // Runs the job on the worker. The previous job must have been waited for.
    void Start(std::function<void()> job);
    // Waits for the job started last and throws what it threw; returns at once
    // when there is none. A job the worker has not begun yet runs right here.
    void Wait();
    // Waits for the job started last and forgets what it threw.
    void Drop();

  private:
    void Work();

    std::mutex Lock;
    std::condition_variable Changed;
    std::function<void()> Job;
    bool Running = false;  // a job is started and not yet waited for
    bool Finished = false; // the started job has ended
    bool Ending = false;
    std::exception_ptr Failure;
    std::thread Worker;
};
