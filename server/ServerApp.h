#pragma once
// The whole server: configuration, data directory, storage, catalogue, the protocol listener
// and the web side, on one io_context, with separate bounded work pools for storage and
// pages, for password hashing and for avatar pictures.

#include "server/ServerConfig.h"

#include <memory>
#include <string>

namespace likenex {

class ServerApp {
public:
    // Creates the data directory, opens and migrates the storage, reads the catalogue and
    // binds both listeners. Throws std::runtime_error with a readable text on any failure.
    explicit ServerApp(ServerConfig config);
    ~ServerApp();
    ServerApp(const ServerApp&) = delete;
    ServerApp& operator=(const ServerApp&) = delete;

    [[nodiscard]] std::uint16_t protocolPort() const;
    [[nodiscard]] std::uint16_t httpPort() const;
    // Runs until stop (or SIGTERM/SIGINT when handleSignals is true). Stopping stops accepting
    // and drops the requests waiting for a worker; requests being read, work started and
    // replies being written get stop_seconds, after which run returns anyway.
    void run(bool handleSignals);
    // Thread-safe.
    void stop();
    // After run: a job was still running at the stop's deadline, its thread not joined. The
    // process should then end without destroying this object, which would wait for it.
    [[nodiscard]] bool workLeftRunning() const;
    // The connection caps in force, fitted under the open-file limit, for the start-up line.
    [[nodiscard]] std::string connectionCaps() const;

    struct Parts;

private:
    std::unique_ptr<Parts> parts_;
};

// `likenex-server user add NAME` (a new account) and `user passwd NAME` (a new password for
// an existing one), with the password read from standard input by the caller. Returns the
// process exit code; messages go to `err`.
int userCommand(const ServerConfig& config, const std::string& verb, const std::string& name,
                const std::string& passwordUtf8, std::FILE* err);

}  // namespace likenex
