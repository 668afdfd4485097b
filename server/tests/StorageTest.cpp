// One suite for both storage back ends: SQLite in a temporary file, and PostgreSQL in a
// cluster this test program starts for itself. Without PostgreSQL installed (scripts/setup.sh
// installs it) its cases fail: they are part of every test run.
#include "server/Storage.h"
#include "server/tests/ServerTestSupport.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

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
    execSql(path, "DROP INDEX avatars_owner; DROP INDEX avatars_open; UPDATE schema_meta SET version = 1;");
    auto storage = openSqliteStorage(path);
    EXPECT_EQ(storage->schemaVersion(), 1);
    storage->migrate();
    EXPECT_EQ(storage->schemaVersion(), 2);
    EXPECT_EQ(storage->loadAvatar(1)->title, u"kept");
    EXPECT_EQ(querySql(path, "SELECT count(*) FROM sqlite_master WHERE name = 'avatars_open'"), "1");
    EXPECT_EQ(querySql(path, "PRAGMA journal_mode"), "wal");

    execSql(path, "UPDATE schema_meta SET version = 99;");
    EXPECT_THROW(storage->migrate(), StorageError);
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
