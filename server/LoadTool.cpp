// likenex-load: a load generator for the server's figures and its load tests. It talks to
// loopback addresses only. The protocol kinds run one exchange after another on each of
// --connections slots (server/load/ExchangeRun.h); the others hold idle connections or read
// a web download slowly. See kUsage.
#include "catalogue/Catalogue.h"
#include "net/Messages.h"
#include "server/load/ExchangeRun.h"
#include "server/load/IdleConnections.h"
#include "server/load/LoadRequests.h"
#include "server/load/SlowDownload.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace asio = boost::asio;
using asio::ip::tcp;
using namespace likenex::load;

constexpr const char* kUsage =
    "usage: likenex-load [--address 127.0.0.1] [--port 1234] [--kind KIND] [--connections 32]\n"
    "                    [--requests 100000] [--seconds 10] [--timeout 15] [options of the kind]\n"
    "\n"
    "Kinds of the binary protocol: each of --connections slots connects, sends one request,\n"
    "reads the reply and closes, again and again, until --requests are sent or --seconds are\n"
    "up; a reply not there within --timeout seconds counts as timed out. Printed: requests sent,\n"
    "answered, answered as hoped (ok), errors, replies per second (rps, ok_rps) and the p50,\n"
    "p99 and longest latency of the answered requests, then a count of each kind of error.\n"
    "  version       the version query\n"
    "  open          --avatar N opens avatar N over and over; --numbers FILE opens every number\n"
    "                of FILE once (one per line, as --record writes them; --requests does not\n"
    "                apply, and --seconds only when given) and names on standard error each\n"
    "                that is not found or not tried\n"
    "  upload        stores a free avatar with a 20-step script of the shortest free action of\n"
    "                --program DIR's data/avatar.dat: as the guest, or as --user NAME with\n"
    "                --password TEXT (ASCII) or --digest 32HEXDIGITS; --access-password TEXT\n"
    "                keeps it behind that password (access mode 2)\n"
    "  guest-flood   guest uploads behind an access password (each one an argon2id hash on the\n"
    "                server), as fast as the server answers; --access-password as for upload\n"
    "  --record FILE (upload, guest-flood) appends the number of every upload the server\n"
    "                acknowledged to FILE, one per line, flushed at once\n"
    "Other kinds:\n"
    "  idle          opens --connections connections, sends nothing, holds them --seconds and\n"
    "                prints how many opened and how many the server closed\n"
    "  slow-download --port WEB_PORT --target /Download/NAME --rate BYTES_PER_SECOND: each of\n"
    "                --connections clients GETs the target and reads at most that rate through a\n"
    "                --receive-buffer BYTES (16384) socket buffer until the response ends or\n"
    "                --seconds are up; prints how many finished, were cut or were still reading\n"
    "Exit status: 0 when every request went as hoped (a download still reading at the time limit\n"
    "counts as going well), 1 otherwise, 2 for a usage error.\n";

[[noreturn]] void usageError(const std::string& text) {
    std::fprintf(stderr, "likenex-load: %s\n%s", text.c_str(), kUsage);
    std::exit(2);
}

