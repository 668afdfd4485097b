#pragma once
// The replies a reader thread has cut from the stream and a dispatcher thread has not yet
// handed on. Each element owns its own copy of the frame. The dispatcher takes the most
// recently received reply first: two replies that arrive before it runs are handed on newest
// first, which is the order the program has always delivered them in.
//
// The lock is held only to append or to take one reply, and no other lock is taken under it.

#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace likenex {

class ReplyQueue {
public:
    void push(std::span<const std::uint8_t> frame) {
        std::lock_guard lock(mutex_);
        replies_.emplace_back(frame.begin(), frame.end());
    }

    // The newest reply, removed from the queue; nothing when the queue is empty.
    [[nodiscard]] std::optional<std::vector<std::uint8_t>> takeNewest() {
        std::lock_guard lock(mutex_);
        if (replies_.empty()) return std::nullopt;
        std::vector<std::uint8_t> newest = std::move(replies_.back());
        replies_.pop_back();
        return newest;
    }

    [[nodiscard]] std::size_t size() const {
        std::lock_guard lock(mutex_);
        return replies_.size();
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::vector<std::uint8_t>> replies_;
};

}  // namespace likenex
