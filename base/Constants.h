#pragma once
// Values that more than one program or subsystem must agree on.

#include <cstdint>

namespace likenex {

// The service's address when the command line names none; the server listens there by default.
inline constexpr const char* kDefaultServerHost = "127.0.0.1";
inline constexpr std::int32_t kDefaultServerPort = 1234;
// The service's web site, which the server serves beside the protocol.
inline constexpr const char* kDefaultWebAddress = "http://127.0.0.1:8080";
// The version values the editor writes and the updater reads (`ver`, `newver`, `news`) and the
// registration page address (`regurl`). Kept per user under HKEY_CURRENT_USER; each value is read
// from HKEY_LOCAL_MACHINE instead while the user has none (values an older install left there).
inline constexpr const char* kVersionKey = "Software\\Tovik\\Avatar\\CurrentVersion\\";

}  // namespace likenex
