#include "update/win/SignatureCheck.h"

#include "platform/win/Handles.h"

#include <windows.h>

#include <bcrypt.h>

#include <cstring>
#include <optional>
#include <vector>

namespace likenex::update {
namespace {

constexpr PublicKey kInstallerPublicKey = {
#include "InstallerPublicKey.inc"
};

bool succeeded(NTSTATUS status) { return status >= 0; }

// The signature file whole, when it is no larger than a signature can be.
std::optional<std::vector<std::uint8_t>> readSmallFile(const std::wstring& path) {
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::vector<std::uint8_t> bytes(kMaxSignatureFile + 1);
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) || got > kMaxSignatureFile)
        return std::nullopt;
    bytes.resize(got);
    return bytes;
}

std::optional<std::array<std::uint8_t, 32>> fileSha256(const std::wstring& path) {
    BCRYPT_ALG_HANDLE rawAlgorithm = nullptr;
    if (!succeeded(BCryptOpenAlgorithmProvider(&rawAlgorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
        return std::nullopt;
    const UniqueCngAlgorithm algorithm(rawAlgorithm);
    BCRYPT_HASH_HANDLE rawHash = nullptr;
    if (!succeeded(BCryptCreateHash(algorithm.get(), &rawHash, nullptr, 0, nullptr, 0, 0))) return std::nullopt;
    const UniqueCngHash hash(rawHash);
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::vector<std::uint8_t> buffer(1 << 16);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return std::nullopt;
        if (got == 0) break;
        if (!succeeded(BCryptHashData(hash.get(), buffer.data(), got, 0))) return std::nullopt;
    }
    std::array<std::uint8_t, 32> digest{};
    if (!succeeded(BCryptFinishHash(hash.get(), digest.data(), static_cast<ULONG>(digest.size()), 0)))
        return std::nullopt;
    return digest;
}

}  // namespace

const PublicKey& installerPublicKey() { return kInstallerPublicKey; }

bool verifyFileSignature(const std::wstring& path, const std::wstring& signaturePath, const PublicKey& key) {
    const std::optional<std::vector<std::uint8_t>> der = readSmallFile(signaturePath);
    if (!der) return false;
    std::optional<RawSignature> signature = rawSignatureFromDer(*der);
    if (!signature) return false;
    std::optional<std::array<std::uint8_t, 32>> digest = fileSha256(path);
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
    return BCryptVerifySignature(publicKey.get(), nullptr, digest->data(), static_cast<ULONG>(digest->size()),
                                 signature->data(), static_cast<ULONG>(signature->size()), 0) == 0;
}

}  // namespace likenex::update
