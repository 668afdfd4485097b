// PostgreSQL storage through libpq, for several server instances on one database. Every
// statement runs on its own in autocommit (a commit that returned is durable with the
// server's default synchronous_commit); the schema migration takes an advisory lock, so
// instances starting together migrate once. Each instance keeps a
// small pool of connections (one per worker thread), each used by one caller at a time; a
// broken connection is reset once before a statement fails.
//
// Title search uses a GIN index of the pg_trgm extension over the folded titles of open
// avatars. pg_trgm ships with PostgreSQL (Debian's postgresql-15 package) and is a trusted
// extension: the migration creates it when the server's role may create objects in the
// database; otherwise a superuser creates it once with CREATE EXTENSION pg_trgm.
#include "base/Text.h"
#include "server/CodePage.h"
#include "server/Storage.h"

#include <libpq-fe.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

namespace likenex {
namespace {

struct ConnectionCloser {
    void operator()(PGconn* c) const { PQfinish(c); }
};
struct ResultClearer {
    void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultClearer>;

const char* const kMigrations[] = {
    "CREATE TABLE accounts (id BIGSERIAL PRIMARY KEY, name TEXT NOT NULL, name_key TEXT NOT NULL UNIQUE,"
    " secret_hash TEXT NOT NULL, created_at BIGINT NOT NULL);"
    "CREATE TABLE avatars (number BIGSERIAL PRIMARY KEY, owner_id BIGINT NOT NULL REFERENCES accounts(id),"
    " look BYTEA NOT NULL, title TEXT NOT NULL, title_key TEXT NOT NULL, second_text TEXT NOT NULL,"
    " third_text TEXT NOT NULL, first_option INTEGER NOT NULL, second_option INTEGER NOT NULL,"
    " access_mode INTEGER NOT NULL, language INTEGER NOT NULL, access_hash TEXT NOT NULL, created_at BIGINT NOT NULL);"
    "INSERT INTO accounts (name, name_key, secret_hash, created_at) VALUES ('guest', 'guest', '', 0);",
    "CREATE INDEX avatars_owner ON avatars (owner_id, number);"
    "CREATE INDEX avatars_open ON avatars (access_mode, number);",
    // 3: the title search index (the extension itself is created before this step).
    "CREATE INDEX avatars_title_trigrams ON avatars USING gin (title_key gin_trgm_ops) WHERE access_mode = 0;",
    // 4: the pictures of open avatars, made once.
    "CREATE TABLE avatar_pictures (number BIGINT PRIMARY KEY REFERENCES avatars(number),"
    " still BYTEA NOT NULL, animation BYTEA NOT NULL);",
};

// The LIKE pattern that matches the text as a substring; backslash is LIKE's escape.
std::string containsPattern(const std::string& text) {
    std::string pattern = "%";
    for (char c : text) {
        if (c == '%' || c == '_' || c == '\\') pattern += '\\';
        pattern += c;
    }
    return pattern + '%';
}
static_assert(std::size(kMigrations) == kStorageSchemaVersion);

constexpr const char* kSummary =
    "SELECT v.number, v.title, a.name, v.access_mode, v.created_at FROM avatars v JOIN accounts a ON a.id = v.owner_id";

class PostgresStorage final : public Storage {
public:
    PostgresStorage(const std::string& connection, int poolSize)
        : pool_(static_cast<std::size_t>(std::max(1, poolSize))) {
        for (Pooled& pooled : pool_) {
            pooled.connection.reset(PQconnectdb(connection.c_str()));
            if (!pooled.connection || PQstatus(pooled.connection.get()) != CONNECTION_OK)
                throw StorageError(std::string("cannot connect to PostgreSQL: ") +
                                   (pooled.connection ? PQerrorMessage(pooled.connection.get()) : "out of memory"));
            // Notices ("relation already exists, skipping") are not the log's business.
            PQsetNoticeProcessor(
                pooled.connection.get(), [](void*, const char*) {}, nullptr);
        }
    }

    void migrate() override {
        Lease lease = acquire();
        PGconn* c = lease.connection;
        command(c, "BEGIN");
        try {
            command(c, "SELECT pg_advisory_xact_lock(7241003)");
            command(c, "CREATE TABLE IF NOT EXISTS schema_meta (version INTEGER NOT NULL)");
            int version = currentVersion(c);
            if (version > kStorageSchemaVersion) throw StorageError("the database is newer than this server");
            if (version < 3) createTrigramExtension(c);
            for (; version < kStorageSchemaVersion; ++version) command(c, kMigrations[version]);
            command(c, "DELETE FROM schema_meta");
            query(c, "INSERT INTO schema_meta (version) VALUES ($1)", {std::to_string(version)});
            command(c, "COMMIT");
        } catch (...) {
            Result(PQexec(c, "ROLLBACK"));
            throw;
        }
    }

