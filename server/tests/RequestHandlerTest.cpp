// The protocol's answers without a network: the request handler over SQLite and a small
// catalogue, the upload rules, the sign-in slowing and the per-address limits (with the web
// side's registration and password pages, which share the throttle), and the settings.
#include "base/Text.h"
#include "net/Md5.h"
#include "server/Accounts.h"
#include "server/CodePage.h"
#include "server/RequestHandler.h"
#include "server/ServerConfig.h"
#include "server/SignInThrottle.h"
#include "server/UploadCheck.h"
#include "server/WebSite.h"
#include "server/tests/ServerTestSupport.h"

#include <gtest/gtest.h>

namespace likenex {
namespace {

using namespace std::chrono_literals;
using testing::freeUpload;
using testing::TempDirectory;

const std::string kPassword = md5Hex("secret");

class RequestHandlerTest : public ::testing::Test {
protected:
    RequestHandlerTest()
        : storage_(openSqliteStorage(directory_.path() + "/db.sqlite")),
          accounts_(*storage_, Argon2Cost{1, 8192}),
          throttle_(SignInThrottle::Limits{
              .firstDelay = 100ms, .longestDelay = 400ms, .longestWait = 1000ms, .maxEntries = 1000}) {
        storage_->migrate();
        catalogue_.replaceTables(testing::testCatalogue());
        EXPECT_EQ(accounts_.addAccount(u"Alice", kPassword), Accounts::AddResult::Added);
        limitUploads({});
    }

    void limitUploads(UploadLimits limits) {
        handler_ = std::make_unique<RequestHandler>(
            *storage_, accounts_, throttle_, catalogue_,
            ProtocolSettings{3, "http://127.0.0.1:8080/Download/", "http://127.0.0.1:8080/news.xml",
                             "http://127.0.0.1:8080", toWindows1252},
            limits);
    }

    RequestHandler::Outcome send(ProtocolMessage& request, const std::string& peer = "10.0.0.1") {
        EXPECT_TRUE(request.encode());
        return handler_->handle(request.bytes(), peer);
    }
    SaveAvatarReply save(SaveAvatarRequest request, const std::string& peer = "10.0.0.1") {
        auto reply = testing::decodeReply<SaveAvatarReply>(send(request, peer).reply);
        EXPECT_TRUE(reply.has_value());
        return reply.value_or(SaveAvatarReply{});
    }
    AvatarReply open(std::int64_t id) {
        OpenAvatarRequest request;
        request.avatarId = id;
        auto reply = testing::decodeReply<AvatarReply>(send(request).reply);
        EXPECT_TRUE(reply.has_value());
        return reply.value_or(AvatarReply{});
    }

