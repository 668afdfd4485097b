#include "server/AcceptBackoff.h"

#include <algorithm>

namespace likenex {

AcceptBackoff::AcceptBackoff(const boost::asio::any_io_executor& executor, RequestLog& log, std::string side)
    : timer_(executor), log_(log), side_(std::move(side)) {}

std::chrono::milliseconds AcceptBackoff::failed(const boost::system::error_code& error) {
    if (failures_++ == 0) {
        episodeStarted_ = std::chrono::steady_clock::now();
        log_.write(side_, "-", "accept failed: " + error.message() + "; accepting more slowly until it works again",
                   {});
    }
    std::chrono::milliseconds wait = nextWait_;
    nextWait_ = std::min(nextWait_ * 2, kLongestWait);
    return wait;
}

void AcceptBackoff::succeeded() {
    if (failures_ > 0)
        log_.write(side_, "-", "accepting again after " + std::to_string(failures_) + " failed accepts",
                   std::chrono::steady_clock::now() - episodeStarted_);
    failures_ = 0;
    nextWait_ = kFirstWait;
}

void AcceptBackoff::pause(const boost::system::error_code& error, std::function<void()> retry) {
    timer_.expires_after(failed(error));
    // Cancelled only when the listener goes away; then there is nothing to retry.
    timer_.async_wait([retry = std::move(retry)](const boost::system::error_code& ec) {
        if (ec != boost::asio::error::operation_aborted) retry();
    });
}

}  // namespace likenex
