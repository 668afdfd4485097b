#pragma once
// Protocol exchanges for likenex-load: each of `connections` slots runs one exchange after
// another (connect, send one request, read the reply, close) on one event-driven thread,
// until the request count or the time is used up. Every exchange has its own reply deadline,
// so a server that stops answering shows as timed-out requests instead of a hung run.

#include "server/load/LoadRequests.h"

#include <boost/asio/ip/tcp.hpp>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace likenex::load {

struct Exchange {
    std::vector<std::uint8_t> request;
    MessageType type = MessageType::VersionQuery;
    std::int64_t avatarNumber = 0;  // the avatar an open asks for, to name it when it fails
};

// The numbers of acknowledged uploads, one per line, each flushed as it is written: a test
// reads the file while the run goes on, or after a server was killed.
class RecordFile {
public:
    explicit RecordFile(const std::string& path);  // throws std::runtime_error
    void append(std::int64_t number);

private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
};

struct RunSettings {
    boost::asio::ip::tcp::endpoint endpoint;
    int connections = 32;
    long long limit = 100000;  // exchanges started, at most
    std::chrono::duration<double> seconds{10};
    std::chrono::milliseconds replyTimeout{15000};
};

struct RunResult {
    long long sent = 0;
    long long ok = 0;
    std::vector<double> latenciesMs;          // of every exchange that got a reply
    std::map<std::string, long long> errors;  // what went wrong, and how often
    std::vector<std::pair<std::int64_t, std::string>> failedNumbers;
    double seconds = 0;

    [[nodiscard]] long long errorCount() const;
};

class ExchangeRun {
public:
    // `exchanges` are sent in turn, over and over when `repeat`, else each once. `record`, when
    // given, receives the number of every upload the server acknowledged.
    ExchangeRun(RunSettings settings, std::vector<Exchange> exchanges, bool repeat, RecordFile* record);
    [[nodiscard]] RunResult run();

    class Slot;

private:
    friend class Slot;
    [[nodiscard]] const Exchange* take();

    RunSettings settings_;
    std::vector<Exchange> exchanges_;
    bool repeat_;
    RecordFile* record_;
    std::chrono::steady_clock::time_point deadline_;
    RunResult result_;
};

// One line of figures and, when anything failed, one line counting each kind of failure.
void printRunSummary(std::FILE* out, const std::string& kind, int connections, RunResult& result);

}  // namespace likenex::load