    TempDirectory directory_;
    std::unique_ptr<Storage> storage_;
    Accounts accounts_;
    SignInThrottle throttle_;
    Catalogue catalogue_;
    std::unique_ptr<RequestHandler> handler_;
};

TEST_F(RequestHandlerTest, VersionReplyComesFromTheSettings) {
    VersionQuery query;
    auto reply = testing::decodeReply<VersionReply>(send(query).reply);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->newestVersion, 3);
    EXPECT_EQ(reply->updaterArguments, "http://127.0.0.1:8080/Download/");
    EXPECT_EQ(reply->newsBase, "http://127.0.0.1:8080/news.xml");
}

TEST_F(RequestHandlerTest, SavedAvatarsAreNumberedAndOpenByAccessMode) {
    SaveAvatarRequest upload = freeUpload(u"ALICE", kPassword, 3);
    SaveAvatarReply first = save(upload);
    ASSERT_EQ(first.result, SaveAvatarReply::Saved);
    EXPECT_EQ(first.avatarNumber, 1);
    EXPECT_EQ(first.address, "http://127.0.0.1:8080/a/1");

    AvatarReply opened = open(1);
    ASSERT_EQ(opened.result, AvatarReply::Found);
    EXPECT_EQ(opened.avatar, upload.avatar);

    for (std::uint8_t mode : {1, 2, 3}) {
        SaveAvatarRequest restricted = freeUpload(u"alice", kPassword);
        restricted.accessMode = mode;
        restricted.accessDigest = md5Hex("door");
        SaveAvatarReply reply = save(restricted);
        ASSERT_EQ(reply.result, SaveAvatarReply::Saved);
        EXPECT_EQ(open(reply.avatarNumber).result, AvatarReply::Refused) << int(mode);
    }
    EXPECT_EQ(open(99).result, AvatarReply::Failed);
    EXPECT_EQ(open(0).result, AvatarReply::Failed);
    EXPECT_EQ(open(-5).result, AvatarReply::Failed);

    auto stored = storage_->loadAvatar(3);
    ASSERT_TRUE(stored.has_value());
    EXPECT_TRUE(Accounts::digestMatches(stored->accessHash, md5Hex("door")));
    EXPECT_EQ(stored->accessHash.find(md5Hex("door")), std::string::npos);  // never the digest itself
}

TEST_F(RequestHandlerTest, WrongPasswordsAndUnknownNamesAreRejected) {
    EXPECT_EQ(save(freeUpload(u"alice", md5Hex("wrong"))).result, SaveAvatarReply::SignInRejected);
    EXPECT_EQ(save(freeUpload(u"nobody", kPassword)).result, SaveAvatarReply::SignInRejected);
    EXPECT_EQ(save(freeUpload(u"", kPassword)).result, SaveAvatarReply::SignInRejected);
    EXPECT_EQ(storage_->avatarCount(), 0);
    // The account's secret is an argon2id hash, never the digest.
    auto account = storage_->findAccount("alice");
    ASSERT_TRUE(account.has_value());
    EXPECT_EQ(account->secretHash.rfind("$argon2id$", 0), 0u);
}

// Repeated sign-ins are remembered, but never across a change of password.
TEST_F(RequestHandlerTest, RememberedSignInsEndWithANewPassword) {
    EXPECT_TRUE(accounts_.signIn(u"alice", kPassword).has_value());
    EXPECT_TRUE(accounts_.signIn(u"ALICE", kPassword).has_value());
    EXPECT_FALSE(accounts_.signIn(u"alice", md5Hex("other")).has_value());
    ASSERT_TRUE(accounts_.setPassword(u"Alice", md5Hex("other")));
    EXPECT_FALSE(accounts_.signIn(u"alice", kPassword).has_value());
    EXPECT_TRUE(accounts_.signIn(u"alice", md5Hex("other")).has_value());
    EXPECT_FALSE(accounts_.setPassword(u"nobody", kPassword));
}

// ---- Typed passwords and the legacy form of long ones ----

// A password of 31 to 33 characters stored before in its legacy form (the text itself): the
// editor now sends the typed digest, which fails until the person signs in once with the typed
// password on the web, which puts the typed form in its place.
TEST_F(RequestHandlerTest, ALegacyLongSecretGivesWayToTheTypedFormOnceItMatches) {
    const std::u16string password = u"thirty-two characters, not fewer";
    const std::string typed = typedPasswordDigest(password, toWindows1252);
    const std::string legacy = legacyPasswordDigest(password, toWindows1252);
    ASSERT_NE(typed, legacy);
    ASSERT_TRUE(accounts_.setPassword(u"alice", legacy));
    EXPECT_FALSE(accounts_.signIn(u"alice", typed).has_value());
    EXPECT_TRUE(accounts_.signIn(u"alice", legacy).has_value());  // as an editor remembered it

    const std::string before = storage_->findAccount("alice")->secretHash;
    EXPECT_FALSE(accounts_.signInTyped(u"alice", u"thirty-two characters, not fewr!", toWindows1252).has_value());
    EXPECT_EQ(storage_->findAccount("alice")->secretHash, before);

    ASSERT_TRUE(accounts_.signInTyped(u"ALICE", password, toWindows1252).has_value());
    EXPECT_NE(storage_->findAccount("alice")->secretHash, before);
    EXPECT_TRUE(accounts_.signIn(u"alice", typed).has_value());
    EXPECT_FALSE(accounts_.signIn(u"alice", legacy).has_value());
    EXPECT_TRUE(accounts_.signInTyped(u"alice", password, toWindows1252).has_value());
}

TEST_F(RequestHandlerTest, TypedPasswordsMatchAccessHashesInBothForms) {
    const std::u16string longPassword(33, u'k');
    const std::string fromEditor = accounts_.hashDigest(typedPasswordDigest(longPassword, toWindows1252));
    const std::string storedBefore = accounts_.hashDigest(legacyPasswordDigest(longPassword, toWindows1252));
    EXPECT_TRUE(Accounts::typedPasswordMatches(fromEditor, longPassword, toWindows1252));
    EXPECT_TRUE(Accounts::typedPasswordMatches(storedBefore, longPassword, toWindows1252));
    EXPECT_FALSE(Accounts::typedPasswordMatches(fromEditor, std::u16string(32, u'k'), toWindows1252));
    // Cut to 32 bytes, the legacy forms of 32 and 33 equal characters are the same text.
    EXPECT_TRUE(Accounts::typedPasswordMatches(storedBefore, std::u16string(32, u'k'), toWindows1252));
    EXPECT_FALSE(Accounts::typedPasswordMatches(storedBefore, std::u16string(31, u'k'), toWindows1252));
    EXPECT_FALSE(Accounts::typedPasswordMatches("", u"", toWindows1252));
    const std::string shortHash = accounts_.hashDigest(md5Hex("door"));
    EXPECT_TRUE(Accounts::typedPasswordMatches(shortHash, u"door", toWindows1252));
    EXPECT_FALSE(Accounts::typedPasswordMatches(shortHash, u"Door", toWindows1252));
}

// A storage in which the operator sets a new password just before a legacy sign-in stores
// the typed form.
class PasswordChangedMeanwhile : public Storage {
public:
    PasswordChangedMeanwhile(Storage& inner, std::string newSecret) : inner_(inner), newSecret_(std::move(newSecret)) {}
    void migrate() override { inner_.migrate(); }
    int schemaVersion() override { return inner_.schemaVersion(); }
    std::optional<std::int64_t> addAccount(const Account& a) override { return inner_.addAccount(a); }
    std::optional<Account> findAccount(const std::string& key) override { return inner_.findAccount(key); }
    bool setAccountSecret(const std::string& key, const std::string& hash) override {
        return inner_.setAccountSecret(key, hash);
    }
    bool replaceAccountSecret(const std::string& key, const std::string& oldHash, const std::string& newHash) override {
        EXPECT_TRUE(inner_.setAccountSecret(key, newSecret_));
        return inner_.replaceAccountSecret(key, oldHash, newHash);
    }
    std::int64_t storeAvatar(const StoredAvatar& a) override { return inner_.storeAvatar(a); }
    std::optional<StoredAvatar> loadAvatar(std::int64_t n) override { return inner_.loadAvatar(n); }
    std::int64_t avatarCount() override { return inner_.avatarCount(); }
    std::vector<AvatarSummary> latestAvatars(int limit) override { return inner_.latestAvatars(limit); }
    std::vector<AvatarSummary> avatarsOf(std::int64_t owner, int limit) override {
        return inner_.avatarsOf(owner, limit);
    }
    std::vector<AvatarSummary> searchAvatars(const std::u16string& part, int limit) override {
        return inner_.searchAvatars(part, limit);
    }

private:
    Storage& inner_;
    std::string newSecret_;
};

TEST_F(RequestHandlerTest, ALegacySignInNeverUndoesAPasswordSetMeanwhile) {
    const std::u16string password(31, u'q');
    ASSERT_TRUE(accounts_.setPassword(u"alice", legacyPasswordDigest(password, toWindows1252)));
    const std::string operatorsChoice = accounts_.hashDigest(md5Hex("fresh"));
    PasswordChangedMeanwhile storage(*storage_, operatorsChoice);
    Accounts accounts(storage, Argon2Cost{1, 8192});
    (void)accounts.signInTyped(u"alice", password, toWindows1252);
    EXPECT_EQ(storage_->findAccount("alice")->secretHash, operatorsChoice);
    EXPECT_TRUE(accounts_.signIn(u"alice", md5Hex("fresh")).has_value());
}

TEST_F(RequestHandlerTest, TheGuestNeedsNoPasswordButStoresOnlyFreeOutfits) {
    EXPECT_EQ(save(freeUpload(u"GuEsT", "anything")).result, SaveAvatarReply::Saved);
    SaveAvatarRequest priced = freeUpload(u"guest", "");
    priced.avatar.items[2] = {102, 0};  // price 50
    EXPECT_EQ(save(priced).result, SaveAvatarReply::Refused);
    priced.avatar.items[2] = {0, 255};
    priced.appendScriptEntry(7, u"");  // an action with a price
    EXPECT_EQ(save(priced).result, SaveAvatarReply::Refused);
    EXPECT_EQ(storage_->avatarCount(), 1);
    // A signed-in user may store the priced one.
    priced.userName = u"alice";
    priced.passwordDigest = kPassword;
    EXPECT_EQ(save(priced).result, SaveAvatarReply::Saved);
}

TEST_F(RequestHandlerTest, UnknownCatalogueEntriesAndLongScriptsAreRefusedUnstored) {
    std::vector<std::function<void(SaveAvatarRequest&)>> breakages = {
        [](SaveAvatarRequest& r) {
            r.avatar.items[0] = {999, 0};
        },
        [](SaveAvatarRequest& r) {
            r.avatar.items[3] = {202, 0};
        },  // withdrawn
        [](SaveAvatarRequest& r) {
            r.avatar.items[0] = {0, 4};
        },
        [](SaveAvatarRequest& r) { r.avatar.bodyPart = 13; },
        [](SaveAvatarRequest& r) { r.avatar.faceOption1 = 2; },  // an option of the other layer
        [](SaveAvatarRequest& r) { r.appendScriptEntry(9, u"x"); },
        [](SaveAvatarRequest& r) { r.appendScriptEntry(0x10005, u"x"); },  // not a 16-bit identifier
        [](SaveAvatarRequest& r) { r.avatar.direction = 8; },
        [](SaveAvatarRequest& r) { r.avatar.skin = 44; },
        [](SaveAvatarRequest& r) { r.accessMode = 4; },
        [](SaveAvatarRequest& r) { r.accessMode = 2; },  // without an access password
        [](SaveAvatarRequest& r) {                       // 11 * 10 + 11 frames = 121
            r.avatar.script.clear();
            for (int i = 0; i < 11; ++i) r.appendScriptEntry(5, u"");
            for (int i = 0; i < 11; ++i) r.appendScriptEntry(7, u"");
        },
    };
    for (std::size_t i = 0; i < breakages.size(); ++i) {
        SaveAvatarRequest r = freeUpload(u"alice", kPassword);
        breakages[i](r);
        EXPECT_EQ(save(r).result, SaveAvatarReply::Refused) << "breakage " << i;
    }
    EXPECT_EQ(storage_->avatarCount(), 0);

    // The none values and exactly 120 frames pass.
    SaveAvatarRequest r = freeUpload(u"alice", kPassword, 0);
    r.avatar.items = {};
    r.avatar.bodyPart = 0;
    r.avatar.faceOption1 = 0;
    for (int i = 0; i < 2; ++i) r.appendScriptEntry(6, u"");
    EXPECT_EQ(save(r).result, SaveAvatarReply::Saved);
}

TEST_F(RequestHandlerTest, MalformedAndUnknownFramesGetNoReply) {
    EXPECT_TRUE(handler_->handle(std::vector<std::uint8_t>{6, 0, 2, 1, 0, 0}, "p").reply.empty());  // a reply type
    EXPECT_TRUE(handler_->handle(std::vector<std::uint8_t>{7, 0, 3, 1, 0, 0, 0}, "p").reply.empty());
    EXPECT_TRUE(handler_->handle(std::vector<std::uint8_t>{9, 0, 1, 1, 0, 0, 1, 2, 3}, "p").reply.empty());
    EXPECT_TRUE(handler_->handle(std::vector<std::uint8_t>{1, 2}, "p").reply.empty());
    EXPECT_EQ(storage_->avatarCount(), 0);
}

TEST_F(RequestHandlerTest, FailedSignInsAreSlowedButNeverHeldLong) {
    auto wrong = freeUpload(u"alice", md5Hex("guess"));
    EXPECT_TRUE(wrong.encode());
    std::chrono::steady_clock::duration longest{};
    int rejectedUnchecked = 0;
    for (int i = 0; i < 12; ++i) {
        auto outcome = handler_->handle(wrong.bytes(), "10.0.0.9");
        longest = std::max(longest, outcome.delay);
        if (outcome.summary.find("unchecked") != std::string::npos) ++rejectedUnchecked;
        EXPECT_EQ(testing::decodeReply<SaveAvatarReply>(outcome.reply)->result, SaveAvatarReply::SignInRejected);
    }
    EXPECT_GT(longest, 0ms);
    EXPECT_LE(longest, 1000ms);  // the test's longest wait; the default is 5 s, far from 30 s
    EXPECT_GT(rejectedUnchecked, 0);
}

// After a handful of failures from one address the account is locked out there: answered at
// once, with no hash, while its owner still signs in from home.
TEST_F(RequestHandlerTest, ALockedOutAddressIsAnsweredAtOnceWhileTheOwnerSignsIn) {
    auto wrong = freeUpload(u"alice", md5Hex("guess"));
    EXPECT_TRUE(wrong.encode());
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(handler_->handle(wrong.bytes(), "6.6.6.6").summary, "save by alice: sign-in rejected");
    const auto hashes = accounts_.hashesDone();
    auto locked = handler_->handle(wrong.bytes(), "6.6.6.6");
    EXPECT_EQ(testing::decodeReply<SaveAvatarReply>(locked.reply)->result, SaveAvatarReply::SignInRejected);
    EXPECT_EQ(locked.delay, 0ms);
    EXPECT_NE(locked.summary.find("locked out for 60 s"), std::string::npos) << locked.summary;
    EXPECT_EQ(accounts_.hashesDone(), hashes);
    // The right password from the locked address is refused too; from home it goes through.
    EXPECT_EQ(save(freeUpload(u"alice", kPassword), "6.6.6.6").result, SaveAvatarReply::SignInRejected);
    auto home = freeUpload(u"Alice", kPassword);
    EXPECT_TRUE(home.encode());
    auto stored = handler_->handle(home.bytes(), "10.0.0.2");
    EXPECT_EQ(testing::decodeReply<SaveAvatarReply>(stored.reply)->result, SaveAvatarReply::Saved);
    EXPECT_EQ(stored.delay, 0ms);
}

// Guest uploads count against their address before anything is hashed, an access password
// included; other addresses keep their own allowance.
TEST_F(RequestHandlerTest, GuestUploadsOverTheAddressLimitAreRefusedWithoutHashing) {
    limitUploads({.guestUploadsPerHour = 3, .uploadsPerMinute = 0});
    SaveAvatarRequest withPassword = freeUpload(u"guest", "");
    withPassword.accessMode = 2;
    withPassword.accessDigest = md5Hex("door");
    const auto before = accounts_.hashesDone();
    for (int i = 0; i < 3; ++i) ASSERT_EQ(save(withPassword, "6.6.6.6").result, SaveAvatarReply::Saved) << i;
    const auto hashes = accounts_.hashesDone();
    EXPECT_EQ(hashes, before + 3);  // one for each access password
    ASSERT_TRUE(withPassword.encode());
    auto refused = handler_->handle(withPassword.bytes(), "6.6.6.6");
    EXPECT_EQ(testing::decodeReply<SaveAvatarReply>(refused.reply)->result, SaveAvatarReply::Refused);
    EXPECT_EQ(refused.delay, 0ms);
    EXPECT_NE(refused.summary.find("guest uploads"), std::string::npos) << refused.summary;
    EXPECT_EQ(save(freeUpload(u"guest", ""), "6.6.6.6").result, SaveAvatarReply::Refused);
    EXPECT_EQ(accounts_.hashesDone(), hashes);
    EXPECT_EQ(storage_->avatarCount(), 3);
    // An account from the same address is not a guest; another address is another allowance.
    EXPECT_EQ(save(freeUpload(u"alice", kPassword), "6.6.6.6").result, SaveAvatarReply::Saved);
    EXPECT_EQ(save(withPassword, "10.0.0.2").result, SaveAvatarReply::Saved);
}

TEST_F(RequestHandlerTest, AllUploadsFromAnAddressAreLimitedPerMinuteBeforeTheSignIn) {
    limitUploads({.guestUploadsPerHour = 0, .uploadsPerMinute = 2});
    EXPECT_EQ(save(freeUpload(u"alice", kPassword), "6.6.6.6").result, SaveAvatarReply::Saved);
    EXPECT_EQ(save(freeUpload(u"guest", ""), "6.6.6.6").result, SaveAvatarReply::Saved);
    const auto hashes = accounts_.hashesDone();
    EXPECT_EQ(save(freeUpload(u"alice", md5Hex("guess")), "6.6.6.6").result, SaveAvatarReply::Refused);
    EXPECT_EQ(save(freeUpload(u"guest", ""), "6.6.6.6").result, SaveAvatarReply::Refused);
    EXPECT_EQ(accounts_.hashesDone(), hashes);
    EXPECT_EQ(throttle_.sizes().pairs, 0u);  // no sign-in was tried, so none failed
    EXPECT_EQ(save(freeUpload(u"alice", kPassword), "10.0.0.2").result, SaveAvatarReply::Saved);
}

// An avatar only its owner sees would be seen by nobody when the guest owns it.
TEST_F(RequestHandlerTest, GuestsCannotStoreAvatarsOnlyTheirOwnerSees) {
    SaveAvatarRequest ownerOnly = freeUpload(u"guest", "");
    ownerOnly.accessMode = 1;
    ASSERT_TRUE(ownerOnly.encode());
    auto refused = handler_->handle(ownerOnly.bytes(), "10.0.0.1");
    EXPECT_EQ(testing::decodeReply<SaveAvatarReply>(refused.reply)->result, SaveAvatarReply::Refused);
    EXPECT_EQ(refused.summary, "save by guest: refused, an avatar only its owner sees needs an account");
    EXPECT_EQ(storage_->avatarCount(), 0);
    ownerOnly.userName = u"alice";
    ownerOnly.passwordDigest = kPassword;
    EXPECT_EQ(save(ownerOnly).result, SaveAvatarReply::Saved);
}

// ---- The web side's registration and password pages over the same throttle ----

class WebLimitsTest : public RequestHandlerTest {
protected:
    explicit WebLimitsTest(int registrationsPerHour = 2) {
        testing::writeProgramDirectory(program_.path());
        ServerConfig config = testing::testConfig(directory_.path() + "/data", program_.path());
        config.registrationsPerHour = registrationsPerHour;
        site_ = std::make_unique<WebSite>(*storage_, accounts_, throttle_, catalogue_, config, program_.path());
    }
    HttpResponse post(const std::string& target, const std::string& body, const std::string& peer) {
        return site_->respond(HttpRequest{.method = "POST", .target = target, .body = body, .peer = peer});
    }

