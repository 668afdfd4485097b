#pragma once
// What a listener does when accept fails. Out of file descriptors (EMFILE, ENFILE) or kernel
// memory (ENOBUFS, ENOMEM), accepting again at once fails again at once: the loop spins on a
// core and starves the connections being served. After a failure the listener waits instead,
// 10 ms doubling up to 1 s, and the first wait after a success is short again. One line goes to
// the log when an episode starts and one when accepting works again, not one per failure.
//
// Use from a listener whose acceptor runs on a strand:
//
//     AcceptBackoff backoff_{acceptor_.get_executor(), log_, "http"};   // a member
//     acceptor_.async_accept(..., [this](error_code ec, tcp::socket socket) {
//         if (ec == asio::error::operation_aborted || !acceptor_.is_open()) return;
//         if (ec) return backoff_.pause(ec, [this] { accept(); });
//         backoff_.succeeded();
//         ...                                                         // serve the socket
//         accept();
//     });
//
// A listener's stop needs nothing more: the waiting timer runs its continuation, which finds the
// acceptor closed. The delays themselves are in `failed`, apart from the timer, to be tested.

#include "server/RequestLog.h"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/system/error_code.hpp>

#include <chrono>
#include <functional>
#include <string>

namespace likenex {

class AcceptBackoff {
public:
    static constexpr std::chrono::milliseconds kFirstWait{10};
    static constexpr std::chrono::milliseconds kLongestWait{1000};

    AcceptBackoff(const boost::asio::any_io_executor& executor, RequestLog& log, std::string side);

    // Counts a failed accept and says how long to wait before the next; the first failure of an
    // episode is logged.
    [[nodiscard]] std::chrono::milliseconds failed(const boost::system::error_code& error);
    // Ends an episode (logged with the number of failures), and the next wait is short again.
    void succeeded();
    // Counts the failure and runs `retry` on the timer's executor once the wait is over.
    void pause(const boost::system::error_code& error, std::function<void()> retry);

    [[nodiscard]] long long failuresThisEpisode() const { return failures_; }

private:
    boost::asio::steady_timer timer_;
    RequestLog& log_;
    std::string side_;
    std::chrono::milliseconds nextWait_ = kFirstWait;
    long long failures_ = 0;
    std::chrono::steady_clock::time_point episodeStarted_;
};

}  // namespace likenex
