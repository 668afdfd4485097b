#include "server/tests/ServerChildProcess.h"

#include "server/tests/ServerTestSupport.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <sstream>
#include <thread>

namespace likenex::testing {

using namespace std::chrono_literals;

namespace {

// The server is ready once it accepts a protocol connection; it is asked every 50 ms for at
// most half a minute, as a loaded machine may start it slowly.
constexpr int kReadyChecks = 600;
constexpr auto kReadyCheckInterval = 50ms;

}  // namespace

ServerChildProcess::ServerChildProcess(const std::string& binary, const ServerConfig& config, Options options)
    : protocolPort_(static_cast<std::uint16_t>(freePort())),
      httpPort_(static_cast<std::uint16_t>(freePort())),
      logPath_(config.dataDirectory + ".log") {
    std::vector<std::string> args = {binary,
                                     "--data",
                                     config.dataDirectory,
                                     "--set",
                                     "program_directory=" + config.programDirectory,
                                     "--set",
                                     "protocol_port=" + std::to_string(protocolPort_),
                                     "--set",
                                     "http_port=" + std::to_string(httpPort_)};
    for (std::string& setting : options.settings) {
        args.push_back("--set");
        args.push_back(std::move(setting));
    }
    // Built before the fork: the child only redirects, limits and executes.
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        const int log = ::open(logPath_.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        dup2(log, 2);
        if (options.openFiles > 0) {
            const rlimit limit{options.openFiles, options.openFiles};
            if (setrlimit(RLIMIT_NOFILE, &limit) != 0) _exit(126);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    for (int i = 0; i < kReadyChecks && !ProtocolClient(protocolPort_).connected(); ++i)
        std::this_thread::sleep_for(kReadyCheckInterval);
}

ServerChildProcess::~ServerChildProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

std::string ServerChildProcess::log() const { return fileText(logPath_); }

void ServerChildProcess::signal(int number) const { kill(pid_, number); }

int ServerChildProcess::wait(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(20ms);
    }
    return -1;
}

std::chrono::milliseconds ServerChildProcess::cpuTime() const {
    const std::string stat = fileText("/proc/" + std::to_string(pid_) + "/stat");
    const std::size_t afterName = stat.rfind(')');
    if (afterName == std::string::npos) return {};
    std::istringstream fields(stat.substr(afterName + 2));
    std::string field;
    long long utime = 0, stime = 0;
    // Fields 3 to 13 come before utime (14) and stime (15).
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::stoll(field);
        if (i == 15) stime = std::stoll(field);
    }
    return std::chrono::milliseconds((utime + stime) * 1000 / sysconf(_SC_CLK_TCK));
}

std::size_t ServerChildProcess::openDescriptors() const {
    std::error_code ec;
    std::size_t n = 0;
    for (auto it = std::filesystem::directory_iterator("/proc/" + std::to_string(pid_) + "/fd", ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
        ++n;
    return n;
}

}  // namespace likenex::testing