long long numberOption(const std::string& name, const std::string& text, long long lowest, long long highest) {
    long long value = 0;
    std::size_t used = 0;
    try {
        value = std::stoll(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || text.empty() || value < lowest || value > highest)
        usageError(name + " wants a whole number from " + std::to_string(lowest) + " to " + std::to_string(highest));
    return value;
}

double decimalOption(const std::string& name, const std::string& text, double lowest, double highest) {
    double value = 0;
    std::size_t used = 0;
    try {
        value = std::stod(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || text.empty() || !(value >= lowest && value <= highest))
        usageError(name + " wants a number from " + std::to_string(lowest) + " to " + std::to_string(highest));
    return value;
}

// Thousands of connections need more descriptors than the usual soft limit.
void raiseOpenFileLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        (void)setrlimit(RLIMIT_NOFILE, &limit);
    }
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
    std::string address = "127.0.0.1", kind = "version", program = LIKENEX_DEFAULT_PROGRAM_DIR;
    std::string numbersPath, recordPath, password, target;
    UploadSettings upload;
    RunSettings run;
    SlowDownloadSettings download;
    long long port = 1234, avatar = 1;
    bool accessPasswordGiven = false, secondsGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) usageError(a + " needs a value");
            return argv[++i];
        };
        if (a == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--address") address = value();
        else if (a == "--port") port = numberOption(a, value(), 1, 65535);
        else if (a == "--kind") kind = value();
        else if (a == "--connections") run.connections = static_cast<int>(numberOption(a, value(), 1, 20000));
        else if (a == "--requests") run.limit = numberOption(a, value(), 1, 100000000);
        else if (a == "--seconds") {
            run.seconds = std::chrono::duration<double>(decimalOption(a, value(), 0.1, 3600));
            secondsGiven = true;
        } else if (a == "--timeout")
            run.replyTimeout =
                std::chrono::milliseconds(static_cast<long long>(1000 * decimalOption(a, value(), 0.1, 600)));
        else if (a == "--program") program = value();
        else if (a == "--avatar") avatar = numberOption(a, value(), 1, INT32_MAX);
        else if (a == "--numbers") numbersPath = value();
        else if (a == "--record") recordPath = value();
        else if (a == "--user") upload.user = value();
        else if (a == "--digest") upload.digest = value();
        else if (a == "--password") password = value();
        else if (a == "--access-password") {
            upload.accessPassword = value();
            accessPasswordGiven = true;
        } else if (a == "--target") download.target = value();
        else if (a == "--rate") download.rate = decimalOption(a, value(), 1, 1e10);
        else if (a == "--receive-buffer")
            download.receiveBuffer = static_cast<int>(numberOption(a, value(), 1024, 16 << 20));
        else usageError("unknown option " + a);
    }
    boost::system::error_code ec;
    auto ip = asio::ip::make_address(address, ec);
    if (ec || !ip.is_loopback()) usageError("only loopback addresses are allowed (got " + address + ")");
    tcp::endpoint endpoint(ip, static_cast<unsigned short>(port));
    raiseOpenFileLimit();

    try {
        if (kind == "idle") {
            IdleResult idle = holdIdleConnections(endpoint, run.connections, run.seconds);
            std::printf("kind=idle connections=%d opened=%d refused=%d closed_by_server=%d seconds=%.1f\n",
                        run.connections, idle.opened, idle.refused, idle.closedByServer, run.seconds.count());
            return idle.opened == run.connections && idle.closedByServer == 0 ? 0 : 1;
        }
        if (kind == "slow-download") {
            if (download.target.empty() || download.target.front() != '/')
                usageError("--target wants a path that starts with /");
            download.endpoint = endpoint;
            download.connections = run.connections;
            download.seconds = run.seconds;
            return printDownloadSummary(stdout, download, runSlowDownloads(download)) ? 0 : 1;
        }

        std::vector<Exchange> exchanges;
        bool repeat = true;
        if (kind == "version") {
            exchanges.push_back({versionQuery(), likenex::MessageType::VersionQuery});
        } else if (kind == "open" && numbersPath.empty()) {
            exchanges.push_back({openRequest(avatar), likenex::MessageType::OpenAvatarRequest, avatar});
        } else if (kind == "open") {
            std::string warning;
            for (std::int64_t number : parseNumbers(fileText(numbersPath), 10000000, warning))
                exchanges.push_back({openRequest(number), likenex::MessageType::OpenAvatarRequest, number});
            if (!warning.empty()) std::fprintf(stderr, "likenex-load: %s: %s\n", numbersPath.c_str(), warning.c_str());
            if (exchanges.empty()) {
                std::fprintf(stderr, "likenex-load: %s holds no numbers\n", numbersPath.c_str());
                return 1;
            }
            // Every number is tried once, however many there are; only --seconds given
            // outright bounds the time.
            repeat = false;
            run.limit = static_cast<long long>(exchanges.size());
            if (!secondsGiven) run.seconds = std::chrono::hours(1);
        } else if (kind == "upload" || kind == "guest-flood") {
            if (kind == "guest-flood") {
                upload.user = "guest";
                if (!accessPasswordGiven) upload.accessPassword = "flood";
            } else if (!password.empty()) {
                upload.digest = asciiPasswordDigest(password);
            }
            likenex::Catalogue catalogue;
            if (!catalogue.loadCatalogueSection1(program))
                throw std::runtime_error("cannot read " + program + "/data/avatar.dat");
            exchanges.push_back({uploadRequest(catalogue, upload), likenex::MessageType::SaveAvatarRequest});
        } else {
            usageError("unknown kind " + kind);
        }
        std::unique_ptr<RecordFile> record;
        if (!recordPath.empty()) record = std::make_unique<RecordFile>(recordPath);
        run.endpoint = endpoint;
        RunResult result = ExchangeRun(run, exchanges, repeat, record.get()).run();
        printRunSummary(stdout, kind, run.connections, result);
        std::size_t named = 0;
        for (const auto& [number, label] : result.failedNumbers) {
            if (++named > 50) {
                std::fprintf(stderr, "likenex-load: and %zu more\n", result.failedNumbers.size() - 50);
                break;
            }
            std::fprintf(stderr, "likenex-load: avatar %lld: %s\n", static_cast<long long>(number), label.c_str());
        }
        long long untried = static_cast<long long>(exchanges.size()) - result.sent;
        if (!repeat && untried > 0) {
            std::fprintf(stderr, "likenex-load: %lld numbers were not tried within --seconds\n", untried);
            return 1;
        }
        return result.errorCount() == 0 && result.ok > 0 ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "likenex-load: %s\n", e.what());
        return 2;
    }
}
