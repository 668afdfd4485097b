// validate: a whole program directory checked for internal consistency.
#include "tools/likenex-data/Commands.h"

namespace likenex {

int validateCommand(const Arguments&, std::ostream&, std::ostream&) { throw ToolError("not yet available"); }

}  // namespace likenex
