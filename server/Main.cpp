// likenex-server: the service's server. See --help.
#include "server/OpenFileLimit.h"
#include "server/ServerApp.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: likenex-server [--config FILE] [--set KEY=VALUE]... [--data DIR]\n"
    "       likenex-server [options] user add NAME     (the password is read from standard input)\n"
    "       likenex-server [options] user passwd NAME  (a new password, from standard input)\n"
    "       likenex-server --help\n"
    "\n"
    "Serves the editor's binary protocol (default 127.0.0.1:1234) and the web side: pages,\n"
    "/Download/ files and the news feed (default 127.0.0.1:8080). It creates its data directory\n"
    "and stores accounts and avatars in SQLite there unless told to use PostgreSQL. SIGTERM\n"
    "stops it: requests waiting for a worker are dropped, work under way gets stop_seconds.\n"
    "It raises its open-file limit to the hard limit and fits both connection caps under it.\n"
    "One line per request goes to standard error.\n"
    "\n"
    "The built-in configuration, which --config FILE and then each --set override:\n\n";

}  // namespace

int main(int argc, char** argv) {
    using namespace likenex;
    ServerConfig config;
    (void)applyConfigurationText(config, defaultConfigurationText());
    std::vector<std::string> rest;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "likenex-server: %s needs a value\n", a.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        Result<void> applied;
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            std::fwrite(defaultConfigurationText().data(), 1, defaultConfigurationText().size(), stdout);
            return 0;
        } else if (a == "--config") {
            std::string path = next();
            std::ifstream in(path);
            if (!in) {
                std::fprintf(stderr, "likenex-server: cannot read %s\n", path.c_str());
                return 2;
            }
            std::stringstream text;
            text << in.rdbuf();
            applied = applyConfigurationText(config, text.str());
            if (!applied) applied = Failure{path + ": " + applied.error()};
        } else if (a == "--set") {
            std::string setting = next();
            std::size_t equals = setting.find('=');
            applied = equals == std::string::npos
                          ? Result<void>(Failure{"--set needs KEY=VALUE"})
                          : applySetting(config, setting.substr(0, equals), setting.substr(equals + 1));
        } else if (a == "--data") {
            config.dataDirectory = next();
        } else {
            rest.push_back(a);
        }
        if (!applied) {
            std::fprintf(stderr, "likenex-server: %s\n", applied.error().c_str());
            return 2;
        }
    }

    if (!rest.empty()) {
        if (rest.size() == 3 && rest[0] == "user" && (rest[1] == "add" || rest[1] == "passwd")) {
            std::string password;
            std::getline(std::cin, password);
            if (!password.empty() && password.back() == '\r') password.pop_back();
            return userCommand(config, rest[1], rest[2], password, stderr);
        }
        std::fprintf(stderr, "likenex-server: unexpected '%s'\n%s", rest[0].c_str(), kUsage);
        return 2;
    }

    try {
        (void)raiseOpenFileLimit();
        ServerApp app(config);
        std::fprintf(stderr, "likenex-server: protocol on %s:%u, web on %s:%u, data in %s\n",
                     config.protocolAddress.c_str(), app.protocolPort(), config.httpAddress.c_str(), app.httpPort(),
                     config.dataDirectory.c_str());
        std::fprintf(stderr, "likenex-server: %s\n", app.connectionCaps().c_str());
        app.run(true);
        if (app.workLeftRunning()) {
            // Destroying the server would wait for the stuck job: end here instead.
            std::fprintf(stderr, "likenex-server: stopped, leaving work that did not end within stop_seconds\n");
            std::fflush(stderr);
            std::_Exit(0);
        }
        std::fprintf(stderr, "likenex-server: stopped\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "likenex-server: %s\n", e.what());
        return 1;
    }
    return 0;
}