    TempDirectory program_;
    std::unique_ptr<WebSite> site_;
};

TEST_F(WebLimitsTest, RegistrationsPerAddressAreLimitedWithAReadablePage) {
    EXPECT_EQ(post("/?c=reg", "name=one&password=p&again=p", "6.6.6.6").status, 200);
    EXPECT_EQ(post("/?c=reg", "name=ALICE&password=p&again=p", "6.6.6.6").status, 409);  // made nothing: not counted
    EXPECT_EQ(post("/?c=reg", "name=two&password=p&again=p", "6.6.6.6").status, 200);
    const auto hashes = accounts_.hashesDone();
    HttpResponse refused = post("/?c=reg", "name=three&password=p&again=p", "6.6.6.6");
    EXPECT_EQ(refused.status, 429);
    EXPECT_NE(refused.body.find("Too many accounts have been made from your address"), std::string::npos);
    EXPECT_NE(refused.body.find("<form method=\"post\" action=\"/?c=reg\">"), std::string::npos);
    EXPECT_EQ(accounts_.hashesDone(), hashes);
    EXPECT_FALSE(storage_->findAccount("three").has_value());
    EXPECT_EQ(post("/?c=reg", "name=three&password=p&again=p", "10.0.0.2").status, 200);
}

// An account called "avatar:5" signs in, fails and succeeds without touching avatar 5's
// access-password failures, and the other way round.
TEST_F(WebLimitsTest, AnAccountNamedAvatar5NeverTouchesAvatar5sFailures) {
    ASSERT_EQ(post("/?c=reg", "name=avatar%3A5&password=p&again=p", "10.0.0.2").status, 200);
    for (int i = 0; i < 4; ++i) {
        SaveAvatarRequest restricted = freeUpload(u"alice", kPassword);
        restricted.accessMode = 2;
        restricted.accessDigest = md5Hex("door");
        ASSERT_EQ(save(restricted).result, SaveAvatarReply::Saved);
    }
    const std::string five = "/a/5";
    SaveAvatarRequest fifth = freeUpload(u"alice", kPassword);
    fifth.accessMode = 2;
    fifth.accessDigest = md5Hex("door");
    ASSERT_EQ(save(fifth).avatarNumber, 5);
    // Four wrong access passwords on avatar 5 from one address, each after the last one's delay.
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(post(five, "access=wrong", "6.6.6.6").status, 403) << i;
        std::this_thread::sleep_for(500ms);
    }
    // The account avatar:5 fails once, then signs in from the same address, over the web and
    // in the editor; avatar 5's failures stay as they were.
    EXPECT_EQ(post("/my.aspx?mc=account&to=pay", "name=avatar%3A5&password=wrong", "6.6.6.6").status, 403);
    std::this_thread::sleep_for(500ms);
    HttpResponse signedIn = post("/my.aspx?mc=account&to=pay", "name=avatar%3A5&password=p", "6.6.6.6");
    EXPECT_NE(signedIn.body.find("Signed in as avatar:5"), std::string::npos) << signedIn.body;
    EXPECT_EQ(save(freeUpload(u"AVATAR:5", typedPasswordDigest(u"p", toWindows1252)), "6.6.6.6").result,
              SaveAvatarReply::Saved);
    std::this_thread::sleep_for(500ms);
    // The fifth wrong access password locks avatar 5 out for this address.
    EXPECT_EQ(post(five, "access=wrong", "6.6.6.6").status, 403);
    HttpResponse locked = post(five, "access=door", "6.6.6.6");
    EXPECT_EQ(locked.status, 429);
    EXPECT_NE(locked.body.find("try again in 1 minute"), std::string::npos) << locked.body;
    EXPECT_EQ(locked.headers["Retry-After"], "60");
    // The account is still free there, and avatar 5 opens from elsewhere.
    EXPECT_NE(post("/my.aspx?mc=account&to=pay", "name=avatar%3A5&password=p", "6.6.6.6").body.find("Signed in as"),
              std::string::npos);
    EXPECT_EQ(post(five, "access=door", "10.0.0.2").status, 200);
}

