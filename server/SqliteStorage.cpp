// SQLite storage: one file in write-ahead-log mode with synchronous=FULL, so that a commit
// that returned is on disk. One connection, used under a mutex: statements are short and
// the server's workers take turns; searches, the longest reads, have two read-only
// connections of their own. Title search goes through an FTS5 table with the trigram
// tokenizer over the folded titles of open avatars, so that it never scans every avatar
// under that mutex. The file holds password hashes: it and its -wal and -shm files are
// readable by their owner only.
#include "base/Text.h"
#include "server/CodePage.h"
#include "server/Storage.h"

#include <sqlite3.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <filesystem>
#include <mutex>

namespace likenex {
namespace {

struct DatabaseCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};

// Each step runs in its own transaction with the version it reaches.
const char* const kMigrations[] = {
    // 1: accounts and avatars; the guest account has no secret.
    "CREATE TABLE accounts (id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT NOT NULL,"
    " name_key TEXT NOT NULL UNIQUE, secret_hash TEXT NOT NULL, created_at INTEGER NOT NULL);"
    "CREATE TABLE avatars (number INTEGER PRIMARY KEY AUTOINCREMENT,"
    " owner_id INTEGER NOT NULL REFERENCES accounts(id), look BLOB NOT NULL, title TEXT NOT NULL,"
    " title_key TEXT NOT NULL, second_text TEXT NOT NULL, third_text TEXT NOT NULL,"
    " first_option INTEGER NOT NULL, second_option INTEGER NOT NULL, access_mode INTEGER NOT NULL,"
    " language INTEGER NOT NULL, access_hash TEXT NOT NULL, created_at INTEGER NOT NULL);"
    "INSERT INTO accounts (name, name_key, secret_hash, created_at) VALUES ('guest', 'guest', '', 0);",
    // 2: indexes for the owner's page and the lists of open avatars.
    "CREATE INDEX avatars_owner ON avatars (owner_id, number);"
    "CREATE INDEX avatars_open ON avatars (access_mode, number);",
    // 3: the title search index, filled from the open avatars already stored. The titles are
    // folded by foldCase before they get here, so the tokenizer must not fold again.
    "CREATE VIRTUAL TABLE avatar_titles USING fts5(title_key, tokenize = 'trigram case_sensitive 1');"
    "INSERT INTO avatar_titles (rowid, title_key) SELECT number, title_key FROM avatars WHERE access_mode = 0;",
    // 4: the pictures of open avatars, made once.
    "CREATE TABLE avatar_pictures (number INTEGER PRIMARY KEY REFERENCES avatars(number),"
    " still BLOB NOT NULL, animation BLOB NOT NULL);",
};
static_assert(std::size(kMigrations) == kStorageSchemaVersion);

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    [[nodiscard]] bool valid() const { return fd_ >= 0; }

private:
    int fd_;
};

// Creates the database file for its owner alone, and tightens a file (and its -wal and -shm)
// that an older server or an operator's copy left readable by others: SQLite gives the files
// it makes beside the database the database's own permissions, so they follow.
void ownerOnly(const std::string& path) {
    namespace fs = std::filesystem;
    {
        FileDescriptor created(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!created.valid() && errno != EEXIST) return;  // sqlite3_open_v2 reports why
    }
    for (const char* suffix : {"", "-wal", "-shm"}) {
        std::error_code ec;
        const fs::path file = path + suffix;
        if (!fs::exists(file, ec)) continue;
        fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace, ec);
        if (ec) throw StorageError("cannot make " + file.string() + " readable by its owner only: " + ec.message());
    }
}

