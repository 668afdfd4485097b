#pragma once
// Accounts: names compared without regard to case, secrets kept as argon2id hashes of the
// 32-digit password digest the client sends (never the digest itself), and the guest account
// that signs in with any digest.

#include "server/Storage.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <mutex>
#include <unordered_map>
#include <optional>
#include <string>
#include <string_view>

namespace likenex {

// What one argon2id hash costs. The defaults are libsodium's interactive limits; tests use
// the smallest allowed values.
struct Argon2Cost {
    unsigned long long operations = 2;
    std::size_t memoryBytes = 64u << 20;
};

class Accounts {
public:
    Accounts(Storage& storage, Argon2Cost cost);

    [[nodiscard]] static std::string nameKey(std::u16string_view name);
    [[nodiscard]] static bool isGuest(std::u16string_view name);
    // A name the client can send: 1 to 23 UTF-16 units, none of them a control character.
    [[nodiscard]] static bool isValidName(std::u16string_view name);

    [[nodiscard]] std::string hashDigest(std::string_view digest) const;
    [[nodiscard]] static bool digestMatches(const std::string& hash, std::string_view digest);

    // The account when the name exists and the digest matches its secret; the guest account
    // with any digest. Nothing otherwise.
    [[nodiscard]] std::optional<Account> signIn(std::u16string_view name, std::string_view digest);

    // A new secret for an existing account; false when there is none.
    [[nodiscard]] bool setPassword(std::u16string_view name, std::string_view digest);

    enum class AddResult { Added, NameTaken, InvalidName };
    [[nodiscard]] AddResult addAccount(std::u16string_view name, std::string_view digest);

private:
    [[nodiscard]] std::string verificationKey(const Account& account, std::string_view digest) const;

    Storage& storage_;
    Argon2Cost cost_;
    // Sign-ins that passed argon2id lately, for ten minutes, so that an editor uploading again
    // does not pay for the hash each time. Kept as keyed BLAKE2b MACs (a key of this process)
    // over the stored hash and the digest: a new password changes the hash and ends them.
    std::array<unsigned char, 32> cacheKey_{};
    std::mutex cacheMutex_;
    std::unordered_map<std::string, std::chrono::steady_clock::time_point> verified_;
};

}  // namespace likenex
