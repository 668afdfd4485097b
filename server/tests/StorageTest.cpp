// One suite for both storage back ends: SQLite in a temporary file, and PostgreSQL in a
// cluster this test program starts for itself. Without PostgreSQL installed (scripts/setup.sh
// installs it) its cases fail: they are part of every test run.
#include "server/Storage.h"
#include "server/tests/ServerTestSupport.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <set>
#include <thread>

namespace likenex {
namespace {

using testing::PostgresCluster;
using testing::TempDirectory;

PostgresCluster& cluster() {
    static PostgresCluster instance;
    return instance;
}

StoredAvatar sampleAvatar(std::int64_t owner, std::u16string title, std::uint8_t mode) {
    StoredAvatar a;
    a.ownerId = owner;
    a.avatar.direction = 5;
    a.avatar.faceOption1 = 3;
    a.avatar.faceOption2 = -4;
    a.avatar.skin = 43;
    a.avatar.items[0] = {101, 7};
    a.avatar.items[4] = {0x7fffffff, 254};
    a.avatar.bodyPart = 12;
    a.avatar.script = {{5, u"hello \U0001F600"}, {6, u""}};
    a.title = std::move(title);
    a.secondText = u"line one\nline two";
    a.thirdText = u"<b>'\"&";
    a.firstOption = 10;
    a.secondOption = 6;
    a.accessMode = mode;
    a.language = 4;
    a.accessHash = mode == 2 ? "$argon2id$v=19$m=8,t=1,p=1$xx$yy" : "";
    a.createdAt = 1796000000;
    return a;
}

class StorageTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        if (GetParam() == "postgresql") {
            ASSERT_TRUE(cluster().available()) << cluster().reason();
            connection_ = cluster().newDatabase();
        } else {
            connection_ = directory_.path() + "/test.sqlite";
        }
        storage_ = open();
        storage_->migrate();
    }
    std::unique_ptr<Storage> open() {
        return GetParam() == "postgresql" ? openPostgresStorage(connection_, 3) : openSqliteStorage(connection_);
    }

    TempDirectory directory_;
    std::string connection_;
    std::unique_ptr<Storage> storage_;
};

TEST_P(StorageTest, MigrationIsRepeatableAndCreatesTheGuest) {
    EXPECT_EQ(storage_->schemaVersion(), kStorageSchemaVersion);
    storage_->migrate();
    EXPECT_EQ(storage_->schemaVersion(), kStorageSchemaVersion);
    auto guest = storage_->findAccount("guest");
    ASSERT_TRUE(guest.has_value());
    EXPECT_EQ(guest->secretHash, "");
}

TEST_P(StorageTest, AccountNamesAreUniqueByKey) {
    auto id = storage_->addAccount({0, "Alice", "alice", "hash1"});
    ASSERT_TRUE(id.has_value());
    EXPECT_FALSE(storage_->addAccount({0, "ALICE", "alice", "hash2"}).has_value());
    auto found = storage_->findAccount("alice");
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->id, *id);
    EXPECT_EQ(found->name, "Alice");
    EXPECT_EQ(found->secretHash, "hash1");
    EXPECT_TRUE(storage_->setAccountSecret("alice", "hash3"));
    EXPECT_EQ(storage_->findAccount("alice")->secretHash, "hash3");
    EXPECT_FALSE(storage_->setAccountSecret("bob", "x"));
    EXPECT_FALSE(storage_->findAccount("bob").has_value());

    // A replacement made against a secret that changed meanwhile leaves the newer secret.
    EXPECT_FALSE(storage_->replaceAccountSecret("alice", "hash1", "hash4"));
    EXPECT_EQ(storage_->findAccount("alice")->secretHash, "hash3");
    EXPECT_TRUE(storage_->replaceAccountSecret("alice", "hash3", "hash4"));
    EXPECT_EQ(storage_->findAccount("alice")->secretHash, "hash4");
    EXPECT_FALSE(storage_->replaceAccountSecret("bob", "", "x"));
    EXPECT_FALSE(storage_->replaceAccountSecret("guest", "x", "y"));
    EXPECT_EQ(storage_->findAccount("guest")->secretHash, "");
}