// FTS5 and its trigram tokenizer (SQLite 3.34) are compiled into Debian's library; a library
// built without them would fail the search migration with a message that names neither.
void requireTrigramSearch(sqlite3* db) {
    char* message = nullptr;
    if (sqlite3_exec(db,
                     "CREATE VIRTUAL TABLE temp.trigram_probe USING fts5(x, tokenize = 'trigram');"
                     "DROP TABLE temp.trigram_probe;",
                     nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message ? message : "unknown";
        sqlite3_free(message);
        throw StorageError(
            "the title search needs SQLite with FTS5 and its trigram tokenizer (3.34 or newer); this "
            "library (" +
            std::string(sqlite3_libversion()) + ") says: " + text);
    }
}

// The FTS5 query that matches the text as a substring: one phrase of its trigrams.
std::string trigramPhrase(const std::string& text) {
    std::string phrase = "\"";
    for (char c : text) {
        if (c == '"') phrase += '"';
        phrase += c;
    }
    return phrase + '"';
}

class SqliteStorage final : public Storage {
public:
    explicit SqliteStorage(const std::string& path) {
        ownerOnly(path);
        sqlite3* raw = nullptr;
        int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                                 nullptr);
        db_.reset(raw);
        if (rc != SQLITE_OK)
            throw StorageError("cannot open " + path + ": " + (raw ? sqlite3_errmsg(raw) : "out of memory"));
        sqlite3_busy_timeout(db_.get(), 5000);
        exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA foreign_keys=ON;");
        // Searches read on connections of their own: in write-ahead-log mode readers never
        // wait for each other or for the writer, so a long search leaves the other requests
        // their turns on the main connection.
        for (Reader& reader : readers_) {
            raw = nullptr;
            rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_FULLMUTEX, nullptr);
            reader.db.reset(raw);
            if (rc != SQLITE_OK)
                throw StorageError("cannot open " + path +
                                   " to read: " + (raw ? sqlite3_errmsg(raw) : "out of memory"));
            sqlite3_busy_timeout(raw, 5000);
        }
    }

    void migrate() override {
        std::lock_guard lock(mutex_);
        exec("CREATE TABLE IF NOT EXISTS schema_meta (version INTEGER NOT NULL);");
        exec("BEGIN IMMEDIATE;");
        try {
            int version = currentVersion();
            if (version > kStorageSchemaVersion) throw StorageError("the database is newer than this server");
            if (version < 3) requireTrigramSearch(db_.get());
            for (; version < kStorageSchemaVersion; ++version) exec(kMigrations[version]);
            exec("DELETE FROM schema_meta;");
            auto s = prepare("INSERT INTO schema_meta (version) VALUES (?)");
            sqlite3_bind_int(s.get(), 1, version);
            step(s);
            exec("COMMIT;");
        } catch (...) {
            sqlite3_exec(db_.get(), "ROLLBACK;", nullptr, nullptr, nullptr);
            throw;
        }
    }

    int schemaVersion() override {
        std::lock_guard lock(mutex_);
        return currentVersion();
    }

    std::optional<std::int64_t> addAccount(const Account& account) override {
        std::lock_guard lock(mutex_);
        auto s = prepare(
            "INSERT INTO accounts (name, name_key, secret_hash, created_at) VALUES (?, ?, ?, strftime('%s','now'))");
        bindText(s, 1, account.name);
        bindText(s, 2, account.nameKey);
        bindText(s, 3, account.secretHash);
        int rc = sqlite3_step(s.get());
        if (rc == SQLITE_CONSTRAINT) return std::nullopt;
        if (rc != SQLITE_DONE) fail("add account");
        return sqlite3_last_insert_rowid(db_.get());
    }

    std::optional<Account> findAccount(const std::string& nameKey) override {
        std::lock_guard lock(mutex_);
        auto s = prepare("SELECT id, name, name_key, secret_hash FROM accounts WHERE name_key = ?");
        bindText(s, 1, nameKey);
        if (!step(s)) return std::nullopt;
        return Account{sqlite3_column_int64(s.get(), 0), text(s, 1), text(s, 2), text(s, 3)};
    }

    bool setAccountSecret(const std::string& nameKey, const std::string& secretHash) override {
        std::lock_guard lock(mutex_);
        auto s = prepare("UPDATE accounts SET secret_hash = ? WHERE name_key = ?");
        bindText(s, 1, secretHash);
        bindText(s, 2, nameKey);
        step(s);
        return sqlite3_changes(db_.get()) == 1;
    }

    bool replaceAccountSecret(const std::string& nameKey, const std::string& oldHash,
                              const std::string& newHash) override {
        std::lock_guard lock(mutex_);
        auto s = prepare("UPDATE accounts SET secret_hash = ? WHERE name_key = ? AND secret_hash = ?");
        bindText(s, 1, newHash);
        bindText(s, 2, nameKey);
        bindText(s, 3, oldHash);
        step(s);
        return sqlite3_changes(db_.get()) == 1;
    }

    std::int64_t storeAvatar(const StoredAvatar& a) override {
        std::vector<std::uint8_t> look = encodeAvatarFields(a.avatar);
        const std::string titleKey = text::utf8FromUtf16(foldCase(a.title));
        std::lock_guard lock(mutex_);
        // The avatar and its search entry commit together.
        exec("BEGIN IMMEDIATE;");
        try {
            std::int64_t number = insertAvatar(a, look, titleKey);
            if (a.accessMode == 0) {
                auto s = prepare("INSERT INTO avatar_titles (rowid, title_key) VALUES (?, ?)");
                sqlite3_bind_int64(s.get(), 1, number);
                bindText(s, 2, titleKey);
                step(s);
            }
            exec("COMMIT;");
            return number;
        } catch (...) {
            sqlite3_exec(db_.get(), "ROLLBACK;", nullptr, nullptr, nullptr);
            throw;
        }
    }

    std::optional<StoredAvatar> loadAvatar(std::int64_t number) override {
        std::lock_guard lock(mutex_);
        auto s = prepare(
            "SELECT v.number, v.owner_id, a.name, v.look, v.title, v.second_text, v.third_text, v.first_option,"
            " v.second_option, v.access_mode, v.language, v.access_hash, v.created_at"
            " FROM avatars v JOIN accounts a ON a.id = v.owner_id WHERE v.number = ?");
        sqlite3_bind_int64(s.get(), 1, number);
        if (!step(s)) return std::nullopt;
        StoredAvatar a;
        a.number = sqlite3_column_int64(s.get(), 0);
        a.ownerId = sqlite3_column_int64(s.get(), 1);
        a.ownerName = text(s, 2);
        auto* blob = static_cast<const std::uint8_t*>(sqlite3_column_blob(s.get(), 3));
        std::vector<std::uint8_t> look(blob, blob + sqlite3_column_bytes(s.get(), 3));
        auto fields = decodeAvatarFields(look);
        if (!fields) throw StorageError("avatar " + std::to_string(number) + " has a damaged look");
        a.avatar = std::move(*fields);
        a.title = text::utf16FromUtf8Replacing(text(s, 4));
        a.secondText = text::utf16FromUtf8Replacing(text(s, 5));
        a.thirdText = text::utf16FromUtf8Replacing(text(s, 6));
        a.firstOption = static_cast<std::uint8_t>(sqlite3_column_int(s.get(), 7));
        a.secondOption = static_cast<std::uint8_t>(sqlite3_column_int(s.get(), 8));
        a.accessMode = static_cast<std::uint8_t>(sqlite3_column_int(s.get(), 9));
        a.language = static_cast<std::uint8_t>(sqlite3_column_int(s.get(), 10));
        a.accessHash = text(s, 11);
        a.createdAt = sqlite3_column_int64(s.get(), 12);
        return a;
    }

    std::int64_t avatarCount() override {
        std::lock_guard lock(mutex_);
        auto s = prepare("SELECT count(*) FROM avatars");
        step(s);
        return sqlite3_column_int64(s.get(), 0);
    }

    std::vector<AvatarSummary> latestAvatars(int limit) override {
        std::lock_guard lock(mutex_);
        auto s = prepare(kSummary + std::string(" WHERE v.access_mode = 0 ORDER BY v.number DESC LIMIT ?"));
        sqlite3_bind_int(s.get(), 1, limit);
        return summaries(s);
    }

    std::vector<AvatarSummary> avatarsOf(std::int64_t ownerId, int limit) override {
        std::lock_guard lock(mutex_);
        auto s = prepare(kSummary + std::string(" WHERE v.owner_id = ? ORDER BY v.number DESC LIMIT ?"));
        sqlite3_bind_int64(s.get(), 1, ownerId);
        sqlite3_bind_int(s.get(), 2, limit);
        return summaries(s);
    }

    std::vector<AvatarSummary> searchAvatars(const std::u16string& titlePart, int limit) override {
        const std::u16string folded = foldCase(titlePart);
        // Titles come from the editor's text boxes, which type no NUL; a NUL in a query ("%00"
        // in an address) finds nothing instead of reaching the FTS5 query parser.
        if (folded.empty() || folded.find(u'\0') != std::u16string::npos) return {};
        const std::string key = text::utf8FromUtf16(folded);
        ReaderLease reader = readerLease();
        sqlite3* db = reader.connection;
        if (characterCount(folded) < kShortestIndexedSearch) {
            auto s =
                prepareOn(db, kSummary + std::string(" WHERE v.number IN (SELECT number FROM avatars WHERE access_mode "
                                                     "= 0 ORDER BY number DESC LIMIT ?)"
                                                     " AND instr(v.title_key, ?) > 0 ORDER BY v.number DESC LIMIT ?"));
            sqlite3_bind_int(s.get(), 1, kShortSearchWindow);
            bindText(s, 2, key);
            sqlite3_bind_int(s.get(), 3, limit);
            return summaries(s);
        }
        // The index is read newest first, so a common text stops after `limit` matches.
        auto s = prepareOn(db,
                           "SELECT v.number, v.title, a.name, v.access_mode, v.created_at FROM avatar_titles t"
                           " JOIN avatars v ON v.number = t.rowid JOIN accounts a ON a.id = v.owner_id"
                           " WHERE t.title_key MATCH ? AND v.access_mode = 0 ORDER BY t.rowid DESC LIMIT ?");
        bindText(s, 1, trigramPhrase(key));
        sqlite3_bind_int(s.get(), 2, limit);
        return summaries(s);
    }

    void storeAvatarPictures(std::int64_t number, const AvatarPictureSet& pictures) override {
        std::lock_guard lock(mutex_);
        auto s = prepare("INSERT OR IGNORE INTO avatar_pictures (number, still, animation) VALUES (?, ?, ?)");
        sqlite3_bind_int64(s.get(), 1, number);
        bindBlob(s, 2, pictures.still);
        bindBlob(s, 3, pictures.animation);
        step(s);
    }

    std::optional<AvatarPictureSet> loadAvatarPictures(std::int64_t number) override {
        std::lock_guard lock(mutex_);
        auto s = prepare("SELECT still, animation FROM avatar_pictures WHERE number = ?");
        sqlite3_bind_int64(s.get(), 1, number);
        if (!step(s)) return std::nullopt;
        return AvatarPictureSet{blob(s, 0), blob(s, 1)};
    }

