#pragma once
// The editor's own version number, which it records as `ver` and which the updater compares with
// the newest one. The build sets it (LIKENEX_PROGRAM_VERSION) and compiles ProgramVersion.cpp into
// each executable, so that one build can also link the same editor at the next version for the
// update test.

#include <cstdint>

namespace likenex {

extern const std::uint32_t kProgramVersion;

}  // namespace likenex
