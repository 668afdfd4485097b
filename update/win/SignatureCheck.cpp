#include "update/win/SignatureCheck.h"

#include "platform/win/Handles.h"

#include <windows.h>

#include <bcrypt.h>

#include <cstring>
#include <span>
#include <vector>

// Defines LIKENEX_INSTALLER_KEY_BYTES when the build was given a key.
#include "InstallerPublicKey.inc"

namespace likenex::update {
namespace {

#ifdef LIKENEX_INSTALLER_KEY_BYTES
constexpr std::optional<PublicKey> kInstallerPublicKey = PublicKey{LIKENEX_INSTALLER_KEY_BYTES};
#else
constexpr std::optional<PublicKey> kInstallerPublicKey;
#endif

bool succeeded(NTSTATUS status) { return status >= 0; }

// The manifest file whole, when it is no larger than a manifest can be.
std::optional<std::string> readSmallFile(const std::wstring& path) {
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string bytes(kMaxManifestFile + 1, '\0');
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) || got > kMaxManifestFile)
        return std::nullopt;
    bytes.resize(got);
    return bytes;
}

// SHA-256 through CNG, fed by `feed`, which calls its argument with each piece of the data and
// returns false when the data could not be read.
template <typename Feed>
std::optional<Sha256> sha256Of(Feed feed) {
    BCRYPT_ALG_HANDLE rawAlgorithm = nullptr;
    if (!succeeded(BCryptOpenAlgorithmProvider(&rawAlgorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
        return std::nullopt;
    const UniqueCngAlgorithm algorithm(rawAlgorithm);
    BCRYPT_HASH_HANDLE rawHash = nullptr;
    if (!succeeded(BCryptCreateHash(algorithm.get(), &rawHash, nullptr, 0, nullptr, 0, 0))) return std::nullopt;
    const UniqueCngHash hash(rawHash);
    bool hashed = true;
    const bool read = feed([&](std::span<const std::uint8_t> piece) {
        if (!piece.empty())
            hashed = hashed && succeeded(BCryptHashData(hash.get(), const_cast<PUCHAR>(piece.data()),
                                                        static_cast<ULONG>(piece.size()), 0));
    });
    if (!read || !hashed) return std::nullopt;
    Sha256 digest{};
    if (!succeeded(BCryptFinishHash(hash.get(), digest.data(), static_cast<ULONG>(digest.size()), 0)))
        return std::nullopt;
    return digest;
}

struct FileFacts {
    std::uint64_t size = 0;
    Sha256 sha256{};
};

// The size and SHA-256 of the bytes read from the file, counted as they are hashed.
std::optional<FileFacts> fileFacts(const std::wstring& path) {
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    FileFacts facts;
    std::vector<std::uint8_t> buffer(1 << 16);
    const auto digest = sha256Of([&](auto hashPiece) {
        for (;;) {
            DWORD got = 0;
            if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return false;
            if (got == 0) return true;
            facts.size += got;
            hashPiece(std::span<const std::uint8_t>(buffer.data(), got));
        }
    });
    if (!digest) return std::nullopt;
    facts.sha256 = *digest;
    return facts;
}

bool signatureVerifies(const std::string& signedText, const RawSignature& signature, const PublicKey& key) {
    const auto digest = sha256Of([&](auto hashPiece) {
        hashPiece(std::span(reinterpret_cast<const std::uint8_t*>(signedText.data()), signedText.size()));
        return true;
    });
    if (!digest) return false;
    BCRYPT_ALG_HANDLE rawAlgorithm = nullptr;
    if (!succeeded(BCryptOpenAlgorithmProvider(&rawAlgorithm, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0))) return false;
    const UniqueCngAlgorithm algorithm(rawAlgorithm);
    // BCRYPT_ECCPUBLIC_BLOB: the header, then X and Y.
    std::vector<std::uint8_t> blob(sizeof(BCRYPT_ECCKEY_BLOB) + key.size());
    BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, static_cast<ULONG>(kP256Bytes)};
    std::memcpy(blob.data(), &header, sizeof header);
    std::memcpy(blob.data() + sizeof header, key.data(), key.size());
    BCRYPT_KEY_HANDLE rawKey = nullptr;
    if (!succeeded(BCryptImportKeyPair(algorithm.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, &rawKey, blob.data(),
                                       static_cast<ULONG>(blob.size()), 0)))
        return false;
    const UniqueCngKey publicKey(rawKey);
    RawSignature copy = signature;  // the call takes a non-const pointer
    return BCryptVerifySignature(publicKey.get(), nullptr, const_cast<PUCHAR>(digest->data()),
                                 static_cast<ULONG>(digest->size()), copy.data(), static_cast<ULONG>(copy.size()),
                                 0) == 0;
}

}  // namespace

std::optional<PublicKey> installerPublicKey() { return kInstallerPublicKey; }

bool verifyInstaller(const std::wstring& path, const std::wstring& manifestPath, const InstallerRequest& request,
                     const std::optional<PublicKey>& key) {
    if (!key) return false;
    const std::optional<std::string> text = readSmallFile(manifestPath);
    if (!text) return false;
    InstallerManifest manifest;
    std::string error;
    if (!parseInstallerManifest(*text, manifest, error)) return false;
    // Nothing the manifest says counts before its signature does.
    if (!signatureVerifies(manifest.signedText, manifest.signature, *key)) return false;
    const std::optional<FileFacts> facts = fileFacts(path);
    if (!facts) return false;
    const InstallerDownload download{request.fileName, request.newestVersion, facts->size, facts->sha256};
    return checkInstallerManifest(manifest, download) == ManifestVerdict::accepted;
}

}  // namespace likenex::update