    int schemaVersion() override {
        Lease lease = acquire();
        PGconn* c = lease.connection;
        return currentVersion(c);
    }

    std::optional<std::int64_t> addAccount(const Account& account) override {
        Lease lease = acquire();
        PGconn* c = lease.connection;
        Result r = query(c,
                         "INSERT INTO accounts (name, name_key, secret_hash, created_at) VALUES ($1, $2, $3, "
                         "extract(epoch from now())::bigint)"
                         " ON CONFLICT (name_key) DO NOTHING RETURNING id",
                         {account.name, account.nameKey, account.secretHash});
        if (PQntuples(r.get()) == 0) return std::nullopt;
        return integer(r, 0, 0);
    }

    std::optional<Account> findAccount(const std::string& nameKey) override {
        Lease lease = acquire();
        PGconn* c = lease.connection;
        Result r = query(c, "SELECT id, name, name_key, secret_hash FROM accounts WHERE name_key = $1", {nameKey});
        if (PQntuples(r.get()) == 0) return std::nullopt;
        return Account{integer(r, 0, 0), text(r, 0, 1), text(r, 0, 2), text(r, 0, 3)};
    }

    bool setAccountSecret(const std::string& nameKey, const std::string& secretHash) override {
        Lease lease = acquire();
        PGconn* c = lease.connection;
        Result r = query(c, "UPDATE accounts SET secret_hash = $1 WHERE name_key = $2", {secretHash, nameKey});
        return std::string(PQcmdTuples(r.get())) == "1";
    }

    bool replaceAccountSecret(const std::string& nameKey, const std::string& oldHash,
                              const std::string& newHash) override {
        Lease lease = acquire();
        PGconn* c = lease.connection;
        Result r = query(c, "UPDATE accounts SET secret_hash = $1 WHERE name_key = $2 AND secret_hash = $3",
                         {newHash, nameKey, oldHash});
        return std::string(PQcmdTuples(r.get())) == "1";
    }

    std::int64_t storeAvatar(const StoredAvatar& a) override {
        std::vector<std::uint8_t> look = encodeAvatarFields(a.avatar);
        Lease lease = acquire();
        PGconn* c = lease.connection;
        Result r =
            query(c,
                  "INSERT INTO avatars (owner_id, look, title, title_key, second_text, third_text, first_option, "
                  "second_option,"
                  " access_mode, language, access_hash, created_at) VALUES ($1,$2,$3,$4,$5,$6,$7,$8,$9,$10,$11,$12) "
                  "RETURNING number",
                  {std::to_string(a.ownerId), std::string(look.begin(), look.end()), text::utf8FromUtf16(a.title),
                   text::utf8FromUtf16(foldCase(a.title)), text::utf8FromUtf16(a.secondText),
                   text::utf8FromUtf16(a.thirdText), std::to_string(a.firstOption), std::to_string(a.secondOption),
                   std::to_string(a.accessMode), std::to_string(a.language), a.accessHash, std::to_string(a.createdAt)},
                  {1});
        return integer(r, 0, 0);
    }

    std::optional<StoredAvatar> loadAvatar(std::int64_t number) override {
        Lease lease = acquire();
        PGconn* c = lease.connection;
        Result r =
            query(c,
                  "SELECT v.number, v.owner_id, a.name, v.look, v.title, v.second_text, v.third_text, v.first_option,"
                  " v.second_option, v.access_mode, v.language, v.access_hash, v.created_at"
                  " FROM avatars v JOIN accounts a ON a.id = v.owner_id WHERE v.number = $1",
                  {std::to_string(number)}, {}, true);
        if (PQntuples(r.get()) == 0) return std::nullopt;
        // Binary results: integers are big-endian, texts are their bytes.
        StoredAvatar a;
        a.number = binaryInteger(r, 0);
        a.ownerId = binaryInteger(r, 1);
        a.ownerName = text(r, 0, 2);
        std::string lookBytes = text(r, 0, 3);
        auto fields = decodeAvatarFields(std::vector<std::uint8_t>(lookBytes.begin(), lookBytes.end()));
        if (!fields) throw StorageError("avatar " + std::to_string(number) + " has a damaged look");
        a.avatar = std::move(*fields);
        a.title = text::utf16FromUtf8Replacing(text(r, 0, 4));
        a.secondText = text::utf16FromUtf8Replacing(text(r, 0, 5));
        a.thirdText = text::utf16FromUtf8Replacing(text(r, 0, 6));
        a.firstOption = static_cast<std::uint8_t>(binaryInteger(r, 7));
        a.secondOption = static_cast<std::uint8_t>(binaryInteger(r, 8));
        a.accessMode = static_cast<std::uint8_t>(binaryInteger(r, 9));
        a.language = static_cast<std::uint8_t>(binaryInteger(r, 10));
        a.accessHash = text(r, 0, 11);
        a.createdAt = binaryInteger(r, 12);
        return a;
    }