TEST_P(StorageTest, AvatarsAreKeptWholeAndNumberedFromOne) {
    auto owner = *storage_->addAccount({0, "Owner", "owner", "h"});
    StoredAvatar first = sampleAvatar(owner, u"Été \U0001F600", 2);
    EXPECT_EQ(storage_->storeAvatar(first), 1);
    EXPECT_EQ(storage_->storeAvatar(sampleAvatar(owner, u"second", 0)), 2);
    EXPECT_EQ(storage_->avatarCount(), 2);

    auto back = storage_->loadAvatar(1);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->number, 1);
    EXPECT_EQ(back->ownerId, owner);
    EXPECT_EQ(back->ownerName, "Owner");
    EXPECT_EQ(back->avatar, first.avatar);
    EXPECT_EQ(back->title, first.title);
    EXPECT_EQ(back->secondText, first.secondText);
    EXPECT_EQ(back->thirdText, first.thirdText);
    EXPECT_EQ(back->firstOption, 10);
    EXPECT_EQ(back->secondOption, 6);
    EXPECT_EQ(back->accessMode, 2);
    EXPECT_EQ(back->language, 4);
    EXPECT_EQ(back->accessHash, first.accessHash);
    EXPECT_EQ(back->createdAt, first.createdAt);
    EXPECT_FALSE(storage_->loadAvatar(3).has_value());
    EXPECT_FALSE(storage_->loadAvatar(0).has_value());
    EXPECT_FALSE(storage_->loadAvatar(-1).has_value());
}

TEST_P(StorageTest, ListsShowOpenAvatarsAndOwnersSeeTheirOwn) {
    auto alice = *storage_->addAccount({0, "alice", "alice", "h"});
    auto bob = *storage_->addAccount({0, "bob", "bob", "h"});
    (void)storage_->storeAvatar(sampleAvatar(alice, u"Summer ÉTÉ", 0));
    (void)storage_->storeAvatar(sampleAvatar(alice, u"secret summer", 1));
    (void)storage_->storeAvatar(sampleAvatar(bob, u"winter", 0));
    (void)storage_->storeAvatar(sampleAvatar(bob, u"password summer", 2));

    auto latest = storage_->latestAvatars(10);
    ASSERT_EQ(latest.size(), 2u);
    EXPECT_EQ(latest[0].number, 3);  // newest first
    EXPECT_EQ(latest[1].number, 1);
    EXPECT_EQ(storage_->latestAvatars(1).size(), 1u);

    auto mine = storage_->avatarsOf(alice, 10);
    ASSERT_EQ(mine.size(), 2u);
    EXPECT_EQ(mine[0].accessMode, 1);

    auto found = storage_->searchAvatars(u"SUMMER été", 10);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].number, 1);
    EXPECT_EQ(storage_->searchAvatars(u"summer", 10).size(), 1u);  // the restricted ones never show
    EXPECT_TRUE(storage_->searchAvatars(u"%", 10).empty());
}

TEST_P(StorageTest, AReopenedStorageSeesWhatWasCommitted) {
    auto owner = *storage_->addAccount({0, "o", "o", "h"});
    for (int i = 0; i < 5; ++i) (void)storage_->storeAvatar(sampleAvatar(owner, u"t", 0));
    auto other = open();
    other->migrate();
    EXPECT_EQ(other->avatarCount(), 5);
    EXPECT_EQ(other->storeAvatar(sampleAvatar(owner, u"from the other", 0)), 6);
    EXPECT_EQ(storage_->loadAvatar(6)->title, u"from the other");
}

