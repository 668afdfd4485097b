// validate: a whole program directory checked for internal consistency.
#include "tools/likenex-data/Commands.h"
#include "tools/likenex-data/Validate.h"

#include <ostream>

namespace likenex {

int validateCommand(const Arguments& arguments, std::ostream& out, std::ostream&) {
    ParsedArguments parsed = parseArguments(arguments, {"--uses"});
    expectCount(parsed, 1, 1, "validate DIR [--uses INTERFACE_DIR]");
    const auto uses = parsed.options.find("--uses");
    const bool withUses = uses != parsed.options.end();
    ValidationReport report = validateProgramDirectory(parsed.positional[0], withUses ? uses->second : std::string());
    for (const std::string& problem : report.problems) out << problem << '\n';
    for (const std::string& note : report.notes) out << "note: " << note << '\n';
    out << (report.problems.empty() ? "ok: " : "failed: ") << report.problems.size() << " problems, "
        << report.picturesChecked << " pictures checked";
    if (withUses) out << ", " << report.skinsChecked << " skins and " << report.textsChecked << " placed texts checked";
    out << '\n';
    return report.problems.empty() ? 0 : 1;
}

}  // namespace likenex
