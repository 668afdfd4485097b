#pragma once
// Checks a downloaded installer against its signed manifest with the system's CNG: the
// manifest's ECDSA P-256 signature (SHA-256) with the public key built into Update.exe, then the
// rules of checkInstallerManifest against the installer's own size and SHA-256.

#include "update/InstallerManifest.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace likenex::update {

using PublicKey = std::array<std::uint8_t, 2 * kP256Bytes>;  // X then Y, big-endian

// The key of this build (cmake/InstallerSigning.cmake), or none in a build given no key, which
// accepts no installer at all.
[[nodiscard]] std::optional<PublicKey> installerPublicKey();

// What Update.exe asked the host for.
struct InstallerRequest {
    std::string fileName;         // "3.exe" or "fullup.exe"
    std::uint32_t newestVersion;  // the version being installed
};

// True only when `manifestPath` holds a manifest signed by `key` that names `request`'s file, a
// version no older than its newest one, and the size and SHA-256 of the file at `path`.
[[nodiscard]] bool verifyInstaller(const std::wstring& path, const std::wstring& manifestPath,
                                   const InstallerRequest& request, const std::optional<PublicKey>& key);

}  // namespace likenex::update