// ---- Prices, names, code pages and settings ----

TEST(UploadRules, OutfitPriceCountsAnOutfitAlone) {
    Catalogue catalogue;
    catalogue.replaceTables(testing::testCatalogue());
    AvatarFields a;
    a.items[2] = {102, 0};
    a.bodyPart = 12;
    a.script = {{7, u""}, {7, u""}};
    EXPECT_EQ(outfitPrice(a, catalogue), 50 + 5 + 3 + 3);
    a.items[1] = {201, 0};  // an outfit in the slot-6 pair: the pairs after it do not count
    EXPECT_EQ(outfitPrice(a, catalogue), 5 + 3 + 3);
    EXPECT_EQ(scriptFrames(a, catalogue), 2);
}

TEST(AccountNames, CaseIsIgnoredAndLengthIsInUtf16Units) {
    EXPECT_EQ(Accounts::nameKey(u"ÉlodieÅ"), Accounts::nameKey(u"élodieå"));
    EXPECT_EQ(Accounts::nameKey(u"ЖУК"), Accounts::nameKey(u"жук"));
    EXPECT_TRUE(Accounts::isGuest(u"GUEST"));
    EXPECT_FALSE(Accounts::isGuest(u"guests"));
    EXPECT_TRUE(Accounts::isValidName(std::u16string(23, u'x')));
    EXPECT_FALSE(Accounts::isValidName(std::u16string(24, u'x')));
    std::u16string emoji;
    for (int i = 0; i < 12; ++i) emoji += u"\U0001F600";  // 12 characters, 24 units
    EXPECT_FALSE(Accounts::isValidName(emoji));
    EXPECT_FALSE(Accounts::isValidName(u"tab\there"));
}

