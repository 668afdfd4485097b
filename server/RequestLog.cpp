#include "server/RequestLog.h"

#include <ctime>

namespace likenex {

std::string isoUtc(std::int64_t secondsSince1970) {
    std::time_t t = static_cast<std::time_t>(secondsSince1970);
    std::tm parts{};
    gmtime_r(&t, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

void RequestLog::write(std::string_view side, std::string_view peer, std::string_view what,
                       std::chrono::steady_clock::duration took) {
    std::string line = isoUtc(std::time(nullptr));
    line += ' ';
    line += side;
    line += ' ';
    line += peer;
    line += ' ';
    // The text may come from the client: control characters never reach the log.
    for (char c : what) line += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? '?' : c;
    line += ' ';
    line += std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(took).count());
    line += "us\n";
    std::lock_guard lock(mutex_);
    std::fputs(line.c_str(), out_);
    ++lines_;
}

}  // namespace likenex
