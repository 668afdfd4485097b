#pragma once
// The settings read from and written to the program directory's opt.dat and the registry.

#include "screens/Settings.h"

#include <string>

namespace likenex {

// The key of the language value: written under HKEY_CURRENT_USER, read from there or, when the
// user has none, from HKEY_LOCAL_MACHINE, where older installs kept it.
inline constexpr const char* kSettingsKey = "Software\\Tovik\\Mimzu\\";

// Reads opt.dat (creating it from `settings` when it is missing) and the registry language;
// what cannot be read keeps its value.
void readSettings(const std::string& programDirectory, Settings& settings);
// Writes opt.dat (through a temporary file, so a failed write never leaves half a file) and
// the registry language. Failures are silent.
void writeSettings(const std::string& programDirectory, const Settings& settings);

}  // namespace likenex
