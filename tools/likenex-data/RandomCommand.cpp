// random: avatar codes of avatars dressed at random from a program directory's catalogue and
// colour table, one per line. The same seed gives the same codes on every machine, so a seed
// names a set of avatars as well as the codes themselves do.
#include "net/AvatarCode.h"
#include "net/RandomAvatar.h"
#include "tools/likenex-data/Commands.h"
#include "tools/likenex-data/LoadedAvatarData.h"

#include <chrono>
#include <cstdint>
#include <limits>
#include <ostream>

namespace likenex {

namespace {

constexpr const char* kUsage = "random DIR [--seed N] [--count K] [--free]";
constexpr std::int64_t kMostCodes = 10000;

}  // namespace

int randomCommand(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    // --free is a flag without a value: only what costs nothing, as a guest may upload.
    Arguments rest;
    bool freeOnly = false;
    for (const std::string& a : arguments) {
        if (a == "--free") freeOnly = true;
        else rest.push_back(a);
    }
    ParsedArguments parsed = parseArguments(rest, {"--seed", "--count"});
    expectCount(parsed, 1, 1, kUsage);
    const std::int64_t count =
        parsed.options.contains("--count") ? parseInteger(parsed.options["--count"], "--count", 1, kMostCodes) : 1;
    std::uint64_t seed = 0;
    if (parsed.options.contains("--seed")) {
        seed = static_cast<std::uint64_t>(
            parseInteger(parsed.options["--seed"], "--seed", 0, std::numeric_limits<std::int64_t>::max()));
    } else {
        // Told on the error stream, so that a set worth keeping can be made again.
        seed = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()) &
               static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
        err << "seed " << seed << '\n';
    }
    const LoadedAvatarData data(parsed.positional[0]);
    const RandomAvatar dresser(data.catalogue, data.tables.colour, &data.tables.skin);
    RandomSource random(seed);
    for (std::int64_t i = 0; i < count; ++i) {
        const AvatarCodeResult code = encodeAvatarCode(dresser.dress(random, freeOnly));
        if (code.refusal != CodeRefusal::none)
            throw ToolError(std::string("a random avatar has no code: ") + describeRefusal(code.refusal));
        out << code.code << '\n';
    }
    return 0;
}

}  // namespace likenex
