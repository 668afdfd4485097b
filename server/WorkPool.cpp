#include "server/WorkPool.h"

#include <algorithm>

namespace likenex {

WorkPool::WorkPool(std::string name, int threads, std::size_t queueLimit)
    : name_(std::move(name)), queueLimit_(queueLimit) {
    for (int i = 0; i < std::max(1, threads); ++i) threads_.emplace_back([this] { work(); });
}

WorkPool::~WorkPool() { join(); }

bool WorkPool::post(std::function<void()> job) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_ || queue_.size() >= queueLimit_) return false;
        queue_.push_back(std::move(job));
    }
    wake_.notify_one();
    return true;
}

void WorkPool::stop() {
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        dropped.swap(queue_);
    }
    wake_.notify_all();
    // The dropped jobs are destroyed here, outside the lock: what they hold (a connection,
    // say) may take locks of its own when it goes.
}

std::size_t WorkPool::dropWaiting() {
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard lock(mutex_);
        dropped.swap(queue_);
    }
    // Destroyed outside the lock, as in stop().
    return dropped.size();
}

void WorkPool::join() {
    stop();
    for (std::thread& t : threads_)
        if (t.joinable()) t.join();
}

std::size_t WorkPool::waiting() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

std::size_t WorkPool::running() const {
    std::lock_guard lock(mutex_);
    return running_;
}

void WorkPool::work() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) return;
            job = std::move(queue_.front());
            queue_.pop_front();
            ++running_;
        }
        job();
        job = nullptr;
        std::lock_guard lock(mutex_);
        --running_;
    }
}

}  // namespace likenex
