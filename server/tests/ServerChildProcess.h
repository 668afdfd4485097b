#pragma once
// The built server as a child process, for the tests where a signal, a descriptor limit or the
// log is part of what is tested: started on free loopback ports with the test's settings, its
// standard error appended to a log file beside its data directory (the directory's path with
// ".log" added), and killed at the end unless it has ended already.

#include "server/ServerConfig.h"

#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace likenex::testing {

class ServerChildProcess {
public:
    struct Options {
        // Each becomes a "--set name=value" after the directories and ports.
        std::vector<std::string> settings;
        // The child's limit of open files; 0 keeps the test's own.
        rlim_t openFiles = 0;
    };

    // Returns once the server accepts protocol connections, or after 30 seconds without.
    ServerChildProcess(const std::string& binary, const ServerConfig& config, Options options);
    ~ServerChildProcess();
    ServerChildProcess(const ServerChildProcess&) = delete;
    ServerChildProcess& operator=(const ServerChildProcess&) = delete;

    [[nodiscard]] std::uint16_t protocolPort() const { return protocolPort_; }
    [[nodiscard]] std::uint16_t httpPort() const { return httpPort_; }
    [[nodiscard]] pid_t pid() const { return pid_; }
    [[nodiscard]] std::string log() const;
    void signal(int number) const;
    // The exit status once it has ended within the limit; -1 otherwise.
    [[nodiscard]] int wait(std::chrono::milliseconds limit);
    // User and system CPU time so far.
    [[nodiscard]] std::chrono::milliseconds cpuTime() const;
    [[nodiscard]] std::size_t openDescriptors() const;

private:
    std::uint16_t protocolPort_;
    std::uint16_t httpPort_;
    std::string logPath_;
    pid_t pid_ = -1;
};

}  // namespace likenex::testing