// Several storages, and several threads on one storage, writing at once get distinct
// numbers and lose nothing.
TEST_P(StorageTest, ConcurrentWritersFromSeveralConnections) {
    auto owner = *storage_->addAccount({0, "o", "o", "h"});
    std::vector<std::thread> writers;
    std::mutex numbersMutex;
    std::set<std::int64_t> numbers;
    for (int w = 0; w < 6; ++w)
        writers.emplace_back([&, w] {
            std::unique_ptr<Storage> own = w < 3 ? open() : nullptr;
            Storage& storage = own ? *own : *storage_;
            for (int i = 0; i < 20; ++i) {
                std::int64_t number = storage.storeAvatar(sampleAvatar(owner, u"t", 0));
                std::lock_guard lock(numbersMutex);
                numbers.insert(number);
            }
        });
    for (auto& t : writers) t.join();
    EXPECT_EQ(numbers.size(), 120u);
    EXPECT_EQ(storage_->avatarCount(), 120);
    EXPECT_TRUE(storage_->loadAvatar(*numbers.rbegin())->avatar == sampleAvatar(owner, u"t", 0).avatar);
}

// Runs statements on the test's database behind the storage's back.
void runSql(const std::string& backend, const std::string& connection, const std::string& sql) {
    if (backend == "postgresql") {
        PGconn* c = PQconnectdb(connection.c_str());
        PGresult* r = PQexec(c, sql.c_str());
        EXPECT_TRUE(PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK) << PQerrorMessage(c);
        PQclear(r);
        PQfinish(c);
        return;
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(connection.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

std::vector<std::int64_t> numbersOf(const std::vector<AvatarSummary>& found) {
    std::vector<std::int64_t> numbers;
    for (const AvatarSummary& a : found) numbers.push_back(a.number);
    return numbers;
}

using Numbers = std::vector<std::int64_t>;

// Search finds a text anywhere in a title, folded as foldCase folds, with the characters that
// LIKE and the FTS5 query syntax give a meaning taken as themselves.
TEST_P(StorageTest, SearchFindsTextsAsTheyAreWithoutRegardToCase) {
    auto owner = *storage_->addAccount({0, "o", "o", "h"});
    const std::u16string titles[] = {
        u"Summer ÉTÉ",              // 1
        u"100% cotton",             // 2
        u"snake_case",              // 3
        u"back\\slash",             // 4
        u"ПРИВЕТ мир",              // 5
        u"say \"hi\" OR NOT",       // 6
        u"snakeXcase",              // 7
        u"Ωμεγα \U0001F600 smile",  // 8
    };
    for (const auto& title : titles) (void)storage_->storeAvatar(sampleAvatar(owner, title, 0));
    (void)storage_->storeAvatar(sampleAvatar(owner, u"secret summer", 1));    // 9
    (void)storage_->storeAvatar(sampleAvatar(owner, u"password summer", 2));  // 10

    auto search = [&](std::u16string text) { return numbersOf(storage_->searchAvatars(text, 50)); };
    EXPECT_EQ(search(u"SUMMER été"), Numbers{1});
    EXPECT_EQ(search(u"mmer"), Numbers{1});  // the restricted ones never show
    EXPECT_EQ(search(u"привет М"), Numbers{5});
    EXPECT_EQ(search(u"ΩΜΕΓΑ"), Numbers{8});
    EXPECT_EQ(search(u"\U0001F600 sm"), Numbers{8});
    EXPECT_EQ(search(u"0% c"), Numbers{2});
    EXPECT_EQ(search(u"e_c"), Numbers{3});  // not snakeXcase
    EXPECT_EQ(search(u"k\\s"), Numbers{4});
    EXPECT_EQ(search(u"\"hi\""), Numbers{6});
    EXPECT_EQ(search(u"hi\" or not"), Numbers{6});
    EXPECT_TRUE(search(u"%%%").empty());
    EXPECT_TRUE(search(u"___").empty());
    EXPECT_TRUE(search(u"NEAR(a b)").empty());
    EXPECT_TRUE(search(std::u16string(u"summer\0", 7)).empty());
    EXPECT_TRUE(search(u"").empty());
    // Shorter than a trigram: still found among the newest.
    EXPECT_EQ(search(u"%"), Numbers{2});
    EXPECT_EQ(search(u"_"), Numbers{3});
    EXPECT_EQ(search(u"\\"), Numbers{4});
    EXPECT_EQ(search(u"É"), Numbers{1});
    EXPECT_EQ(search(u"\U0001F600"), Numbers{8});
    EXPECT_EQ(search(u"ca"), Numbers({7, 3}));
    // Newest first, cut at the limit.
    EXPECT_EQ(search(u"case"), Numbers({7, 3}));
    EXPECT_EQ(numbersOf(storage_->searchAvatars(u"ase", 1)), Numbers{7});
}

// A database of the second schema, with avatars, gets its search index and picture table
// filled on migration.
TEST_P(StorageTest, AMigratedOlderDatabaseIsSearchable) {
    auto owner = *storage_->addAccount({0, "o", "o", "h"});
    (void)storage_->storeAvatar(sampleAvatar(owner, u"Old Winter", 0));
    (void)storage_->storeAvatar(sampleAvatar(owner, u"old secret", 1));
    storage_.reset();
    if (GetParam() == "postgresql")
        runSql(GetParam(), connection_,
               "DROP TABLE avatar_pictures; DROP INDEX avatars_title_trigrams; DROP EXTENSION pg_trgm;"
               " UPDATE schema_meta SET version = 2;");
    else
        runSql(GetParam(), connection_,
               "DROP TABLE avatar_pictures; DROP TABLE avatar_titles; UPDATE schema_meta SET version = 2;");
    storage_ = open();
    EXPECT_EQ(storage_->schemaVersion(), 2);
    storage_->migrate();
    EXPECT_EQ(storage_->schemaVersion(), kStorageSchemaVersion);
    EXPECT_EQ(numbersOf(storage_->searchAvatars(u"OLD", 10)), Numbers{1});
    EXPECT_EQ(numbersOf(storage_->searchAvatars(u"winter", 10)), Numbers{1});
    (void)storage_->storeAvatar(sampleAvatar(owner, u"new winter", 0));
    EXPECT_EQ(numbersOf(storage_->searchAvatars(u"winter", 10)), Numbers({3, 1}));
    storage_->storeAvatarPictures(1, {{1, 2}, {}});
    EXPECT_TRUE(storage_->loadAvatarPictures(1).has_value());
}

// The first picture set stored for an avatar stays; empty pictures are kept as empty.
TEST_P(StorageTest, PicturesAreKeptOncePerAvatar) {
    auto owner = *storage_->addAccount({0, "o", "o", "h"});
    (void)storage_->storeAvatar(sampleAvatar(owner, u"pictured", 0));
    (void)storage_->storeAvatar(sampleAvatar(owner, u"still only", 0));
    EXPECT_FALSE(storage_->loadAvatarPictures(1).has_value());
    std::vector<std::uint8_t> big(3 << 20);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 7 + (i >> 11));
    storage_->storeAvatarPictures(1, {{'B', 'M', 0, 255}, big});
    storage_->storeAvatarPictures(1, {{'X'}, {'Y'}});  // made again elsewhere meanwhile
    storage_->storeAvatarPictures(2, {{0, 0}, {}});
    auto first = storage_->loadAvatarPictures(1);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->still, (std::vector<std::uint8_t>{'B', 'M', 0, 255}));
    EXPECT_TRUE(first->animation == big);
    auto second = open()->loadAvatarPictures(2);
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->still, (std::vector<std::uint8_t>{0, 0}));
    EXPECT_TRUE(second->animation.empty());
    EXPECT_FALSE(storage_->loadAvatarPictures(3).has_value());
}

