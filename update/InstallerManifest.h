#pragma once
// The signed manifest the update host publishes beside each installer, under the name
// signatureName(installer) ("3.exe.sig" beside "3.exe"). It is a short text, each line ended by
// a single LF:
//
//   likenex-installer 1
//   file 3.exe
//   version 3
//   size 48128
//   sha256 <64 lowercase hex digits>
//   signature <base64 of the DER ECDSA P-256 signature over the bytes of the five lines above>
//
// Only this order, these six lines and nothing after the last LF; the whole file is at most
// kMaxManifestFile bytes. The signature covers the installer's name and version as well as its
// bytes, so an installer can be accepted only under the name it was signed for and only for a
// version at least as new as the one Update.exe is installing: an older signed installer (a
// rollback) or the one-step installer in place of the full one is refused.
//
// parseInstallerManifest reads the text without trusting it; checkInstallerManifest applies the
// rules once the signature has been verified (update/win/SignatureCheck).

#include "update/InstallerSignature.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace likenex::update {

inline constexpr std::string_view kInstallerManifestHeader = "likenex-installer 1";
inline constexpr std::size_t kMaxManifestFile = 1024;
// Names on the update host are short: "3.exe", "fullup.exe".
inline constexpr std::size_t kMaxInstallerName = 64;

using Sha256 = std::array<std::uint8_t, 32>;

struct InstallerManifest {
    std::string file;
    std::uint32_t version = 0;
    std::uint64_t size = 0;
    Sha256 sha256{};
    RawSignature signature{};
    std::string signedText;  // the header and the four field lines, as the signature covers them
};

// Reads a manifest's text; every line and field is checked. On refusal `error` says why.
[[nodiscard]] bool parseInstallerManifest(std::string_view text, InstallerManifest& manifest, std::string& error);

// What Update.exe asked for and what it received.
struct InstallerDownload {
    std::string_view fileName;    // the name it fetched the installer under
    std::uint32_t newestVersion;  // the newest version announced, which it is installing
    std::uint64_t size;           // the downloaded file's size and hash
    Sha256 sha256;
};

enum class ManifestVerdict : std::uint8_t {
    accepted,
    otherFile,     // signed for another name
    olderVersion,  // older than the version being installed
    otherSize,
    otherHash,
};

// Whether a manifest whose signature has been verified vouches for `download`.
[[nodiscard]] ManifestVerdict checkInstallerManifest(const InstallerManifest& manifest,
                                                     const InstallerDownload& download);

// The manifest's first five lines for these values, as sign-installer.sh writes them.
[[nodiscard]] std::string installerManifestText(std::string_view file, std::uint32_t version, std::uint64_t size,
                                                const Sha256& sha256);

}  // namespace likenex::update
