#pragma once
// A fixed set of threads with a bounded queue. A job beyond the queue's limit is refused at
// once rather than queued: under a flood the server answers "busy" quickly instead of running
// work whose client gave up long ago. Stopping drops the jobs still waiting; jobs running
// finish. Thread-safe.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace likenex {

class WorkPool {
public:
    WorkPool(std::string name, int threads, std::size_t queueLimit);
    ~WorkPool();
    WorkPool(const WorkPool&) = delete;
    WorkPool& operator=(const WorkPool&) = delete;

    // False when the job was not taken (the queue is full or the pool stops); it never runs then.
    [[nodiscard]] bool post(std::function<void()> job);
    // Takes no more jobs and drops those waiting; returns at once.
    void stop();
    // Drops the jobs waiting now but goes on taking new ones; returns how many went.
    std::size_t dropWaiting();
    // Stops, then waits for the running jobs to end.
    void join();

    [[nodiscard]] const std::string& name() const { return name_; }
    [[nodiscard]] std::size_t waiting() const;
    [[nodiscard]] std::size_t running() const;

private:
    void work();

    std::string name_;
    std::size_t queueLimit_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> queue_;
    std::size_t running_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace likenex
