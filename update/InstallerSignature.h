#pragma once
// The signature in an installer's manifest (InstallerManifest.h): ECDSA over P-256 with SHA-256,
// as `openssl dgst -sha256 -sign` writes it, a DER SEQUENCE of the two INTEGERs r and s. The
// system's verifier wants r and s as two 32-byte big-endian numbers one after the other; this
// turns the one into the other and refuses anything that is not exactly such a sequence.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace likenex::update {

inline constexpr std::size_t kP256Bytes = 32;
using RawSignature = std::array<std::uint8_t, 2 * kP256Bytes>;  // r then s, big-endian

// A DER signature of P-256 is at most 72 bytes; anything larger than this is not one.
inline constexpr std::size_t kMaxSignatureDer = 256;

[[nodiscard]] std::optional<RawSignature> rawSignatureFromDer(std::span<const std::uint8_t> der);

// The name the signed manifest of `installer` is published under.
[[nodiscard]] std::string signatureName(std::string_view installer);

}  // namespace likenex::update