private:
    using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;
    static constexpr const char* kSummary =
        "SELECT v.number, v.title, a.name, v.access_mode, v.created_at FROM avatars v JOIN accounts a ON a.id = "
        "v.owner_id";

    std::int64_t insertAvatar(const StoredAvatar& a, const std::vector<std::uint8_t>& look,
                              const std::string& titleKey) {
        auto s = prepare(
            "INSERT INTO avatars (owner_id, look, title, title_key, second_text, third_text, first_option,"
            " second_option, access_mode, language, access_hash, created_at) VALUES (?,?,?,?,?,?,?,?,?,?,?,?)");
        sqlite3_bind_int64(s.get(), 1, a.ownerId);
        sqlite3_bind_blob(s.get(), 2, look.data(), static_cast<int>(look.size()), SQLITE_TRANSIENT);
        bindText(s, 3, text::utf8FromUtf16(a.title));
        bindText(s, 4, titleKey);
        bindText(s, 5, text::utf8FromUtf16(a.secondText));
        bindText(s, 6, text::utf8FromUtf16(a.thirdText));
        sqlite3_bind_int(s.get(), 7, a.firstOption);
        sqlite3_bind_int(s.get(), 8, a.secondOption);
        sqlite3_bind_int(s.get(), 9, a.accessMode);
        sqlite3_bind_int(s.get(), 10, a.language);
        bindText(s, 11, a.accessHash);
        sqlite3_bind_int64(s.get(), 12, a.createdAt);
        step(s);
        return sqlite3_last_insert_rowid(db_.get());
    }

    [[noreturn]] void fail(const std::string& what) { throw StorageError(what + ": " + sqlite3_errmsg(db_.get())); }

    void exec(const char* sql) {
        char* message = nullptr;
        if (sqlite3_exec(db_.get(), sql, nullptr, nullptr, &message) != SQLITE_OK) {
            std::string text = message ? message : "unknown";
            sqlite3_free(message);
            throw StorageError(std::string("sqlite: ") + text);
        }
    }
    Statement prepare(const std::string& sql) { return prepareOn(db_.get(), sql); }
    static Statement prepareOn(sqlite3* db, const std::string& sql) {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK)
            throw StorageError(std::string("prepare: ") + sqlite3_errmsg(db));
        return Statement(raw);
    }
    // True with a row, false when done.
    static bool step(Statement& s) {
        int rc = sqlite3_step(s.get());
        if (rc == SQLITE_ROW) return true;
        if (rc != SQLITE_DONE) throw StorageError(std::string("step: ") + sqlite3_errmsg(sqlite3_db_handle(s.get())));
        return false;
    }
    void bindText(Statement& s, int at, const std::string& value) {
        sqlite3_bind_text(s.get(), at, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    }
    void bindBlob(Statement& s, int at, const std::vector<std::uint8_t>& value) {
        // A zero-length blob with a null pointer would bind NULL, which the NOT NULL refuses.
        static const std::uint8_t kNone = 0;
        sqlite3_bind_blob(s.get(), at, value.empty() ? &kNone : value.data(), static_cast<int>(value.size()),
                          SQLITE_TRANSIENT);
    }
    static std::vector<std::uint8_t> blob(Statement& s, int column) {
        auto* p = static_cast<const std::uint8_t*>(sqlite3_column_blob(s.get(), column));
        return p ? std::vector<std::uint8_t>(p, p + sqlite3_column_bytes(s.get(), column))
                 : std::vector<std::uint8_t>();
    }
    static std::string text(Statement& s, int column) {
        auto* p = sqlite3_column_text(s.get(), column);
        return p ? std::string(reinterpret_cast<const char*>(p),
                               static_cast<std::size_t>(sqlite3_column_bytes(s.get(), column)))
                 : std::string();
    }
    int currentVersion() {
        auto s = prepare("SELECT version FROM schema_meta");
        return step(s) ? sqlite3_column_int(s.get(), 0) : 0;
    }
    std::vector<AvatarSummary> summaries(Statement& s) {
        std::vector<AvatarSummary> list;
        while (step(s))
            list.push_back({sqlite3_column_int64(s.get(), 0), text::utf16FromUtf8Replacing(text(s, 1)), text(s, 2),
                            static_cast<std::uint8_t>(sqlite3_column_int(s.get(), 3)),
                            sqlite3_column_int64(s.get(), 4)});
        return list;
    }

    struct Reader {
        std::mutex mutex;
        std::unique_ptr<sqlite3, DatabaseCloser> db;
    };
    // One read-only connection, held for one search.
    struct ReaderLease {
        std::unique_lock<std::mutex> lock;
        sqlite3* connection = nullptr;
    };
    ReaderLease readerLease() {
        for (Reader& reader : readers_) {
            std::unique_lock lock(reader.mutex, std::try_to_lock);
            if (lock.owns_lock()) return {std::move(lock), reader.db.get()};
        }
        Reader& reader = readers_[nextReader_++ % readers_.size()];
        return {std::unique_lock(reader.mutex), reader.db.get()};
    }

    std::mutex mutex_;
    std::unique_ptr<sqlite3, DatabaseCloser> db_;
    std::array<Reader, 2> readers_;
    std::atomic<std::size_t> nextReader_{0};
};

}  // namespace

std::unique_ptr<Storage> openSqliteStorage(const std::string& path) { return std::make_unique<SqliteStorage>(path); }

}  // namespace likenex