TEST(CodePages, Windows1252AndUtf8) {
    EXPECT_EQ(toWindows1252(u"caf\u00e9 \u20ac\u2122\u0178"), "caf\xe9 \x80\x99\x9f");
    EXPECT_EQ(toWindows1252(u"\u4e2d\u0081"), "??");
    EXPECT_EQ(toLatin1(u"\u20ac\u00ff"), "?\xff");
    std::u16string mixed = u"a\u00e9\u4e2d\U0001F600";
    EXPECT_EQ(text::utf16FromUtf8Replacing(text::utf8FromUtf16(mixed)), mixed);
    EXPECT_EQ(text::utf16FromUtf8Replacing("\xff\xc3"), u"\ufffd\ufffd");
    EXPECT_EQ(text::utf16FromUtf8Replacing("\xed\xa0\x80"),
              u"\ufffd\ufffd\ufffd");                                      // an encoded surrogate is not a character
    EXPECT_EQ(text::utf16FromUtf8Replacing("\xc0\xaf"), u"\ufffd\ufffd");  // an overlong form neither
    // The same password digested with both code pages differs only where they differ.
    EXPECT_EQ(typedPasswordDigest(u"caf\u00e9", toWindows1252), typedPasswordDigest(u"caf\u00e9", toLatin1));
    EXPECT_NE(typedPasswordDigest(u"\u20ac", toWindows1252), typedPasswordDigest(u"\u20ac", toLatin1));
}

