// validate: a whole program directory checked for internal consistency.
#include "tools/likenex-data/Commands.h"
#include "tools/likenex-data/Validate.h"

#include <ostream>

namespace likenex {

int validateCommand(const Arguments& arguments, std::ostream& out, std::ostream&) {
    ParsedArguments parsed = parseArguments(arguments, {});
    expectCount(parsed, 1, 1, "validate DIR");
    ValidationReport report = validateProgramDirectory(parsed.positional[0]);
    for (const std::string& problem : report.problems) out << problem << '\n';
    for (const std::string& note : report.notes) out << "note: " << note << '\n';
    out << (report.problems.empty() ? "ok: " : "failed: ") << report.problems.size() << " problems, "
        << report.picturesChecked << " pictures checked\n";
    return report.problems.empty() ? 0 : 1;
}

}  // namespace likenex
