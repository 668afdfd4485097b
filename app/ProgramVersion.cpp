#include "app/ProgramVersion.h"

#ifndef LIKENEX_PROGRAM_VERSION
#error "the build sets LIKENEX_PROGRAM_VERSION (app/CMakeLists.txt, likenex_program_version)"
#endif

namespace likenex {

extern const std::uint32_t kProgramVersion = LIKENEX_PROGRAM_VERSION;

}  // namespace likenex