INSTANTIATE_TEST_SUITE_P(Backends, StorageTest, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& info) { return info.param; });

// ---- SQLite only ----

void execSql(const std::string& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

std::string querySql(const std::string& path, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_stmt* s = nullptr;
    std::string value;
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW)
        value = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
    sqlite3_finalize(s);
    sqlite3_close(db);
    return value;
}

TEST(SqliteStorage, WriteAheadLogAndAnOlderSchemaMigrated) {
    TempDirectory directory;
    std::string path = directory.path() + "/old.sqlite";
    // A database as the first schema left it, with one avatar.
    {
        auto storage = openSqliteStorage(path);
        storage->migrate();
        StoredAvatar a = sampleAvatar(1, u"kept", 0);
        (void)storage->storeAvatar(a);
    }
    execSql(path,
            "DROP INDEX avatars_owner; DROP INDEX avatars_open; DROP TABLE avatar_titles; DROP TABLE avatar_pictures;"
            " UPDATE schema_meta SET version = 1;");
    auto storage = openSqliteStorage(path);
    EXPECT_EQ(storage->schemaVersion(), 1);
    storage->migrate();
    EXPECT_EQ(storage->schemaVersion(), kStorageSchemaVersion);
    EXPECT_EQ(storage->loadAvatar(1)->title, u"kept");
    EXPECT_EQ(querySql(path, "SELECT count(*) FROM sqlite_master WHERE name = 'avatars_open'"), "1");
    EXPECT_EQ(querySql(path, "PRAGMA journal_mode"), "wal");

    execSql(path, "UPDATE schema_meta SET version = 99;");
    EXPECT_THROW(storage->migrate(), StorageError);
}

