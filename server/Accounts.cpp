#include "server/Accounts.h"

#include "base/Text.h"
#include "server/CodePage.h"

#include <sodium.h>

#include <stdexcept>

namespace likenex {

namespace {
constexpr auto kVerificationLifetime = std::chrono::minutes(10);
constexpr std::size_t kMaxVerifications = 100000;
}  // namespace

Accounts::Accounts(Storage& storage, Argon2Cost cost) : storage_(storage), cost_(cost) {
    if (sodium_init() < 0) throw std::runtime_error("libsodium cannot start");
    randombytes_buf(cacheKey_.data(), cacheKey_.size());
}

std::string Accounts::verificationKey(const Account& account, std::string_view digest) const {
    std::string input = account.secretHash;
    input.push_back('\0');
    input.append(digest);
    unsigned char mac[crypto_generichash_BYTES];
    crypto_generichash(mac, sizeof mac, reinterpret_cast<const unsigned char*>(input.data()), input.size(),
                       cacheKey_.data(), cacheKey_.size());
    return std::string(reinterpret_cast<const char*>(mac), sizeof mac);
}

std::string Accounts::nameKey(std::u16string_view name) { return text::utf8FromUtf16(foldCase(name)); }

bool Accounts::isGuest(std::u16string_view name) { return nameKey(name) == "guest"; }

bool Accounts::isValidName(std::u16string_view name) {
    if (name.empty() || name.size() > kMaxUserNameUnits) return false;
    for (char16_t c : name)
        if (c < 0x20 || c == 0x7F) return false;
    return true;
}

std::string Accounts::hashDigest(std::string_view digest) const {
    ++hashes_;
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str_alg(hash, digest.data(), digest.size(), cost_.operations, cost_.memoryBytes,
                              crypto_pwhash_ALG_ARGON2ID13) != 0)
        throw std::runtime_error("argon2id hashing ran out of memory");
    return hash;
}

bool Accounts::digestMatches(const std::string& hash, std::string_view digest) {
    if (hash.empty()) return false;
    return crypto_pwhash_str_verify(hash.c_str(), digest.data(), digest.size()) == 0;
}

std::optional<Account> Accounts::signIn(std::u16string_view name, std::string_view digest) {
    if (!isValidName(name)) return std::nullopt;
    auto account = storage_.findAccount(nameKey(name));
    if (!account) return std::nullopt;
    if (isGuest(name)) return account;
    std::string key = verificationKey(*account, digest);
    auto now = std::chrono::steady_clock::now();
    {
        std::lock_guard lock(cacheMutex_);
        auto it = verified_.find(key);
        if (it != verified_.end() && now - it->second < kVerificationLifetime) return account;
    }
    ++hashes_;
    if (!digestMatches(account->secretHash, digest)) return std::nullopt;
    std::lock_guard lock(cacheMutex_);
    if (verified_.size() >= kMaxVerifications) verified_.clear();
    verified_[key] = now;
    return account;
}

std::optional<Account> Accounts::signInTyped(std::u16string_view name, std::u16string_view password,
                                             const CodePageConversion& toCodePage) {
    const std::string typed = typedPasswordDigest(password, toCodePage);
    if (auto account = signIn(name, typed)) return account;
    // Both forms agree for passwords of up to 30 characters: only longer ones cost a second check.
    const std::string legacy = legacyPasswordDigest(password, toCodePage);
    if (legacy == typed) return std::nullopt;
    auto account = signIn(name, legacy);
    if (!account || isGuest(name)) return account;
    // A failed replacement means the secret changed since it was read: the new one stays.
    if (storage_.replaceAccountSecret(account->nameKey, account->secretHash, hashDigest(typed)))
        account = storage_.findAccount(account->nameKey);
    return account;
}

bool Accounts::typedPasswordMatches(const std::string& hash, std::u16string_view password,
                                    const CodePageConversion& toCodePage) {
    const std::string typed = typedPasswordDigest(password, toCodePage);
    if (digestMatches(hash, typed)) return true;
    const std::string legacy = legacyPasswordDigest(password, toCodePage);
    return legacy != typed && digestMatches(hash, legacy);
}

bool Accounts::setPassword(std::u16string_view name, std::string_view digest) {
    if (!isValidName(name)) return false;
    return storage_.setAccountSecret(nameKey(name), hashDigest(digest));
}

Accounts::AddResult Accounts::addAccount(std::u16string_view name, std::string_view digest) {
    if (!isValidName(name) || isGuest(name)) return AddResult::InvalidName;
    Account account;
    account.name = text::utf8FromUtf16(name);
    account.nameKey = nameKey(name);
    if (storage_.findAccount(account.nameKey)) return AddResult::NameTaken;
    account.secretHash = hashDigest(digest);
    return storage_.addAccount(account) ? AddResult::Added : AddResult::NameTaken;
}

}  // namespace likenex