    std::int64_t avatarCount() override {
        Lease lease = acquire();
        PGconn* c = lease.connection;
        Result r = query(c, "SELECT count(*) FROM avatars", {});
        return integer(r, 0, 0);
    }

    std::vector<AvatarSummary> latestAvatars(int limit) override {
        Lease lease = acquire();
        PGconn* c = lease.connection;
        return summaries(query(c, std::string(kSummary) + " WHERE v.access_mode = 0 ORDER BY v.number DESC LIMIT $1",
                               {std::to_string(limit)}));
    }

    std::vector<AvatarSummary> avatarsOf(std::int64_t ownerId, int limit) override {
        Lease lease = acquire();
        PGconn* c = lease.connection;
        return summaries(query(c, std::string(kSummary) + " WHERE v.owner_id = $1 ORDER BY v.number DESC LIMIT $2",
                               {std::to_string(ownerId), std::to_string(limit)}));
    }

    std::vector<AvatarSummary> searchAvatars(const std::u16string& titlePart, int limit) override {
        const std::u16string folded = foldCase(titlePart);
        // PostgreSQL text holds no NUL; such a query finds nothing.
        if (folded.empty() || folded.find(u'\0') != std::u16string::npos) return {};
        const std::string key = text::utf8FromUtf16(folded);
        Lease lease = acquire();
        PGconn* c = lease.connection;
        if (characterCount(folded) < kShortestIndexedSearch)
            return summaries(query(c,
                                   std::string(kSummary) +
                                       " WHERE v.number IN (SELECT number FROM avatars WHERE access_mode = 0"
                                       " ORDER BY number DESC LIMIT $1) AND strpos(v.title_key, $2) > 0"
                                       " ORDER BY v.number DESC LIMIT $3",
                                   {std::to_string(kShortSearchWindow), key, std::to_string(limit)}));
        // The access_mode condition lets the planner use the partial trigram index.
        return summaries(query(c,
                               std::string(kSummary) + " WHERE v.access_mode = 0 AND v.title_key LIKE $1"
                                                       " ORDER BY v.number DESC LIMIT $2",
                               {containsPattern(key), std::to_string(limit)}));
    }

    void storeAvatarPictures(std::int64_t number, const AvatarPictureSet& pictures) override {
        Lease lease = acquire();
        PGconn* c = lease.connection;
        (void)query(c,
                    "INSERT INTO avatar_pictures (number, still, animation) VALUES ($1, $2, $3) ON CONFLICT (number) "
                    "DO NOTHING",
                    {std::to_string(number), std::string(pictures.still.begin(), pictures.still.end()),
                     std::string(pictures.animation.begin(), pictures.animation.end())},
                    {1, 2});
    }

    std::optional<AvatarPictureSet> loadAvatarPictures(std::int64_t number) override {
        Lease lease = acquire();
        PGconn* c = lease.connection;
        Result r = query(c, "SELECT still, animation FROM avatar_pictures WHERE number = $1", {std::to_string(number)},
                         {}, true);
        if (PQntuples(r.get()) == 0) return std::nullopt;
        std::string still = text(r, 0, 0), animation = text(r, 0, 1);
        return AvatarPictureSet{{still.begin(), still.end()}, {animation.begin(), animation.end()}};
    }

private:
    static void command(PGconn* c, const char* sql) {
        Result r(PQexec(c, sql));
        if (!r || (PQresultStatus(r.get()) != PGRES_COMMAND_OK && PQresultStatus(r.get()) != PGRES_TUPLES_OK))
            throw StorageError(std::string("postgresql: ") + PQerrorMessage(c));
    }

