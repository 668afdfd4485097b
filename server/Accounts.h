#pragma once
// Accounts: names compared without regard to case, secrets kept as argon2id hashes of the
// 32-digit password digest the client sends (never the digest itself), and the guest account
// that signs in with any digest.
//
// Where a person types a password to the server itself (the web pages, the account command),
// the server digests it as the editor does, with typedPasswordDigest. Secrets stored before
// that rule may hold the legacy form of a password of more than 30 characters (the text
// itself, cut to 32 bytes); a typed password is checked against that form too.

#include "net/PasswordDigest.h"
#include "server/Storage.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace likenex {

// The editor's password boxes take at most 33 characters: a longer password could not be
// typed there.
inline constexpr std::size_t kLongestPassword = 33;

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

    // A sign-in with a typed password: its typed digest, or else its legacy form. A legacy
    // match stores the typed form as the account's secret, unless the secret changed in the
    // meantime, so that the editor, which sends only typed digests, signs in from then on.
    [[nodiscard]] std::optional<Account> signInTyped(std::u16string_view name, std::u16string_view password,
                                                     const CodePageConversion& toCodePage);

    // Whether a typed password matches a hash kept from a client's digest (an avatar's access
    // password): in its typed form, or in the legacy form stored before.
    [[nodiscard]] static bool typedPasswordMatches(const std::string& hash, std::u16string_view password,
                                                   const CodePageConversion& toCodePage);

    // A new secret for an existing account; false when there is none.
    [[nodiscard]] bool setPassword(std::u16string_view name, std::string_view digest);

    enum class AddResult { Added, NameTaken, InvalidName };
    [[nodiscard]] AddResult addAccount(std::u16string_view name, std::string_view digest);

    // How many argon2id hashes this object has made or checked: what a request cost, for the
    // tests of the limits that must refuse before any hashing.
    [[nodiscard]] std::uint64_t hashesDone() const { return hashes_.load(); }

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
    mutable std::atomic<std::uint64_t> hashes_{0};
};

}  // namespace likenex
