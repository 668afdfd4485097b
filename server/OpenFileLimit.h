#pragma once
// The open-file limit and the connection caps that fit under it. Every connection holds a
// descriptor (a web connection sending a download holds the file's too), and so do the
// database connections, the log, the data files and the listeners; a server that lets its
// connections take them all cannot accept, open its database or answer anyone. At start the
// soft limit is raised to the hard one, and the caps are lowered, when they must be, so that
// the connections and a reserve for the rest fit under it.

#include <cstdint>
#include <string>

namespace likenex {

// Raises the soft RLIMIT_NOFILE to the hard limit; returns the soft limit then in force (0 when
// it cannot be read, taken as no limit).
[[nodiscard]] std::uint64_t raiseOpenFileLimit();
// The soft RLIMIT_NOFILE in force; 0 when it cannot be read or there is none.
[[nodiscard]] std::uint64_t openFileLimit();

struct ConnectionCaps {
    int protocol = 0;
    int web = 0;
    bool lowered = false;  // one of them is below what was configured
    [[nodiscard]] std::string describe(std::uint64_t openFiles, std::uint64_t reserve) const;
};

// Descriptors a web connection may hold: its socket and a file it sends.
inline constexpr std::uint64_t kDescriptorsPerWebConnection = 2;

// The caps to use under `openFiles` (0: no limit) with `reserve` descriptors kept for the rest.
// When the configured caps do not fit, both shrink in proportion, never below 1.
[[nodiscard]] ConnectionCaps fitConnectionCaps(std::uint64_t openFiles, std::uint64_t reserve, int protocol, int web);

}  // namespace likenex