// The database holds password hashes: its files are its owner's alone, also when an older
// server left them readable by everybody.
TEST(SqliteStorage, FilesAreReadableByTheirOwnerOnly) {
    TempDirectory directory;
    auto modeOf = [](const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 0777) : -1;
    };
    const std::string fresh = directory.path() + "/fresh.sqlite";
    {
        auto storage = openSqliteStorage(fresh);
        storage->migrate();
        (void)storage->storeAvatar(sampleAvatar(1, u"t", 0));
        EXPECT_EQ(modeOf(fresh), 0600);
        EXPECT_EQ(modeOf(fresh + "-wal"), 0600);
        EXPECT_EQ(modeOf(fresh + "-shm"), 0600);
    }
    const std::string old = directory.path() + "/old.sqlite";
    {
        auto storage = openSqliteStorage(old);
        storage->migrate();
    }
    execSql(old, "PRAGMA journal_mode=DELETE;");
    ASSERT_EQ(::chmod(old.c_str(), 0644), 0);
    {
        std::FILE* stale = std::fopen((old + "-wal").c_str(), "w");  // an empty log left behind
        ASSERT_NE(stale, nullptr);
        std::fclose(stale);
    }
    ASSERT_EQ(::chmod((old + "-wal").c_str(), 0666), 0);
    auto storage = openSqliteStorage(old);
    storage->migrate();
    (void)storage->storeAvatar(sampleAvatar(1, u"t", 0));
    EXPECT_EQ(modeOf(old), 0600);
    EXPECT_EQ(modeOf(old + "-wal"), 0600);
    EXPECT_EQ(modeOf(old + "-shm"), 0600);
    EXPECT_EQ(storage->avatarCount(), 1);
}

