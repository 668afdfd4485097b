#pragma once
// Where accounts and avatars live. Two back ends share this interface and one test suite:
// SQLite (one file, the default) and PostgreSQL (several server instances on one database).
// Every operation commits before it returns: what a caller has been told is stored survives a
// crash of the process. Operations throw StorageError when the database fails.

#include "net/Messages.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace likenex {

class StorageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The version the code writes; opening an older database migrates it step by step.
// 3: the title search index; 4: the avatars' pictures.
inline constexpr int kStorageSchemaVersion = 4;

// A search text shorter than this (in characters, after folding) cannot be looked up in the
// trigram indexes; it is looked for among the newest kShortSearchWindow open avatars only, so
// that one letter never costs a scan of every title.
inline constexpr std::size_t kShortestIndexedSearch = 3;
inline constexpr int kShortSearchWindow = 10000;

struct Account {
    std::int64_t id = 0;
    std::string name;        // as registered, UTF-8
    std::string nameKey;     // the name folded for comparison
    std::string secretHash;  // argon2id of the password digest
};

// An avatar as uploaded, every field kept. The access digest is kept only as its hash.
struct StoredAvatar {
    std::int64_t number = 0;
    std::int64_t ownerId = 0;
    std::string ownerName;
    AvatarFields avatar;
    std::u16string title;
    std::u16string secondText;
    std::u16string thirdText;
    std::uint8_t firstOption = 0;
    std::uint8_t secondOption = 0;
    std::uint8_t accessMode = 0;
    std::uint8_t language = 0;
    std::string accessHash;      // argon2id of the access-password digest, mode 2 only
    std::int64_t createdAt = 0;  // seconds since 1970, UTC
};

// What lists show of an avatar.
struct AvatarSummary {
    std::int64_t number = 0;
    std::u16string title;
    std::string ownerName;
    std::uint8_t accessMode = 0;
    std::int64_t createdAt = 0;
};

// An open avatar's pictures as the web side serves them, made once from the stored avatar.
struct AvatarPictureSet {
    std::vector<std::uint8_t> still;      // BMP
    std::vector<std::uint8_t> animation;  // animated PNG; empty when the script plays nothing
};

class Storage {
public:
    virtual ~Storage() = default;

    // Creates the schema or migrates it to kStorageSchemaVersion.
    virtual void migrate() = 0;
    [[nodiscard]] virtual int schemaVersion() = 0;

    // Nothing when the name key is taken.
    [[nodiscard]] virtual std::optional<std::int64_t> addAccount(const Account& account) = 0;
    [[nodiscard]] virtual std::optional<Account> findAccount(const std::string& nameKey) = 0;
    // Replaces an account's secret; false when there is no such account.
    [[nodiscard]] virtual bool setAccountSecret(const std::string& nameKey, const std::string& secretHash) = 0;
    // Replaces an account's secret only while it is still `oldHash`, so that a secret set in
    // the meantime (a new password) is never overwritten; false when it was not replaced.
    [[nodiscard]] virtual bool replaceAccountSecret(const std::string& nameKey, const std::string& oldHash,
                                                    const std::string& newHash) = 0;

    // Stores a new avatar and returns its number (1, 2, ...). The number in `avatar` is ignored.
    [[nodiscard]] virtual std::int64_t storeAvatar(const StoredAvatar& avatar) = 0;
    [[nodiscard]] virtual std::optional<StoredAvatar> loadAvatar(std::int64_t number) = 0;
    [[nodiscard]] virtual std::int64_t avatarCount() = 0;
    // Newest first. Only open avatars (mode 0) unless an owner is given, whose own are all listed.
    [[nodiscard]] virtual std::vector<AvatarSummary> latestAvatars(int limit) = 0;
    [[nodiscard]] virtual std::vector<AvatarSummary> avatarsOf(std::int64_t ownerId, int limit) = 0;
    // Open avatars whose title contains the text, compared without regard to case (foldCase);
    // newest first. Texts shorter than kShortestIndexedSearch look among the newest
    // kShortSearchWindow open avatars only.
    [[nodiscard]] virtual std::vector<AvatarSummary> searchAvatars(const std::u16string& titlePart, int limit) = 0;

    // Pictures are a cache of what the avatar looks like: a storage that keeps none (these
    // defaults) only makes the web side compose them again. The first set stored for an
    // avatar stays: with several servers on one database two may make the same set at once.
    virtual void storeAvatarPictures(std::int64_t number, const AvatarPictureSet& pictures) {
        (void)number;
        (void)pictures;
    }
    [[nodiscard]] virtual std::optional<AvatarPictureSet> loadAvatarPictures(std::int64_t number) {
        (void)number;
        return std::nullopt;
    }
};

// The blob both back ends keep for an avatar's look: its fields in the wire order of the
// avatar reply, after the result byte.
[[nodiscard]] std::vector<std::uint8_t> encodeAvatarFields(const AvatarFields& avatar);
[[nodiscard]] std::optional<AvatarFields> decodeAvatarFields(const std::vector<std::uint8_t>& blob);

// The number of characters of a UTF-16 text (a surrogate pair is one), which decides whether
// a search can use the trigram index.
[[nodiscard]] std::size_t characterCount(std::u16string_view text);

[[nodiscard]] std::unique_ptr<Storage> openSqliteStorage(const std::string& path);
// `poolSize` connections, so that that many callers can work at once.
[[nodiscard]] std::unique_ptr<Storage> openPostgresStorage(const std::string& connection, int poolSize = 1);

}  // namespace likenex