    static void createTrigramExtension(PGconn* c) {
        try {
            command(c, "CREATE EXTENSION IF NOT EXISTS pg_trgm");
        } catch (const StorageError& e) {
            throw StorageError(
                std::string("the title search needs the pg_trgm extension, which this role may not create: "
                            "a superuser runs CREATE EXTENSION pg_trgm once in this database (") +
                e.what() + ")");
        }
    }

    // Parameters are text except those at `binaryParameters` (indexes); results are text
    // unless `binaryResult`.
    static Result query(PGconn* c, const std::string& sql, const std::vector<std::string>& parameters,
                        std::initializer_list<int> binaryParameters = {}, bool binaryResult = false) {
        std::vector<const char*> values;
        std::vector<int> lengths, formats;
        for (std::size_t i = 0; i < parameters.size(); ++i) {
            values.push_back(parameters[i].data());
            lengths.push_back(static_cast<int>(parameters[i].size()));
            formats.push_back(std::find(binaryParameters.begin(), binaryParameters.end(), static_cast<int>(i)) !=
                                      binaryParameters.end()
                                  ? 1
                                  : 0);
        }
        for (int attempt = 0;; ++attempt) {
            Result r(PQexecParams(c, sql.c_str(), static_cast<int>(parameters.size()), nullptr, values.data(),
                                  lengths.data(), formats.data(), binaryResult ? 1 : 0));
            if (r && (PQresultStatus(r.get()) == PGRES_COMMAND_OK || PQresultStatus(r.get()) == PGRES_TUPLES_OK))
                return r;
            // A dropped connection (a restarted database) is reset once; the statement is
            // repeated only when it cannot have run.
            if (attempt == 0 && PQstatus(c) == CONNECTION_BAD) {
                PQreset(c);
                if (PQstatus(c) == CONNECTION_OK && sql.rfind("SELECT", 0) == 0) continue;
            }
            throw StorageError(std::string("postgresql: ") + PQerrorMessage(c));
        }
    }

    static std::string text(const Result& r, int row, int column) {
        return std::string(PQgetvalue(r.get(), row, column),
                           static_cast<std::size_t>(PQgetlength(r.get(), row, column)));
    }
    static std::int64_t integer(const Result& r, int row, int column) { return std::stoll(text(r, row, column)); }
    static std::int64_t binaryInteger(const Result& r, int column) {
        std::string bytes = text(r, 0, column);
        std::uint64_t v = 0;
        for (unsigned char b : bytes) v = v << 8 | b;
        // Sign-extend 4-byte integers.
        if (bytes.size() == 4 && (v & 0x80000000u)) v |= 0xFFFFFFFF00000000ull;
        return static_cast<std::int64_t>(v);
    }
    static int currentVersion(PGconn* c) {
        Result r = query(c, "SELECT version FROM schema_meta", {});
        return PQntuples(r.get()) ? static_cast<int>(integer(r, 0, 0)) : 0;
    }
    std::vector<AvatarSummary> summaries(Result r) {
        std::vector<AvatarSummary> list;
        for (int row = 0; row < PQntuples(r.get()); ++row)
            list.push_back({integer(r, row, 0), text::utf16FromUtf8Replacing(text(r, row, 1)), text(r, row, 2),
                            static_cast<std::uint8_t>(integer(r, row, 3)), integer(r, row, 4)});
        return list;
    }

    struct Pooled {
        std::mutex mutex;
        std::unique_ptr<PGconn, ConnectionCloser> connection;
    };
    // One pooled connection, held for one operation.
    struct Lease {
        std::unique_lock<std::mutex> lock;
        PGconn* connection = nullptr;
    };
    Lease acquire() {
        for (Pooled& pooled : pool_) {
            std::unique_lock lock(pooled.mutex, std::try_to_lock);
            if (lock.owns_lock()) return {std::move(lock), pooled.connection.get()};
        }
        Pooled& pooled = pool_[next_++ % pool_.size()];
        return {std::unique_lock(pooled.mutex), pooled.connection.get()};
    }

    std::vector<Pooled> pool_;
    std::atomic<std::size_t> next_{0};
};

}  // namespace

std::unique_ptr<Storage> openPostgresStorage(const std::string& connection, int poolSize) {
    return std::make_unique<PostgresStorage>(connection, poolSize);
}

}  // namespace likenex