// Search over many avatars gives what a scan of every title gives. With LIKENEX_SEARCH_FIGURES
// set it runs over 440,000 avatars and prints how long the scan and the index take.
TEST(SqliteStorage, IndexedSearchAgreesWithAScanOfEveryTitle) {
    const bool figures = std::getenv("LIKENEX_SEARCH_FIGURES") != nullptr;
    const int count = figures ? 440000 : 3000;
    TempDirectory directory;
    const std::string path = directory.path() + "/many.sqlite";
    auto storage = openSqliteStorage(path);
    storage->migrate();
    (void)storage->storeAvatar(sampleAvatar(1, u"Template", 0));
    // Titles of a few words from a small vocabulary; one avatar in five restricted.
    const std::string sql =
        "WITH RECURSIVE n(i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(count) +
        ")"
        " INSERT INTO avatars (number, owner_id, look, title, title_key, second_text, third_text, first_option,"
        " second_option, access_mode, language, access_hash, created_at)"
        " SELECT i, 1, (SELECT look FROM avatars WHERE number = 1), t, lower(t), '', '', 0, 0, CASE WHEN i % 5 = 0 "
        "THEN 1 ELSE 0 END,"
        " 0, '', 1796000000 + i FROM (SELECT i, 'Avatar ' || (i * 7919 % 100003) || ' ' ||"
        " substr('RedBluGrnPnkTanSkyOwlFoxCatDog', (i % 10) * 3 + 1, 3) ||"
        " substr('summerwinterspringautumn', ((i / 10) % 4) * 6 + 1, 6) AS t FROM n);"
        "INSERT INTO avatar_titles (rowid, title_key) SELECT number, title_key FROM avatars WHERE number > 1 AND "
        "access_mode = 0;";
    execSql(path, sql.c_str());
    ASSERT_EQ(storage->avatarCount(), count);

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    // What the scan finds, as the search did before it had an index.
    auto scan = [&](const std::string& key, int limit) {
        sqlite3_stmt* s = nullptr;
        std::vector<std::int64_t> numbers;
        sqlite3_prepare_v2(db,
                           "SELECT number FROM avatars WHERE access_mode = 0 AND instr(title_key, ?) > 0"
                           " ORDER BY number DESC LIMIT ?",
                           -1, &s, nullptr);
        sqlite3_bind_text(s, 1, key.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(s, 2, limit);
        while (sqlite3_step(s) == SQLITE_ROW) numbers.push_back(sqlite3_column_int64(s, 0));
        sqlite3_finalize(s);
        return numbers;
    };
    auto milliseconds = [](auto&& run) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 5; ++i) run();
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / 5;
    };
    const std::pair<const char16_t*, const char*> queries[] = {
        {u"FOXWINTER", "foxwinter"},        // one title in forty
        {u"avatar 4242 ", "avatar 4242 "},  // a handful
        {u"12345 ", "12345 "},              // one or none
        {u"nowhere", "nowhere"},            // none
        {u"AVATAR", "avatar"},              // every title
    };
    for (const auto& [query, key] : queries) {
        EXPECT_EQ(numbersOf(storage->searchAvatars(query, 50)), scan(key, 50)) << key;
        if (figures)
            std::printf("search \"%s\" over %d avatars: scan %.2f ms, index %.2f ms\n", key, count,
                        milliseconds([&] { (void)scan(key, 50); }),
                        milliseconds([&] { (void)storage->searchAvatars(query, 50); }));
    }
    sqlite3_close(db);
}

TEST(SqliteStorage, UnopenablePathIsAStorageError) {
    EXPECT_THROW((void)openSqliteStorage("/nonexistent-directory/x/y.sqlite"), StorageError);
}

TEST(PostgresStorage, InstancesMigratingTogetherMigrateOnce) {
    ASSERT_TRUE(cluster().available()) << cluster().reason();
    std::string connection = cluster().newDatabase();
    std::vector<std::thread> starters;
    std::atomic<int> failures{0};
    for (int i = 0; i < 3; ++i)
        starters.emplace_back([&] {
            try {
                openPostgresStorage(connection)->migrate();
            } catch (const StorageError&) {
                ++failures;
            }
        });
    for (auto& t : starters) t.join();
    EXPECT_EQ(failures, 0);
    auto storage = openPostgresStorage(connection);
    EXPECT_EQ(storage->schemaVersion(), kStorageSchemaVersion);
    EXPECT_TRUE(storage->findAccount("guest").has_value());
}

TEST(PostgresStorage, UnreachableServerIsAStorageError) {
    EXPECT_THROW((void)openPostgresStorage("host=127.0.0.1 port=1 connect_timeout=2 user=nobody"), StorageError);
}

}  // namespace
}  // namespace likenex
