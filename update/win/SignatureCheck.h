#pragma once
// Checks a downloaded installer against its detached signature with the system's CNG:
// SHA-256 of the file, ECDSA P-256 with the public key built into Update.exe.

#include "update/InstallerSignature.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace likenex::update {

using PublicKey = std::array<std::uint8_t, 2 * kP256Bytes>;  // X then Y, big-endian

// The key of this build (cmake/InstallerSigning.cmake).
[[nodiscard]] const PublicKey& installerPublicKey();

// True only when `signaturePath` holds a valid signature by `key` of the file at `path`.
[[nodiscard]] bool verifyFileSignature(const std::wstring& path, const std::wstring& signaturePath,
                                       const PublicKey& key);

}  // namespace likenex::update