TEST(ServerSettings, DefaultsAreValidAndTheNewsBaseFollowsTheClientsPattern) {
    ServerConfig config;
    ASSERT_TRUE(applyConfigurationText(config, defaultConfigurationText()).ok());
    EXPECT_TRUE(validateConfig(config).ok());
    EXPECT_EQ(config.protocolPort, 1234);
    EXPECT_EQ(config.httpPort, 8080);
    EXPECT_EQ(config.newsBaseOrDefault(), "http://127.0.0.1:8080/news.xml");
    EXPECT_EQ(config.updaterArgumentsOrDefault(), "http://127.0.0.1:8080/Download/");

    for (const char* bad : {"http://localhost:8080/news.xml", "https://news.example.org/feed", "ftp://a.b/"}) {
        ServerConfig c = config;
        c.newsBase = bad;
        EXPECT_FALSE(validateConfig(c).ok()) << bad;
    }
    ServerConfig c = config;
    c.updaterArguments = "http://10.0.0.1/Download";
    EXPECT_FALSE(validateConfig(c).ok());
    EXPECT_FALSE(applySetting(c, "protocol_port", "70000").ok());
    EXPECT_FALSE(applySetting(c, "no_such_key", "1").ok());
    EXPECT_FALSE(applyConfigurationText(c, "protocol_port = 1235\nbroken line\n").ok());
    EXPECT_TRUE(applyConfigurationText(c, "  # comment\nprotocol_port = 1235 # trailing\n").ok());
    EXPECT_EQ(c.protocolPort, 1235);
}

}  // namespace
}  // namespace likenex
